// The lines of one result list of the output pane, appended in blocks.
#pragma once

#include <QAbstractListModel>
#include <QSize>
#include <QStringList>
#include <QTimer>

// A read-only list model over text lines. Lines arrive in blocks (one model update per block), so
// a list of a million lines fills without a million row insertions. Every row reports the same
// size once the list has been fitted, so a uniform-size view never measures more than one line.
// A view lays out every row again on each insertion, so once a list is long, blocks that arrive
// quickly are shown together, a moment later: the lines themselves (LineCount, Line) are there
// at once.
class CResultListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CResultListModel(QObject* parent = nullptr);

    void AddLines(const QStringList& lines);
    void Clear();
    // Shows the views every line added so far.
    void ShowAllLines();
    int LineCount() const { return static_cast<int>(m_lines.size()); }
    // Empty past the end.
    QString Line(int index) const;

    // The size every row reports (SizeHintRole); an invalid size lets the view measure the
    // first line itself.
    void SetItemSize(QSize size);
    QSize ItemSize() const { return m_itemSize; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QStringList m_lines;
    int m_shown = 0; // the rows the views know of
    QTimer m_showTimer;
    QSize m_itemSize;
};
