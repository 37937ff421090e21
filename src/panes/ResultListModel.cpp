// The lines of one result list of the output pane, appended in blocks.
#include "panes/ResultListModel.h"

namespace {

// Below this many rows a view lays the list out again in a few milliseconds.
constexpr int kShowAtOnceBelow = 50000;
// Above it, new lines are shown every 100 ms plus 1 ms for every 4,000 rows already shown (a
// view takes about 80 ms for a million rows), so laying out keeps to about a fifth of the time.
constexpr int kShowEveryMs = 100;
constexpr int kRowsPerExtraMs = 4000;

} // namespace

CResultListModel::CResultListModel(QObject* parent) : QAbstractListModel(parent)
{
    m_showTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &CResultListModel::ShowAllLines);
}

void CResultListModel::AddLines(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    m_lines.append(lines);
    // A short list costs the view nothing to lay out again: it shows each block at once.
    if (m_shown < kShowAtOnceBelow)
        ShowAllLines();
    else if (!m_showTimer.isActive())
        m_showTimer.start(kShowEveryMs + m_shown / kRowsPerExtraMs);
}

void CResultListModel::ShowAllLines()
{
    m_showTimer.stop();
    if (m_shown >= LineCount())
        return;
    beginInsertRows(QModelIndex(), m_shown, LineCount() - 1);
    m_shown = LineCount();
    endInsertRows();
}

void CResultListModel::Clear()
{
    m_showTimer.stop();
    beginResetModel();
    m_lines.clear();
    m_shown = 0;
    // Keep the capacity from growing without bound over many searches: release it.
    m_lines.squeeze();
    endResetModel();
}

QString CResultListModel::Line(int index) const
{
    if (index < 0 || index >= LineCount())
        return QString();
    return m_lines.at(index);
}

void CResultListModel::SetItemSize(QSize size)
{
    if (size == m_itemSize)
        return;
    m_itemSize = size;
    if (m_shown > 0)
        Q_EMIT dataChanged(index(0), index(m_shown - 1), {Qt::SizeHintRole});
}

int CResultListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

QVariant CResultListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return m_lines.at(index.row());
    case Qt::SizeHintRole:
        return m_itemSize.isValid() ? QVariant(m_itemSize) : QVariant();
    default:
        return QVariant();
    }
}
