// The hex view's events: painting, resizing, keyboard, mouse, wheel, focus and window messages.
#include "view/QuorvaneView.h"

#include "base/CommandIds.h"
#include "view/MacroKeyEvent.h"
#include "base/Messages.h"
#include "document/QuorvaneDoc.h"
#include "view/ResultSink.h"
#include "view/MyScrollBar.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// The view's right-click menu (編集): the clipboard commands.
struct ContextItem
{
    int id;
    const char* text;
};
constexpr ContextItem kContextMenu[] = {
    {ID_EDIT_CUT, "切り取り"},
    {ID_EDIT_COPY, "コピー"},
    {ID_COPY_AS_TEXT, "文字としてコピー"},
    {ID_EDIT_PASTE, "貼り付け"},
    {ID_PASTE_AS_NUMBER, "数値として貼り付け"},
};

// Keys that act the same with Ctrl held as without it.
bool IsKeyWithCtrl(int key)
{
    switch (key) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
    case Qt::Key_Insert: case Qt::Key_Delete: case Qt::Key_Backspace:
        return true;
    default:
        return false;
    }
}

} // namespace

// --- Painting and size ---

void CQuorvaneView::PaintView(QPainter& painter, const QSize& client)
{
    if (!m_doc)
        return;
    CViewPainter::Input in;
    in.doc = m_doc;
    in.layout = &m_layout;
    in.topRow = TopRow();
    in.charCode = m_charCode;
    in.cursor = m_nav.m_cursor;
    in.lowNibble = m_nav.m_lowNibble;
    in.inCharColumn = m_nav.m_inCharColumn;
    in.marks = m_marks;
    in.marks.structPaneVisible = StructPaneShowing();
    in.marks.selStart = m_nav.m_selStart;
    in.marks.selEnd = m_nav.m_selEnd;
    in.marks.bookmarks = m_bookmarks.empty() ? nullptr : &m_bookmarks;
    in.diffMarkStart = m_diffMarkStart;
    in.diffMarkEnd = m_diffMarkEnd;
    in.caretVisible = m_caretExists && m_caretOn;
    in.caretWidth = m_insertMode ? 2 : m_layout.m_charWidth;
    const CViewPainter::Output out = m_painter.Paint(painter, client, in);
    m_caretRect = out.caret;
    if (!out.partnerError.isEmpty())
        ReportPartnerError(out.partnerError);
}

void CQuorvaneView::paintEvent(QPaintEvent*)
{
    if (!m_initialized)
        OnInitialUpdate();
    QPainter painter(viewport());
    // Scrolled sideways: the rows are painted as wide as before, shifted left.
    const int x = HorizontalOffset();
    painter.translate(-x, 0);
    PaintView(painter, viewport()->size() + QSize(x, 0));
    m_caretRect.translate(-x, 0);
}

void CQuorvaneView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (!m_initialized)
        return;
    UpdateScrollRange();
    LoadVisibleWindow();
}

void CQuorvaneView::showEvent(QShowEvent* e)
{
    QAbstractScrollArea::showEvent(e);
    if (!m_initialized)
        OnInitialUpdate();
}

// --- Focus and caret ---

void CQuorvaneView::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    m_caretExists = true;
    ResetCaretBlink();
    if (s_activeView != this)
        OnActivateView(true);
    Redraw();
}

void CQuorvaneView::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    m_caretExists = false;
    m_caretTimer.stop();
    Redraw();
}

// --- Keyboard ---

void CQuorvaneView::keyPressEvent(QKeyEvent* e)
{
    HandleKey(e);
}

void CQuorvaneView::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Shift)
        m_nav.m_shiftDown = false;
    QAbstractScrollArea::keyReleaseEvent(e);
}

