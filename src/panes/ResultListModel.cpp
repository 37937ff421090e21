// The lines of one result list of the output pane, appended in blocks.
#include "panes/ResultListModel.h"

CResultListModel::CResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void CResultListModel::AddLines(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    const int first = LineCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
    m_lines.append(lines);
    endInsertRows();
}

void CResultListModel::Clear()
{
    beginResetModel();
    m_lines.clear();
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
    if (!m_lines.isEmpty())
        Q_EMIT dataChanged(index(0), index(LineCount() - 1), {Qt::SizeHintRole});
}

int CResultListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : LineCount();
}

QVariant CResultListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= LineCount())
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
