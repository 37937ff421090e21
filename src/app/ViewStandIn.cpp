// The stand-in view: plain hexadecimal rows and the notifications the frame expects.
#include "app/ViewStandIn.h"

#include "app/CommandIds.h"
#include "app/Messages.h"
#include "document/QuorvaneDoc.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

CQuorvaneView::CQuorvaneView(CQuorvaneDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

void CQuorvaneView::OnInitialUpdate()
{
    um::GetOutputPane::Send(window());
    um::GetInfoPane::Send(window());
    um::GetStructPane::Send(window());
    um::ShowCharCode::Send(window(), 2, true);
}

void CQuorvaneView::OnActivateView(bool activate)
{
    if (!activate)
        return;
    QWidget* frame = window();
    um::StatusText::Send(frame, um::PaneInputMode, QStringLiteral("上書"));
    um::StatusText::SendDirectEdit(frame, m_doc->IsDirectEdit());
    um::ShowCharCode::Send(frame, 2, false);
    um::StatusText::SendFileSize(frame, m_doc->GetFileSize());
    um::RedrawBitmap::Send(frame);
    um::ShowByteOrder::Send(frame, 0);
}

bool CQuorvaneView::OnCommand(int)
{
    return false;
}

bool CQuorvaneView::OnUpdateCommand(int, CmdUI&)
{
    return false;
}

bool CQuorvaneView::event(QEvent* e)
{
    if (um::Cast<um::Reset>(e)) {
        ++m_resets;
        viewport()->update();
        return true;
    }
    return QAbstractScrollArea::event(e);
}

void CQuorvaneView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Qt::white);
    const QFontMetrics fm(viewport()->font());
    const int rows = viewport()->height() / fm.height() + 1;
    const uint64_t size = m_doc->GetFileSize();
    for (int r = 0; r < rows && uint64_t(r) * 16 < size; ++r) {
        QString line = QStringLiteral("%1 ").arg(r * 16, 8, 16, QLatin1Char('0')).toUpper();
        for (int i = 0; i < 16 && uint64_t(r) * 16 + i < size; ++i)
            line += QStringLiteral(" %1").arg(m_doc->ByteAt(uint64_t(r) * 16 + i), 2, 16, QLatin1Char('0')).toUpper();
        p.drawText(4, (r + 1) * fm.height(), line);
    }
}
