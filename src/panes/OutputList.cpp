// One result list of the output pane: a single-column list of text lines.
#include "panes/OutputList.h"

#include "panes/ResultListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>

namespace {
// Lines laid out in one pass when a list is complete (under ten milliseconds).
constexpr int kLayoutAtOnce = 250000;
} // namespace

COutputList::COutputList(int listId, QWidget* parent)
    : QListView(parent), m_listId(listId), m_model(new CResultListModel(this))
{
    setModel(m_model);
    setFont(ListFont());
    // One row height for all lines: the view never measures more than the first line, which is
    // what keeps a million lines cheap to lay out and to scroll.
    setUniformItemSizes(true);
    // The list lays out every row again whenever rows are added; in batches, a list of a million
    // lines never holds the window for more than one batch.
    setLayoutMode(QListView::Batched);
    setBatchSize(20000);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setSpacing(0);
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
    // The uniform row size carries the extent: the view takes its content width from it.
    m_model->SetItemSize(QSize(widest + 5, metrics.height()));
    // A complete list of usual length is laid out at once (not batch by batch), so that its last
    // line can be scrolled to right away. A longer one is laid out again in batches: one pass
    // over a million rows would hold the window for tens of milliseconds.
    if (count <= kLayoutAtOnce) {
        setLayoutMode(QListView::SinglePass);
        doItemsLayout();
        setLayoutMode(QListView::Batched);
    } else {
        doItemsLayout();
    }
}

void COutputList::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        Q_EMIT lineActivated(m_listId, currentIndex().row());
        return;
    }
    QListView::keyPressEvent(e);
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
