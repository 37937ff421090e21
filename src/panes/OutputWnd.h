// The output pane "出力": the result lists of search, same search, SUM and folder search, and the
// bookmark list, in five tabs along the bottom.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace OutputLineRules { struct GrepLineRoles; }
class COutputList;
class COutputListCtrl;
class CSameListBox;
class QTabWidget;
class QToolButton;

// The pane's public operations, used by the views (search, same search, SUM, bookmarks) and by
// the frame (folder search). Every call happens on the user-interface thread: workers hand their
// lines over in batches with a blocking queued call (QMetaObject::invokeMethod with
// Qt::BlockingQueuedConnection) and never touch the pane themselves.
class COutputWnd : public QWidget
{
    Q_OBJECT

public:
    // The result lists by their control ids; the tabs stand in the order 検索, 同一検索, SUM結果,
    // フォルダ内検索, ブックマーク.
    enum ListId : int { ListSame = 3, ListSearch = 4, ListSum = 5, ListGrep = 6, ListBookmark = 7 };

    explicit COutputWnd(QWidget* parent = nullptr);
    ~COutputWnd() override;

    // ---- Result lists (ListSame, ListSearch, ListSum, ListGrep) ----
    // Appends lines at the end of a list; a block of lines costs one model update.
    void AddLines(int listId, const QStringList& lines);
    void AddLine(int listId, const QString& line);
    void ClearList(int listId);
    int LineCount(int listId) const;
    QString Line(int listId, int index) const; // empty past the end
    // Horizontal extent: the widest of the first, second and last lines plus 5 pixels.
    void FitListWidth(int listId);
    // Makes the tab holding the list the active tab and brings the pane to the front of its
    // dock group (showing it when it was closed).
    void ActivateTab(int listId);
    // Scrolls a list so that the lines from `first` to the end are in view (as many as fit,
    // `first` always).
    void ScrollToLines(int listId, int first);

    // ---- Same-search drop-down (shown above the 同一検索 list only) ----
    void AddSameGroup(const QString& text);
    void ClearSameGroups();
    int SameGroupCount() const;

    // ---- Bookmark tab: one row per bookmark, "00000000-0001A2F0" and the description ----
    void SetBookmarkRows(const std::vector<std::pair<QString, QString>>& rows);
    int BookmarkRowCount() const;

    // ---- Folder search hand-back: a double click on a line of the フォルダ内検索 list calls this
    // with the file line and the selected line (the frame's folder search opens the file) ----
    using GrepJumpHandler = std::function<void(const QString& fileLine, const QString& selectedLine)>;
    void SetGrepJumpHandler(GrepJumpHandler handler);

    // ---- Also used by the views and the frame ----
    // A document was reloaded: every result list and the same-search groups are emptied.
    void ResetLists();
    // The widgets, for the frame's focus handling and for tests.
    COutputList* List(int listId) const;
    COutputListCtrl* BookmarkList() const { return m_bookmarks; }
    CSameListBox* SameGroups() const { return m_sameGroups; }
    QToolButton* SameRefreshButton() const { return m_sameRefresh; }
    QTabWidget* Tabs() const { return m_tabs; }
    QString SameGroup(int index) const;
    // Where the pane's messages go: the active view of the main frame. Tests may aim them
    // elsewhere.
    using TargetFinder = std::function<QObject*()>;
    void SetTargetFinder(TargetFinder finder);

private:
    void OnLineActivated(int listId, int line);
    void OnBookmarkActivated(int row, const QString& addressText);
    void OnBookmarkEdited(int row, const QString& text);
    void HidePane();
    QObject* Target() const;
    void FocusTarget() const;

    QTabWidget* m_tabs = nullptr;
    COutputList* m_lists[4] = {}; // by ListSame - ListSame .. ListGrep - ListSame
    COutputListCtrl* m_bookmarks = nullptr;
    CSameListBox* m_sameGroups = nullptr;
    QToolButton* m_sameRefresh = nullptr;
    GrepJumpHandler m_grepJump;
    std::unique_ptr<OutputLineRules::GrepLineRoles> m_grepRoles; // which file each フォルダ内検索 line belongs to
    TargetFinder m_targetFinder;
};
