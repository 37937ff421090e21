// The lines of one result list of the output pane, appended in blocks.
#include "panes/ResultListModel.h"

namespace {

// Below this many rows every block is shown at once.
constexpr int kShowAtOnceBelow = 50000;
// Above it, blocks that arrive quickly are shown together every 100 ms: the view's updates
// (scroll bar, repaint) then keep to a small part of the time whatever the list's length.
constexpr int kShowEveryMs = 100;

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
        m_showTimer.start(kShowEveryMs);
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