void CQuorvaneView::HandleKey(QKeyEvent* e)
{
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers();
    m_nav.m_shiftDown = mods & Qt::ShiftModifier;
    if (key == Qt::Key_Shift)
        return;
    if (key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta || key == Qt::Key_AltGr)
        return;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        // Shift+Tab hands the keyboard to the properties pane; Tab alone does nothing here.
        if (key == Qt::Key_Backtab || m_nav.m_shiftDown)
            um::Focus::Send(MainFrame(), false);
        return;
    }

    // Commands whose accelerators the frame normally takes first; handled here too when the
    // view gets the key itself. Ctrl with a letter or digit types nothing; Ctrl with the
    // movement and deletion keys moves and deletes as those keys do alone.
    if ((mods & Qt::ControlModifier) && !IsKeyWithCtrl(key)) {
        if (key == Qt::Key_A)
            OnCommand(ID_SELECT_ALL);
        return;
    }
    switch (key) {
    case Qt::Key_Home: OnCommand(ID_JUMP_TOP); return;
    case Qt::Key_End: OnCommand(ID_JUMP_END); return;
    default: break;
    }

    using K = CCursorNavigator::Key;
    switch (key) {
    case Qt::Key_Left: m_nav.NavigateKey(K::Left); break;
    case Qt::Key_Right: m_nav.NavigateKey(K::Right); break;
    case Qt::Key_Up: m_nav.NavigateKey(K::Up); break;
    case Qt::Key_Down: m_nav.NavigateKey(K::Down); break;
    case Qt::Key_PageUp: m_nav.NavigateKey(K::PageUp); break;
    case Qt::Key_PageDown: m_nav.NavigateKey(K::PageDown); break;
    default:
        HandleEditKey(e);
        m_nav.ScrollAfterKey();
        break;
    }
    ResetCaretBlink();
    RefreshInfoPane();
    KeepCaretColumnInSight();
    Redraw();
}

void CQuorvaneView::KeepCaretColumnInSight()
{
    QScrollBar* bar = horizontalScrollBar();
    if (bar->maximum() == 0)
        return;
    // The cell of the cursor, in the coordinates of the unscrolled rows.
    const int column = static_cast<int>(m_nav.m_cursor % 16);
    const int cw = m_layout.m_charWidth;
    const int x = m_nav.m_inCharColumn ? m_layout.CharCellX(column) : m_layout.HexCellX(column);
    const int width = m_nav.m_inCharColumn ? 2 * cw : m_layout.m_hexCellWidth;
    const int visible = viewport()->width() - 16; // the row bar covers the right edge
    if (x < bar->value())
        bar->setValue(x - cw);
    else if (x + width > bar->value() + visible)
        bar->setValue(x + width - visible + cw);
}

// --- Mouse and wheel ---

void CQuorvaneView::mousePressEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        const CViewLayout::Hit hit = m_layout.HitTest(pt.x() + HorizontalOffset(), pt.y(), TopRow());
        m_nav.LeftButtonDown(hit.address, hit.inCharColumn, e->modifiers() & Qt::ShiftModifier);
        setFocus(Qt::MouseFocusReason);
        // Input methods serve the text column only; a click in the hex area closes one.
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImCursorRectangle);
        if (!m_nav.m_inCharColumn)
            QGuiApplication::inputMethod()->reset();
        ResetCaretBlink();
        RefreshInfoPane();
        Redraw();
    } else if (e->button() == Qt::RightButton) {
        const CViewLayout::Hit hit = m_layout.HitTest(pt.x() + HorizontalOffset(), pt.y(), TopRow(), true);
        if (m_nav.RightButtonDown(hit.address)) {
            RefreshInfoPane();
            Redraw();
        }
    }
}

void CQuorvaneView::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_nav.m_dragging)
        return;
    const QPoint pt = e->position().toPoint();
    m_nav.DragScroll(pt.y() < 0, pt.y() >= viewport()->height());
    const CViewLayout::Hit hit = m_layout.HitTest(pt.x() + HorizontalOffset(), pt.y(), TopRow());
    m_nav.MouseMove(hit.address, hit.inCharColumn);
    RefreshInfoPane();
    Redraw();
}

void CQuorvaneView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_nav.LeftButtonUp();
    Redraw();
}

