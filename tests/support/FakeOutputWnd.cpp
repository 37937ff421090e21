// A stand-in for the output pane's implementation, for view tests while the pane is being built:
// it keeps the lines of each list and the same-search entries in memory.
#include "panes/OutputWnd.h"

#include <QHash>
#include <map>

namespace {

struct FakeState
{
    std::map<int, QStringList> lists;
    QStringList groups;
    int activeTab = COutputWnd::ListSearch;
    std::vector<std::pair<QString, QString>> bookmarks;
    COutputWnd::GrepJumpHandler grep;
};

std::map<const COutputWnd*, FakeState>& States()
{
    static std::map<const COutputWnd*, FakeState> states;
    return states;
}

} // namespace

COutputWnd::COutputWnd(QWidget* parent) : QWidget(parent) { States()[this]; }
COutputWnd::~COutputWnd() { States().erase(this); }
void COutputWnd::AddLines(int listId, const QStringList& lines) { States()[this].lists[listId] += lines; }
void COutputWnd::AddLine(int listId, const QString& line) { States()[this].lists[listId] += line; }
void COutputWnd::ClearList(int listId) { States()[this].lists[listId].clear(); }
int COutputWnd::LineCount(int listId) const { return static_cast<int>(States()[this].lists[listId].size()); }
QString COutputWnd::Line(int listId, int index) const { return States()[this].lists[listId].value(index); }
void COutputWnd::FitListWidth(int) {}
void COutputWnd::ActivateTab(int listId) { States()[this].activeTab = listId; }
void COutputWnd::AddSameGroup(const QString& text) { States()[this].groups += text; }
void COutputWnd::ClearSameGroups() { States()[this].groups.clear(); }
int COutputWnd::SameGroupCount() const { return static_cast<int>(States()[this].groups.size()); }
void COutputWnd::SetBookmarkRows(const std::vector<std::pair<QString, QString>>& rows) { States()[this].bookmarks = rows; }
int COutputWnd::BookmarkRowCount() const { return static_cast<int>(States()[this].bookmarks.size()); }
void COutputWnd::SetGrepJumpHandler(GrepJumpHandler handler) { States()[this].grep = std::move(handler); }

// What the tests read besides the pane's API.
QStringList FakeSameGroups(const COutputWnd* pane) { return States()[pane].groups; }
int FakeActiveTab(const COutputWnd* pane) { return States()[pane].activeTab; }
