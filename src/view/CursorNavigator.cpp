// The cursor and selection of the hex view and the rules that move them.
#include "view/CursorNavigator.h"

#include <algorithm>

void CCursorNavigator::SetSelection(uint64_t start, uint64_t end)
{
    const uint64_t size = m_host.FileSize();
    if (size == 0) {
        ClearSelection();
        return;
    }
    if (start > end)
        std::swap(start, end);
    end = std::min(end, size - 1);
    if (start > end) {
        ClearSelection();
        return;
    }
    m_selStart = start;
    m_selEnd = end;
}

void CCursorNavigator::MoveCursor(uint64_t newPos, uint64_t oldPos, bool keepOld)
{
    m_cursor = std::min(newPos, m_host.FileSize());
    if (m_shiftDown)
        SpanSelection(keepOld ? oldPos : m_cursor);
    else
        ClearSelection();
    m_lowNibble = false;
}

void CCursorNavigator::SpanSelection(uint64_t start)
{
    if (!HasSelection()) {
        m_selStart = m_selEnd = start;
        m_selAnchor = start;
    }
    const uint64_t p = m_cursor;
    const uint64_t q = m_selAnchor;
    if (p < q) {
        m_selStart = p;
        m_selEnd = q - 1;
    } else if (p == q) {
        ClearSelection();
    } else {
        m_selStart = q;
        m_selEnd = p - 1;
    }
}

void CCursorNavigator::EnsureCursorVisible()
{
    const int64_t n = m_host.RowsOnScreen();
    const uint64_t r = m_cursor / 16;
    const uint64_t top = m_host.TopRow();
    const int64_t keep = n - 2; // rows above the caret when it is brought in from below
    const bool belowPage = keep <= 0 || r >= top + static_cast<uint64_t>(keep);
    if (r <= top || belowPage) {
        if (keep > 0 && r < static_cast<uint64_t>(keep))
            m_host.ScrollToRow(0);
        else
            m_host.ScrollToRow(keep > 0 ? r - static_cast<uint64_t>(keep) : r);
    }
}

void CCursorNavigator::NavigateKey(Key key)
{
    const uint64_t size = m_host.FileSize();
    const int64_t pageLines = std::max<int64_t>(m_host.RowsOnScreen() - 1, 0);
    const uint64_t L = static_cast<uint64_t>(pageLines);
    switch (key) {
    case Key::Left:
        if (m_cursor > 0)
            MoveCursor(m_cursor - 1, m_cursor, true);
        break;
    case Key::Right:
        if (m_cursor < size)
            MoveCursor(m_cursor + 1, m_cursor, true);
        break;
    case Key::Up:
        if (m_cursor >= 16)
            MoveCursor(m_cursor - 16, m_cursor, true);
        break;
    case Key::Down:
        if (m_cursor + 16 <= size)
            MoveCursor(m_cursor + 16, m_cursor, true);
        else
            MoveCursor(size, 0, false);
        break;
    case Key::PageUp: {
        const uint64_t top = m_host.TopRow();
        m_host.ScrollToRow(L > top ? 0 : top - L);
        // MoveCursor keeps the cursor inside the file when the top row is the end-of-file row.
        MoveCursor(m_host.TopRow() * 16 + m_cursor % 16, m_cursor, true);
        break;
    }
    case Key::PageDown: {
        const uint64_t top = m_host.TopRow();
        uint64_t t = top + L;
        if (t * 16 > size)
            t = top;
        m_host.ScrollToRow(t);
        const uint64_t d = m_host.TopRow() * 16 + m_cursor % 16;
        MoveCursor(std::max(d, m_cursor), m_cursor, true);
        break;
    }
    }
    ScrollAfterKey();
}

void CCursorNavigator::ScrollAfterKey()
{
    const uint64_t L = static_cast<uint64_t>(std::max(m_host.RowsOnScreen() - 1, 0));
    const uint64_t r = m_cursor / 16;
    uint64_t top = m_host.TopRow();
    if (r + 1 < top || r >= top + L)
        EnsureCursorVisible();
    top = m_host.TopRow();
    if (r + 1 >= top + L)
        m_host.ScrollToRow(top + 1);
    else if (m_cursor < top * 16)
        m_host.ScrollToRow(top - 1);
}