void CQuorvaneView::wheelEvent(QWheelEvent* e)
{
    // A sideways wheel (or tilt) moves the rows sideways.
    if (e->angleDelta().y() == 0 && e->angleDelta().x() != 0) {
        QCoreApplication::sendEvent(horizontalScrollBar(), e);
        return;
    }
    // The bar applies the wheel rule and reports the scroll; OnScrolled re-reads and follows.
    m_scrollBar->Wheel(e->angleDelta().y());
    e->accept();
}

void CQuorvaneView::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    for (const ContextItem& item : kContextMenu) {
        QAction* action = menu.addAction(QString::fromUtf8(item.text));
        CmdUI ui{false, false};
        action->setEnabled(OnUpdateCommand(item.id, ui) && ui.enabled);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    menu.exec(e->globalPos());
}

// --- Window messages ---

bool CQuorvaneView::event(QEvent* e)
{
    // Every key that reaches the view is recorded while the macro records, before handling.
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)
        RecordMacroKey(static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::KeyPress) {
        // Tab and Shift+Tab belong to the view, not to the focus chain.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            HandleKey(k);
            return true;
        }
    }
    if (static_cast<int>(e->type()) >= QEvent::User && HandleMessage(e))
        return true;
    return QAbstractScrollArea::event(e);
}

bool CQuorvaneView::HandleMessage(QEvent* e)
{
    if (HandleSearchMessage(e) || HandleStructMessage(e))
        return true;
    if (auto* m = um::Cast<um::SetCharCode>(e)) {
        SetCharCode(CharCodeFromValue(m->wParam));
        return true;
    }
    if (auto* m = um::Cast<um::AddrJump>(e)) {
        if (m->lParam) {
            m_nav.AddressJump(m->wParam, *m->lParam);
            setFocus();
            RefreshInfoPane();
            Redraw();
        }
        return true;
    }
    if (um::Cast<um::Relayout>(e)) {
        UpdateMetrics();
        UpdateScrollRange();
        LoadVisibleWindow();
        Redraw();
        return true;
    }
    if (auto* m = um::Cast<um::SetCursor>(e)) {
        if (m->wParam && m->lParam)
            *m->wParam = m_nav.m_cursor;
        const uint64_t address = m->wParam ? *m->wParam : m_nav.m_cursor;
        if (m_nav.SetCursorTo(address)) {
            RefreshInfoPane();
            Redraw();
        }
        return true;
    }
    if (um::Cast<um::UpdateInfo>(e)) {
        RefreshInfoPane();
        return true;
    }
    if (auto* m = um::Cast<um::GetPos>(e)) {
        if (m->wParam)
            *m->wParam = FileSize() - 1;
        if (m->lParam)
            *m->lParam = TopRow() * 16;
        m->result = &m_nav.m_cursor;
        return true;
    }
    if (auto* m = um::Cast<um::GetSel>(e)) {
        if (m->wParam)
            *m->wParam = m_nav.m_selStart;
        if (m->lParam)
            *m->lParam = m_nav.m_selEnd;
        return true;
    }
    if (auto* m = um::Cast<um::SetBookmarkText>(e)) {
        // An index outside the list (a stale row of the tab) changes nothing.
        m->result = m->lParam && m_bookmarkList.SetDescription(m->wParam, *m->lParam) ? 1 : 0;
        return true;
    }
    if (auto* m = um::Cast<um::SelectRange>(e)) {
        m_nav.SelectRange(m->wParam, m->lParam);
        RefreshInfoPane();
        Redraw();
        return true;
    }
    if (um::Cast<um::Reset>(e)) {
        OnResetSearch();
        // After a reload: results and marks go, the view returns to the top. The cursor stays
        // where it was unless the file became shorter than it.
        m_nav.ClearSelection();
        if (m_outputPane)
            m_outputPane->ResetLists();
        m_marks.findPos = kNone;
        m_marks.findLen = 0;
        m_nav.ClampToFile();
        m_layout.SetFileSize(FileSize());
        m_scrollBar->SetPos64(0);
        UpdateScrollRange();
        m_scrollBar->SetPos64(0);
        LoadVisibleWindow();
        if (m_doc->IsLoading())
            m_loadingTimer.start(); // the reload started a new loader: show its bytes arriving
        RefreshInfoPane();
        Redraw();
        return true;
    }
    return false;
}
