// The vertical scroll position of the view: 64-bit rows on a 32-bit scroll-bar control.
#pragma once

#include <cstdint>

// Files may have more rows than a scroll-bar control can count. Up to 0xFFFFFFF rows the
// control counts rows; above that (files of 4 GB and more) its range is scaled to 0..100000
// and positions are proportional. All functions are pure.
class CScrollMapping
{
public:
    static constexpr int kScaledRange = 100000;

    // The scroll codes of the bar.
    enum Code : int {
        LineUp = 0,
        LineDown = 1,
        PageUp = 2,
        PageDown = 3,
        ThumbPosition = 4,
        ThumbTrack = 5,
        Top = 6,
        Bottom = 7,
        EndScroll = 8,
    };

    static bool IsScaled(uint64_t rowCount);
    // The control's maximum: rowCount, or kScaledRange when scaled.
    static int ControlMaximum(uint64_t rowCount);
    // The control position that shows `row` (row <= rowCount).
    static int RowToPosition(uint64_t row, uint64_t rowCount);
    // The row a thumb at track position `track` stands for. The last thumb position (the
    // control's maximum less the page, plus one) reaches the last row.
    static uint64_t TrackToRow(int track, uint64_t rowCount, int pageRows);
    // The first visible row after a scroll code; `amount` 0 means one line step (1 row).
    // EndScroll leaves the row as it is.
    static uint64_t ScrollBy(Code code, uint64_t topRow, uint64_t rowCount, int pageRows,
                             uint64_t amount, int track);
};
