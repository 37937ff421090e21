// The bitmap pane: the picture built from the bytes with a palette, zoom, scrolling and clicks.
#include "panes/BitmapView.h"

#include "view/MessageTargets.h"
#include "base/Messages.h"
#include "document/QuorvaneDoc.h"
#include "view/MyScrollBar.h"
#include "view/QuorvaneView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cstring>

namespace {

constexpr int kScrollBarWidth = 16;
constexpr int kScrollBarId = 1000;

} // namespace

CBitmapView::CBitmapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BitmapView"));
    setAccessibleName(QStringLiteral("ビットマップ"));
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scrollBar = new CMyScrollBar(this);
    m_scrollBar->setObjectName(QStringLiteral("BitmapScrollBar%1").arg(kScrollBarId));
    m_scrollBar->setAccessibleName(QStringLiteral("ビットマップ スクロール"));
    // The wheel zooms, also over the bar.
    m_scrollBar->installEventFilter(this);
    connect(m_scrollBar, &CMyScrollBar::scrolled, this, [this] { update(); });
    PlaceScrollBar();
}

uint64_t CBitmapView::ScrollPos() const
{
    return m_scrollBar->TopRow();
}

QColor CBitmapView::FrameColor() const
{
    // The system's window-frame colour stands behind the picture.
    return palette().color(QPalette::Dark);
}

CBitmapView::Source CBitmapView::CurrentSource() const
{
    Source s;
    CQuorvaneView* view = m_view ? m_view.data() : FindActiveView(this);
    if (!view || !view->GetDocument())
        return s;
    s.doc = view->GetDocument();
    if (s.doc->IsDirectEdit()) {
        // The rows on screen: what the document holds in memory.
        s.base = s.doc->WindowFirstRow() * 16;
        const uint64_t size = s.doc->GetFileSize();
        s.size = std::min<uint64_t>(s.doc->StoreSize(), size > s.base ? size - s.base : 0);
    } else {
        s.size = s.doc->GetFileSize();
    }
    return s;
}

void CBitmapView::FollowActiveView()
{
    CQuorvaneView* view = FindActiveView(this);
    if (view == m_view && m_viewChanged)
        return;
    disconnect(m_viewChanged);
    disconnect(m_docLoaded);
    disconnect(m_docSize);
    disconnect(m_docWindow);
    m_view = view;
    if (!view)
        return;
    // Edits move the cursor or change the size; both repaint the picture. Loading and direct
    // edit re-reads bring new bytes.
    m_viewChanged = connect(view, &CQuorvaneView::positionChanged, this, &CBitmapView::Redraw);
    if (CQuorvaneDoc* doc = view->GetDocument()) {
        m_docLoaded = connect(doc, &CQuorvaneDoc::loadingFinished, this, &CBitmapView::Redraw);
        m_docSize = connect(doc, &CQuorvaneDoc::fileSizeChanged, this, &CBitmapView::Redraw);
        m_docWindow = connect(doc, &CQuorvaneDoc::windowLoaded, this, &CBitmapView::Redraw);
    }
}

void CBitmapView::Redraw()
{
    FollowActiveView();
    if (!isVisible())
        return;
    UpdateScrollRange();
    repaint();
}

void CBitmapView::UpdateScrollRange()
{
    const Source s = CurrentSource();
    const uint64_t max = CBitmapLayout::ScrollMax(s.size, m_zoom, height());
    // No page: the thumb's positions run from 0 to the maximum itself.
    m_scrollBar->SetRange64(CMyScrollBar::RangeBit | CMyScrollBar::PageBit, max, 1);
    if (m_scrollBar->TopRow() > max)
        m_scrollBar->SetPos64(max);
    m_scrollBar->setVisible(max > 0);
}

void CBitmapView::PlaceScrollBar()
{
    m_scrollBar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
}

void CBitmapView::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    PlaceScrollBar();
    UpdateScrollRange();
}

void CBitmapView::PaintPicture(QPainter& painter, const QSize& client)
{
    const Source s = CurrentSource();
    const uint64_t pos = ScrollPos();
    const CBitmapLayout::Picture pic = CBitmapLayout::Place(s.size, pos, m_zoom, client.height());
    painter.fillRect(QRect(QPoint(0, 0), client), FrameColor());
    if (!s.doc || pic.rows == 0)
        return;

    // The bytes go into an 8-bit image whose colour table is the byte palette: one copy of the
    // bytes, then one scaled blit.
    if (m_image.width() != CBitmapLayout::kBytesPerRow || m_image.height() < pic.rows) {
        m_image = QImage(CBitmapLayout::kBytesPerRow, pic.rows, QImage::Format_Indexed8);
        const auto& palette = CBitmapLayout::Palette();
        m_image.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    }
    const size_t wanted = pic.Bytes();
    uint8_t* bits = m_image.bits(); // rows are 128 bytes: already 4-byte aligned, no padding
    const size_t got = s.doc->ReadBytes(s.base + pic.firstByte, bits, wanted);
    if (got < wanted)
        std::memset(bits + got, 0, wanted - got);

    const int full = pic.lastRowBytes ? pic.rows - 1 : pic.rows;
    const int z = pic.zoom;
    if (full > 0)
        painter.drawImage(QRect(pic.x, pic.y, pic.Width(), full * z), m_image,
                          QRect(0, 0, CBitmapLayout::kBytesPerRow, full));
    // The partial last row: only its bytes, the rest of the row keeps the frame colour.
    if (pic.lastRowBytes)
        painter.drawImage(QRect(pic.x, pic.y + full * z, pic.lastRowBytes * z, z), m_image,
                          QRect(0, full, pic.lastRowBytes, 1));
}

void CBitmapView::paintEvent(QPaintEvent*)
{
    if (m_scrollBar->RowCount() == 0)
        UpdateScrollRange(); // the range is still empty: compute it before painting
    QPainter painter(this);
    PaintPicture(painter, size());
}

void CBitmapView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        const Source s = CurrentSource();
        const QPoint pt = e->position().toPoint();
        CQuorvaneView* view = FindActiveView(this);
        if (s.doc && view) {
            if (auto address = CBitmapLayout::AddressAt(pt.x(), pt.y(), ScrollPos(), m_zoom, s.size)) {
                uint64_t target = s.base + *address; // a file address also in direct edit mode
                um::SetCursor::Send(view, &target, false);
                view->setFocus(Qt::MouseFocusReason);
                return;
            }
        }
    }
    QWidget::mousePressEvent(e);
}

void CBitmapView::mouseDoubleClickEvent(QMouseEvent* e)
{
    // Nothing inside the picture: docking and floating belong to the caption.
    e->accept();
}

void CBitmapView::ChangeZoom(int delta)
{
    m_zoom = CBitmapLayout::WheelZoom(m_zoom, delta);
    UpdateScrollRange();
    update();
}

void CBitmapView::wheelEvent(QWheelEvent* e)
{
    ChangeZoom(e->angleDelta().y());
    e->accept();
}

bool CBitmapView::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_scrollBar && e->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(e));
        return true;
    }
    return QWidget::eventFilter(watched, e);
}
