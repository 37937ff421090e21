// The vertical scroll position of the view: 64-bit rows on a 32-bit scroll-bar control.
#include "view/ScrollMapping.h"

#include <algorithm>

bool CScrollMapping::IsScaled(uint64_t rowCount)
{
    return (rowCount >> 32) != 0 || rowCount > 0xFFFFFFF;
}

int CScrollMapping::ControlMaximum(uint64_t rowCount)
{
    return IsScaled(rowCount) ? kScaledRange : static_cast<int>(rowCount);
}

int CScrollMapping::RowToPosition(uint64_t row, uint64_t rowCount)
{
    if (!IsScaled(rowCount))
        return static_cast<int>(std::min(row, rowCount));
    if (row == 0 || rowCount == 0)
        return 0;
    // Proportional, computed exactly in 128 bits: the thumb moves smoothly with the row.
    const unsigned __int128 pos = static_cast<unsigned __int128>(std::min(row, rowCount)) * kScaledRange / rowCount;
    return static_cast<int>(pos);
}

uint64_t CScrollMapping::TrackToRow(int track, uint64_t rowCount, int pageRows)
{
    if (track <= 0)
        return 0;
    if (!IsScaled(rowCount))
        return std::min<uint64_t>(static_cast<uint64_t>(track), rowCount);
    const uint64_t t = static_cast<uint64_t>(track) + static_cast<uint64_t>(std::max(pageRows, 1)) - 1;
    const unsigned __int128 row = static_cast<unsigned __int128>(rowCount) * t / kScaledRange;
    return row > rowCount ? rowCount : static_cast<uint64_t>(row);
}

uint64_t CScrollMapping::ScrollBy(Code code, uint64_t topRow, uint64_t rowCount, int pageRows,
                                  uint64_t amount, int track)
{
    if (amount == 0)
        amount = 1;
    const uint64_t page = static_cast<uint64_t>(std::max(pageRows, 0));
    switch (code) {
    case LineUp: return amount > topRow ? 0 : topRow - amount;
    case LineDown: return rowCount - std::min(topRow, rowCount) < amount ? rowCount : topRow + amount;
    case PageUp: return page > topRow ? 0 : topRow - page;
    case PageDown: return rowCount - std::min(topRow, rowCount) < page ? rowCount : topRow + page;
    case ThumbPosition:
    case ThumbTrack: return TrackToRow(track, rowCount, pageRows);
    case Top: return 0;
    case Bottom: return rowCount;
    case EndScroll: break;
    }
    return topRow;
}
