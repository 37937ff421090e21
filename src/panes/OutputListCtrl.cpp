// The ブックマーク tab: a two-column list of bookmark addresses and their descriptions.
#include "panes/OutputListCtrl.h"

#include "panes/OutputList.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStandardItemModel>

COutputListCtrl::COutputListCtrl(QWidget* parent) : QTreeView(parent), m_model(new QStandardItemModel(0, 2, this))
{
    m_model->setHorizontalHeaderLabels({QStringLiteral("アドレス"), QStringLiteral("説明")});
    setModel(m_model);
    setFont(COutputList::ListFont());
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    header()->setStretchLastSection(false);
    header()->resizeSection(ColumnAddress, 120);
    header()->resizeSection(ColumnText, 120);
    // The divider's double click fits the column to its cells (not to the header text).
    disconnect(header(), &QHeaderView::sectionHandleDoubleClicked, nullptr, nullptr);
    connect(header(), &QHeaderView::sectionHandleDoubleClicked, this, &COutputListCtrl::FitColumn);

    connect(m_model, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (m_filling || item->column() != ColumnText)
            return;
        Q_EMIT descriptionEdited(item->row(), item->text());
    });
    // Only 説明 is editable, so a double click elsewhere is an activation; so is Enter.
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowActivated(index.row(), CellText(index.row(), ColumnAddress));
    });
}

void COutputListCtrl::SetRows(const std::vector<std::pair<QString, QString>>& rows)
{
    m_filling = true;
    m_model->removeRows(0, m_model->rowCount());
    m_model->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        auto* address = new QStandardItem(rows[r].first);
        address->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        auto* text = new QStandardItem(rows[r].second);
        text->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        m_model->setItem(r, ColumnAddress, address);
        m_model->setItem(r, ColumnText, text);
    }
    m_filling = false;
}

int COutputListCtrl::RowCount() const
{
    return m_model->rowCount();
}

QString COutputListCtrl::CellText(int row, int column) const
{
    const QStandardItem* item = m_model->item(row, column);
    return item ? item->text() : QString();
}

void COutputListCtrl::FitColumn(int column)
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int r = 0; r < m_model->rowCount(); ++r)
        widest = std::max(widest, metrics.horizontalAdvance(CellText(r, column)));
    header()->resizeSection(column, widest + 15);
}
