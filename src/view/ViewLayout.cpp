// Geometry of the hex view for a measured font: rows, cells, header and hit testing.
#include "view/ViewLayout.h"

#include <algorithm>

void CViewLayout::SetMetrics(int charWidth, int lineHeight)
{
    m_charWidth = std::max(1, charWidth);
    m_lineHeight = std::max(1, lineHeight);
    m_rowPitch = m_lineHeight + m_charWidth;
    m_hexCellWidth = 3 * m_charWidth + 2;
    m_hexGap = 1;
    m_addrWidth = m_charWidth * (m_addrChars + 1) + m_charWidth / 2;
    m_charColumnX = m_addrWidth + kBytesPerRow * m_hexCellWidth + kBytesPerRow * m_hexGap + m_charWidth;
}

void CViewLayout::SetFileSize(uint64_t fileSize)
{
    m_addrChars = static_cast<int>(RowAddressText(fileSize / kBytesPerRow).size());
    SetMetrics(m_charWidth, m_lineHeight);
}

int CViewLayout::HexCellX(int column) const
{
    return m_addrWidth + m_charWidth + column * (m_hexCellWidth + m_hexGap);
}

QString CViewLayout::RowAddressText(uint64_t row)
{
    return QStringLiteral("%1").arg(row, 7, 16, QLatin1Char('0')).toUpper() + QLatin1Char('0');
}

CViewLayout::Hit CViewLayout::HitTest(int x, int y, uint64_t topRow, bool rightButton) const
{
    Hit hit;
    // C-style truncation as the row rule states it; a point above row 0 stays on row 0.
    const int64_t rowOffset = static_cast<int64_t>(y / m_rowPitch) - 1;
    uint64_t row;
    if (rowOffset < 0)
        row = topRow >= static_cast<uint64_t>(-rowOffset) ? topRow - static_cast<uint64_t>(-rowOffset) : 0;
    else
        row = topRow + static_cast<uint64_t>(rowOffset);

    int column;
    if (x < m_charColumnX) {
        const int left = m_addrWidth + 5;
        const int from = rightButton ? x : std::max(x, left);
        column = (from - left) / m_hexCellWidth;
        hit.inCharColumn = false;
    } else {
        column = (x - m_charColumnX) / m_charWidth;
        hit.inCharColumn = true;
    }
    column = std::clamp(column, 0, kBytesPerRow - 1);
    hit.address = row * kBytesPerRow + static_cast<uint64_t>(column);
    return hit;
}
