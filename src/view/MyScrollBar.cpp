// The view's vertical scroll bar: a 64-bit first visible row on a 32-bit control.
#include "view/MyScrollBar.h"

#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

CMyScrollBar::CMyScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    setFocusPolicy(Qt::NoFocus);
    setSingleStep(1);
    connect(this, &QAbstractSlider::actionTriggered, this, &CMyScrollBar::OnAction);
    ApplyControlRange();
}

bool CMyScrollBar::IsNeeded() const
{
    return CScrollMapping::ControlMaximum(m_rowCount) > m_pageRows;
}

void CMyScrollBar::ApplyControlRange()
{
    // The platform convention: with a page of p the thumb's last position is maximum - p + 1,
    // where the thumb's end reaches the end of the track.
    const int maximum = CScrollMapping::ControlMaximum(m_rowCount);
    const int page = std::max(m_pageRows, 1);
    // An unchanged range leaves the thumb alone (it may be under the pointer, between rows).
    if (pageStep() == page && this->maximum() == std::max(0, maximum - page + 1) && m_rangeApplied)
        return;
    m_rangeApplied = true;
    const QSignalBlocker block(this);
    setPageStep(page);
    setRange(0, std::max(0, maximum - page + 1));
    setValue(CScrollMapping::RowToPosition(m_topRow, m_rowCount));
}

void CMyScrollBar::SetRange64(int mask, uint64_t rowCount, int pageRows)
{
    if (mask & RangeBit) {
        m_rowCount = rowCount;
        m_topRow = std::min(m_topRow, m_rowCount);
    }
    if (mask & PageBit)
        m_pageRows = pageRows;
    ApplyControlRange();
    setVisible(IsNeeded());
}

void CMyScrollBar::SetPos64(uint64_t row)
{
    if (row > m_rowCount)
        return;
    m_topRow = row;
    const QSignalBlocker block(this);
    setValue(CScrollMapping::RowToPosition(row, m_rowCount));
}

void CMyScrollBar::ScrollBy(CScrollMapping::Code code, uint64_t amount)
{
    if (code == CScrollMapping::EndScroll)
        return;
    if (amount == 0)
        amount = static_cast<uint64_t>(m_lineStep);
    m_topRow = CScrollMapping::ScrollBy(code, m_topRow, m_rowCount, m_pageRows, amount, sliderPosition());
    // A dragged thumb stays under the pointer; every other scroll places it by the row.
    if (code != CScrollMapping::ThumbTrack && code != CScrollMapping::ThumbPosition)
        setSliderPosition(CScrollMapping::RowToPosition(m_topRow, m_rowCount));
    Q_EMIT scrolled();
}

void CMyScrollBar::OnAction(int action)
{
    using C = CScrollMapping;
    switch (action) {
    case SliderSingleStepAdd: ScrollBy(C::LineDown); break;
    case SliderSingleStepSub: ScrollBy(C::LineUp); break;
    case SliderPageStepAdd: ScrollBy(C::PageDown); break;
    case SliderPageStepSub: ScrollBy(C::PageUp); break;
    case SliderToMinimum: ScrollBy(C::Top); break;
    case SliderToMaximum: ScrollBy(C::Bottom); break;
    case SliderMove: ScrollBy(C::ThumbTrack); break;
    default: break;
    }
}

void CMyScrollBar::Wheel(int delta)
{
    if (delta == 0)
        return;
    // A notch is 120. Fine-grained wheels and touchpads send parts of it; they add up to notches
    // so that a small movement does not scroll a whole line per event.
    if ((m_wheelRest > 0) != (delta > 0))
        m_wheelRest = 0;
    m_wheelRest += delta;
    const int k = std::abs(m_wheelRest / 120);
    if (k == 0)
        return;
    const bool down = m_wheelRest < 0;
    m_wheelRest %= 120;
    ScrollBy(down ? CScrollMapping::LineDown : CScrollMapping::LineUp,
             k == 1 ? 0 : static_cast<uint64_t>(k) * static_cast<uint64_t>(m_lineStep));
}

void CMyScrollBar::wheelEvent(QWheelEvent* e)
{
    Wheel(e->angleDelta().y());
    e->accept();
}
