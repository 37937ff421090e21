// The program's top-level window: document tabs, menus, toolbar, status bar and docking panes.
#pragma once

#include "view/ViewHost.h"
#include "base/CommandIds.h"
#include "app/KeyBindings.h"
#include "base/KeyMacro.h"
#include "base/RecentFileList.h"
#include "base/SettingsGroupValues.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <vector>

class CChildFrame;
class CFolderSearchJob;
class CProgressBar;
struct FolderSearchRequest;
class COutputWnd;
class CBinaryInfoWnd;
class CQuorvaneDoc;
class CQuorvaneView;
class CSettingsStore;
class CStatusPanes;
class QActionGroup;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTabBar;
class QToolBar;

class CMainFrame : public QMainWindow, public ViewHost
{
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // "Quorvane Ver2.44": the title a second start looks for.
    static QString ProgramTitle();

    // ---- Documents ----
    // Opens a file in a new document and window; errors have been shown when null is returned.
    // An already open file gets its window activated instead of a second document.
    CChildFrame* OpenDocumentFile(const QString& path, bool directEdit = false);
    // An untitled empty document ("Quorvane1", "Quorvane2", ...).
    CChildFrame* NewDocument();
    // A second window on the document of the active window (新しいウィンドウを開く).
    CChildFrame* NewWindow();
    // Opens dropped files in order, skipping folders; with `directEdit` every file opens in
    // direct edit mode.
    void OpenDroppedFiles(const QList<QUrl>& urls, bool directEdit);

    CChildFrame* ActiveChild() const;
    CQuorvaneView* ActiveView() const override;
    CQuorvaneDoc* ActiveDocument() const;
    QList<CChildFrame*> ChildFrames() const;
    QList<CChildFrame*> ChildFramesOf(const CQuorvaneDoc* doc) const;
    QList<CQuorvaneDoc*> Documents() const;
    // The title a document is known by: its file name, or the untitled name.
    QString DocumentTitle(const CQuorvaneDoc* doc) const;
    QMdiArea* MdiArea() const { return m_mdi; }

    // Asks about unsaved changes of a modified document ("... への変更を保存しますか?") and saves
    // on Yes. False when the user cancelled or saving failed: the document must stay open.
    bool SaveModified(CQuorvaneDoc* doc);
    // Saves `doc` to `path` with a progress window for long saves (中止 leaves the file as it was).
    bool SaveWithProgress(CQuorvaneDoc* doc, const QString& path);
    // Saves under the document's own name, or asks for one when it has none. False on failure.
    bool FileSave(CQuorvaneDoc* doc);
    bool FileSaveAs(CQuorvaneDoc* doc);
    // Closes every window of the document after the save question. False when cancelled.
    bool CloseDocument(CQuorvaneDoc* doc);
    // Asks for every modified document; true when the program may end.
    bool SaveAllModified();

    // ---- Commands ----
    // Runs a command when its current state allows it (menus, toolbar and keys all come here).
    bool ExecuteCommand(int id);
    CmdUI CommandState(int id) const;
    // The menu item of a command (null when the menus do not show it).
    QAction* CommandAction(int id) const;
    // Refreshes the enabled and checked state of every menu item and toolbar button.
    void UpdateCommandUI();

    // ---- Status bar and displays ----
    CStatusPanes* StatusPanes() const { return m_status; }
    QString IdleText() const { return m_idleText; }
    // Last character code and byte order shown for the active view (the properties pane shows them).
    int ShownCharCode() const { return m_shownCharCode; }
    int ShownByteOrder() const { return m_shownByteOrder; }
    QDockWidget* Pane(int paneId) const;
    COutputWnd* OutputPane() const { return m_outputWnd; }
    CBinaryInfoWnd* InfoPane() const { return m_infoWnd; }

    // The folder the open and save dialogs start in (CDialogFolder's rule for the active document).
    QString DialogStartFolder() const;

    CRecentFileList& RecentFiles() { return m_recent; }
    void RefreshRecentFileMenu();

    // ---- Customisation (カスタマイズ...) ----
    const CKeyBindings& KeyBindings() const { return m_keys; }
    void SetKeyBindings(const CKeyBindings& keys);
    // The toolbar's buttons in order, 0 for a separator.
    const std::vector<int>& ToolbarButtons() const { return m_toolbarButtons; }
    // Ids that are no toolbar command are dropped, and so are separators at either end or twice.
    void SetToolbarButtons(const std::vector<int>& ids);
    void Customize();

    // ---- Keystroke macro (記録/終了, 再生) ----
    void ToggleMacroRecording();
    // Replays the macro into the active view; nothing without one.
    void PlayMacro();
    // The replayable commands with the labels of their current keys.
    std::vector<CKeyMacro::CommandLabel> MacroCommandLabels() const;

    // ---- 環境設定 ----
    // The group values of every open document, taken before the settings dialog opens.
    using SettingsSnapshot = QHash<const CQuorvaneDoc*, SettingsGroupValues>;
    SettingsSnapshot TakeSettingsSnapshot() const;
    // Runs the settings dialog, then re-applies the settings.
    void OpenSettings();
    // Every document window takes its group's colours, edit lock and font again; code, typing
    // mode and byte order follow where the group's value changed since `before`.
    void ReapplySettings(const SettingsSnapshot& before);

    // Workspace state: dock layout, window placement, key bindings and toolbar buttons, kept
    // in the settings store.
    void SaveWorkspace(CSettingsStore& store) const;
    // Writes the key bindings alone, which marks that the program has started before; the first
    // start does it at once, so that a session that never closes normally is not a first start again.
    void SaveKeyBindings(CSettingsStore& store) const;
    bool RestoreWorkspace(const CSettingsStore& store);

