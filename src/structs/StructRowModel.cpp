// The structure editor's rows as a table model over the core's row tree.
#include "structs/StructRowModel.h"

#include "structs/StructSession.h"

CStructRowModel::CStructRowModel(CStructSession& session, std::function<StructBytes&()> bytes, QObject* parent)
    : QAbstractTableModel(parent), m_session(session), m_bytes(std::move(bytes))
{
}

int CStructRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(std::min<int64_t>(m_session.Tree().RowCount(), INT32_MAX));
}

int CStructRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant CStructRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const CStructTree& tree = m_session.Tree();
    const CStructTree::LISTOPTION row = tree.Row(index.row());
    if (row.definition < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole:
        if (index.column() == ColName)
            return row.label;
        if (index.column() == ColValue) {
            const QString v = CStructValues::FormatValue(tree, row, m_bytes(), m_session.Base(), fileSize ? fileSize() : 0);
            return role == Qt::EditRole ? CStructValues::EditText(v) : v;
        }
        return CStructValues::TypeText(tree, row);
    case LevelRole: return row.level;
    case ExpandableRole: return CStructTree::IsExpandable(row);
    case ExpandedRole: return row.expanded;
    default: return {};
    }
}

QVariant CStructRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColName: return QStringLiteral("名前");
    case ColValue: return QStringLiteral("データ");
    case ColType: return QStringLiteral("型");
    default: return {};
    }
}

Qt::ItemFlags CStructRowModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ColValue
        && CStructValues::IsEditable(m_session.Tree(), m_session.Tree().Row(index.row())))
        f |= Qt::ItemIsEditable;
    return f;
}

bool CStructRowModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != ColValue || !commit)
        return false;
    return commit(index.row(), value.toString());
}

void CStructRowModel::Reset()
{
    beginResetModel();
    endResetModel();
}

void CStructRowModel::Rebuild(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

int64_t CStructRowModel::Toggle(int row, int64_t limit)
{
    CStructTree& tree = m_session.Tree();
    const CStructTree::LISTOPTION r = tree.Row(row);
    if (!CStructTree::IsExpandable(r))
        return 0;
    if (r.expanded) {
        const int64_t below = tree.RowsBelow(row);
        if (below > 0)
            beginRemoveRows(QModelIndex(), row + 1, int(row + below));
        tree.Collapse(row);
        if (below > 0)
            endRemoveRows();
        Q_EMIT dataChanged(index(row, 0), index(row, 2));
        return -below;
    }
    const int64_t children = std::min(tree.ChildCount(r), limit);
    if (children > 0)
        beginInsertRows(QModelIndex(), row + 1, int(row + children));
    const int64_t added = tree.Expand(row, limit);
    if (children > 0)
        endInsertRows();
    Q_EMIT dataChanged(index(row, 0), index(row, 2));
    return added;
}
