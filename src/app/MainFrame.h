// The program's top-level window: document tabs, menus, toolbar, status bar and docking panes.
#pragma once

#include "app/CommandIds.h"
#include "app/KeyBindings.h"
#include "app/RecentFileList.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <vector>

class CChildFrame;
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

class CMainFrame : public QMainWindow
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
    CQuorvaneView* ActiveView() const;
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

    // Workspace state: dock layout, window placement, key bindings and toolbar buttons, kept
    // in the settings store.
    void SaveWorkspace(CSettingsStore& store) const;
    bool RestoreWorkspace(const CSettingsStore& store);

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
    void FileOpen();
    void ReloadDocument(CQuorvaneDoc* doc);
    void ShowAbout();
    void ConnectDocument(CQuorvaneDoc* doc);

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
};