    // ---- Compare (MainFrameCompare.cpp) ----
    // The windows 別ウィンドウと比較 offers: every document window but the active one, in tab order.
    QList<CChildFrame*> CompareCandidates() const;
    // The line of a candidate: its document's full path, or its tab label when untitled.
    QString CompareLine(const CChildFrame* child) const;
    // Compares the active window's document with `chosen`'s, replacing any earlier pair; another
    // window of the same document leaves no comparison.
    void StartCompare(CChildFrame* chosen);
    // 比較解除: both documents lose their partner and repaint.
    void EndCompare();
    bool IsComparing() const;
    CQuorvaneDoc* DiffLeft() const;  // the document chosen in the dialog
    CQuorvaneDoc* DiffRight() const; // the active window's when the comparison started

    // ---- Folder search (MainFrameGrep.cpp) ----
    // Runs the search on the frame's worker; a running one is stopped first. The lines go to the
    // フォルダ内検索 tab while the progress window offers 中止.
    void StartFolderSearch(const FolderSearchRequest& request);
    bool IsFolderSearchRunning() const;
    // Stops the running search and waits for its worker.
    void StopFolderSearch();
    // A double click in the フォルダ内検索 tab: opens the file, and moves to the address of an
    // address line.
    void OpenFolderSearchHit(const QString& fileLine, const QString& selectedLine);
    CProgressBar* FolderSearchProgress() const { return m_progress; }

    // ---- Window layout (MainFrameWindows.cpp) ----
    // The documents as tabs, or every window on screen side by side or one above the other.
    enum class WindowLayout { Tabs, SideBySide, Stacked };
    void SetWindowLayout(WindowLayout layout);
    WindowLayout CurrentWindowLayout() const { return m_windowLayout; }

    // Called by a child frame while it is destroyed.
    void OnChildFrameDestroyed(CChildFrame* child, CQuorvaneDoc* doc);

    // The frame's context menu: bars and panes to show, then カスタマイズ....
    QMenu* createPopupMenu() override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void CreateMenus();
    QAction* AddCommand(QMenu* menu, int id);
    void CreateToolbar();
    void CreatePanes();
    // The content of a pane, or null for a pane still without one (MainFramePanes.cpp).
    QWidget* CreatePaneBody(int paneId, QDockWidget* dock);
    void ApplyKeyBindings();
    void BuildToolbar();
    bool HandleMessage(QEvent* e);
    bool FrameCommand(int id);
    bool FrameUpdate(int id, CmdUI& ui) const;
    bool DocumentCommand(int id);
    bool DocumentUpdate(int id, CmdUI& ui) const;
    void OnSubWindowActivated(QMdiSubWindow* window);
    void UpdateTitles();
    void ShowDocumentMenus(bool show);
    CChildFrame* AddChildFrame(CQuorvaneDoc* doc);
    void OpenDirectEdit();
    // Tells that insertions and deletions in direct edit mode are not crash-safe; true on OK.
    bool ConfirmDirectEdit();
    void FileOpen();
    void ReloadDocument(CQuorvaneDoc* doc);
    void ShowAbout();
    void ConnectDocument(CQuorvaneDoc* doc);
    bool CompareUpdate(int id, CmdUI& ui) const;
    bool CompareCommand(int id);
    void RunCompareDialog();
    void InitFolderSearch();
    void RunFolderSearchDialog();
    bool GrepUpdate(int id, CmdUI& ui) const;
    bool GrepCommand(int id);
    bool WindowLayoutUpdate(int id, CmdUI& ui) const;
    bool WindowLayoutCommand(int id);
    // Lays the open windows out again when they are not tabs.
    void ArrangeWindows();

    QMdiArea* m_mdi = nullptr;
    CStatusPanes* m_status = nullptr;
    QToolBar* m_toolbar = nullptr;
    QHash<int, QAction*> m_actions;    // menu items and toolbar buttons by command id
    QList<QAction*> m_accelerators;    // key bindings, separate so menus show their own labels
    QList<QAction*> m_documentMenus;   // menus shown only while a document is open
    QList<QAction*> m_emptyMenus;      // menus shown only while no document is open
    QMenu* m_recentMenu = nullptr;
    QMenu* m_barsMenu = nullptr;
    QAction* m_customize = nullptr;
    QHash<int, QDockWidget*> m_panes;
    COutputWnd* m_outputWnd = nullptr;
    CBinaryInfoWnd* m_infoWnd = nullptr;
    QPointer<QMdiSubWindow> m_activeChild;
    QHash<const CQuorvaneDoc*, QString> m_untitledNames;
    QHash<const CQuorvaneDoc*, int> m_windowCount; // windows of each document not yet deleted
    int m_untitledCount = 0;
    CRecentFileList m_recent;
    QString m_idleText = QStringLiteral("aia");
    int m_shownCharCode = -1;
    int m_shownByteOrder = -1;
    bool m_closing = false;
    CKeyBindings m_keys;
    std::vector<int> m_toolbarButtons;
    QPointer<CQuorvaneDoc> m_diffLeft;  // the compare pair; both null when not comparing
    QPointer<CQuorvaneDoc> m_diffRight;
    WindowLayout m_windowLayout = WindowLayout::Tabs;
    CFolderSearchJob* m_grepJob = nullptr; // the folder search's worker
    CProgressBar* m_progress = nullptr;    // its progress window, hidden while none runs
};
