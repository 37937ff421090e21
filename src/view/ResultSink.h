// What the hex view hands to the output pane: result lines, bookmark rows and list resets.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The output pane implements this; the frame hands it to each view (UM_GETOUTPUTPANE), so the
// view never needs the pane's widget.
class ResultSink
{
public:
    // The result lists by their control ids; the tabs stand in the order 検索, 同一検索, SUM結果,
    // フォルダ内検索, ブックマーク.
    enum ListId : int { ListSame = 3, ListSearch = 4, ListSum = 5, ListGrep = 6, ListBookmark = 7 };

    virtual ~ResultSink() = default;

    // Appends lines at the end of a list; a block of lines costs one model update.
    virtual void AddLines(int listId, const QStringList& lines) = 0;
    virtual void AddLine(int listId, const QString& line) = 0;
    virtual void ClearList(int listId) = 0;
    // Horizontal extent: the widest of the first, second and last lines plus 5 pixels.
    virtual void FitListWidth(int listId) = 0;
    // Makes the tab holding the list the active tab and brings the pane to the front of its dock
    // group (showing it when it was closed).
    virtual void ActivateTab(int listId) = 0;
    // Scrolls a list so that the lines from `first` to the end are in view (as many as fit,
    // `first` always).
    virtual void ScrollToLines(int listId, int first) = 0;
    virtual int LineCount(int listId) const = 0;
    // The same-search drop-down above the 同一検索 list: one entry per group.
    virtual void AddSameGroup(const QString& text) = 0;
    virtual void ClearSameGroups() = 0;
    // The bookmark tab: one row per bookmark, "00000000-0001A2F0" and the description.
    virtual void SetBookmarkRows(const std::vector<std::pair<QString, QString>>& rows) = 0;
    // A document was reloaded: every result list and the same-search groups are emptied.
    virtual void ResetLists() = 0;
};