void CCursorNavigator::JumpToStart()
{
    m_cursor = 0;
    m_lowNibble = false;
    EnsureCursorVisible();
}

void CCursorNavigator::JumpToEnd()
{
    m_cursor = m_host.FileSize();
    m_lowNibble = false;
    EnsureCursorVisible();
}

bool CCursorNavigator::SelectAll()
{
    const uint64_t size = m_host.FileSize();
    if (size == 0)
        return false;
    m_selStart = 0;
    m_selEnd = size - 1;
    m_selAnchor = 0;
    m_cursor = size - 1;
    m_lowNibble = false;
    EnsureCursorVisible();
    return true;
}

void CCursorNavigator::AddressJump(int type, uint64_t amount)
{
    const uint64_t size = m_host.FileSize();
    uint64_t c = m_cursor;
    if (type == JumpAbsolute)
        c = amount;
    else if (type == JumpForward)
        c = amount > ~uint64_t(0) - c ? ~uint64_t(0) : c + amount;
    else if (type == JumpBackward)
        c = amount > c ? 0 : c - amount;
    else
        return;
    m_cursor = std::min(c, size);
    m_lowNibble = false;
    if (HasSelection()) {
        if (m_cursor == m_selStart)
            ClearSelection();
        else
            SetSelection(std::min(m_selAnchor, m_cursor), std::max(m_selAnchor, m_cursor));
    }
    EnsureCursorVisible();
}

bool CCursorNavigator::SetCursorTo(uint64_t address)
{
    if (address >= m_host.FileSize())
        return false;
    m_cursor = address;
    m_lowNibble = false;
    EnsureCursorVisible();
    return true;
}

void CCursorNavigator::SelectRange(uint64_t start, uint64_t end)
{
    SetSelection(start, end);
    if (HasSelection())
        m_selAnchor = m_selStart;
    m_cursor = std::min(end, m_host.FileSize());
    m_lowNibble = false;
}

void CCursorNavigator::RestoreCursor(uint64_t address)
{
    m_cursor = std::min(address, m_host.FileSize());
}

void CCursorNavigator::ClampToFile()
{
    const uint64_t size = m_host.FileSize();
    m_cursor = std::min(m_cursor, size);
    m_selAnchor = std::min(m_selAnchor, size);
    if (HasSelection())
        SetSelection(m_selStart, m_selEnd);
}

void CCursorNavigator::LeftButtonDown(uint64_t address, bool inCharColumn, bool shift)
{
    const uint64_t size = m_host.FileSize();
    m_dragging = true;
    ClearSelection();
    m_inCharColumn = inCharColumn;
    address = std::min(address, size);
    if (shift) {
        m_cursor = address;
        SpanSelection(m_selAnchor);
    } else {
        m_cursor = address;
        m_selAnchor = address;
    }
}

void CCursorNavigator::DragScroll(bool above, bool below)
{
    if (!m_dragging)
        return;
    const uint64_t top = m_host.TopRow();
    if (above && top > 0)
        m_host.ScrollToRow(top - 1);
    else if (below)
        m_host.ScrollToRow(top + 1);
}

void CCursorNavigator::MouseMove(uint64_t address, bool inCharColumn)
{
    if (!m_dragging)
        return;
    m_inCharColumn = inCharColumn;
    const uint64_t size = m_host.FileSize();
    if (address > size) {
        if (m_host.TopRow() != 0) {
            m_cursor = size;
            if (m_selAnchor < size)
                SetSelection(m_selAnchor, size - 1);
            else
                ClearSelection();
        }
        return;
    }
    m_cursor = address;
    SpanSelection(m_selAnchor);
}

void CCursorNavigator::LeftButtonUp()
{
    m_dragging = false;
    m_lowNibble = false;
}

bool CCursorNavigator::RightButtonDown(uint64_t address)
{
    if (HasSelection() && m_selStart <= address && address <= m_selEnd)
        return false;
    if (address <= m_host.FileSize()) {
        m_cursor = address;
        m_lowNibble = false;
    }
    return true;
}
