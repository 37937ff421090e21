// One result list of the output pane: a single-column list of text lines.
#include "panes/OutputList.h"

#include "panes/ResultListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

COutputList::COutputList(int listId, QWidget* parent)
    : QTableView(parent), m_listId(listId), m_model(new CResultListModel(this))
{
    setModel(m_model);
    setFont(ListFont());
    // One row height for all lines, nothing measured per line: a million lines stay cheap to add,
    // lay out and scroll.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height());
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    setShowGrid(false);
    setCornerButtonEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT lineActivated(m_listId, index.row());
    });
}

QFont COutputList::ListFont()
{
    QFont font(QStringLiteral("MS ゴシック"));
    font.setPixelSize(12);
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(12);
    }
    return font;
}

int COutputList::SelectedLine() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void COutputList::CopySelectedLine()
{
    if (m_model->LineCount() == 0)
        return;
    const int line = SelectedLine();
    QApplication::clipboard()->setText(m_model->Line(line < 0 ? 0 : line));
}

void COutputList::ClearLines()
{
    m_model->Clear();
    m_contentWidth = 0;
    ApplyColumnWidth();
}

void COutputList::FitWidth()
{
    // The list is complete: every line is shown.
    m_model->ShowAllLines();
    const int count = m_model->LineCount();
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int line : {0, 1, count - 1}) {
        if (line >= 0 && line < count)
            widest = std::max(widest, metrics.horizontalAdvance(m_model->Line(line)));
    }
    // The uniform row size carries the extent; the column takes it as its width.
    m_model->SetItemSize(QSize(widest + 5, metrics.height()));
    m_contentWidth = widest + 5;
    ApplyColumnWidth();
}

void COutputList::ApplyColumnWidth()
{
    setColumnWidth(0, std::max(m_contentWidth, viewport()->width()));
}

void COutputList::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    ApplyColumnWidth();
}

void COutputList::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        Q_EMIT lineActivated(m_listId, currentIndex().row());
        return;
    }
    QTableView::keyPressEvent(e);
}

void COutputList::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("コピー(&C)"));
    QAction* clear = menu.addAction(QStringLiteral("クリア(&R)"));
    QAction* hide = menu.addAction(QStringLiteral("非表示(&H)"));
    QAction* chosen = menu.exec(e->globalPos());
    if (chosen == copy)
        CopySelectedLine();
    else if (chosen == clear)
        ClearLines();
    else if (chosen == hide)
        Q_EMIT hidePaneRequested();
    setFocus();
}
