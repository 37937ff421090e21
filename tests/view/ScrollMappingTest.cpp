// Tests of the 64-bit row to 32-bit scroll-bar mapping and the scroll codes.
#include "view/ScrollMapping.h"

#include <gtest/gtest.h>

using C = CScrollMapping;

TEST(ScrollMapping, SmallFilesCountRowsAndHugeFilesAreScaled)
{
    EXPECT_FALSE(C::IsScaled(0));
    EXPECT_FALSE(C::IsScaled(0xFFFFFFF));
    EXPECT_TRUE(C::IsScaled(0x10000000));
    EXPECT_TRUE(C::IsScaled(0x100000000ull));
    EXPECT_EQ(C::ControlMaximum(1234), 1234);
    EXPECT_EQ(C::ControlMaximum(0x10000000), C::kScaledRange);

    EXPECT_EQ(C::RowToPosition(77, 1234), 77);
    EXPECT_EQ(C::TrackToRow(77, 1234, 30), 77u);
    EXPECT_EQ(C::TrackToRow(5000, 1234, 30), 1234u);

    // 4 GB: half way down is half the scaled range.
    EXPECT_EQ(C::RowToPosition(0x8000000, 0x10000000), 50000);
    EXPECT_EQ(C::RowToPosition(0, 0x10000000), 0);
    EXPECT_EQ(C::RowToPosition(0x10000000, 0x10000000), 100000);
}

TEST(ScrollMapping, ScaledThumbReachesEveryPartOfAHugeFile)
{
    const uint64_t rows = (5ull << 30) / 16; // a 5 GB file
    const int page = 40;
    EXPECT_EQ(C::TrackToRow(0, rows, page), 0u);
    // The thumb's last position (maximum - page + 1) is the last row.
    EXPECT_EQ(C::TrackToRow(C::kScaledRange - page + 1, rows, page), rows);
    // Positions are monotonic and proportional.
    uint64_t previous = 0;
    for (int t = 1; t <= C::kScaledRange - page + 1; t += 997) {
        const uint64_t row = C::TrackToRow(t, rows, page);
        EXPECT_GE(row, previous);
        previous = row;
    }
    const uint64_t mid = C::TrackToRow(50000 - page + 1, rows, page);
    EXPECT_EQ(mid, rows / 2);
    // Row to position and back lands within one position's worth of rows.
    const uint64_t row = rows / 3;
    const int pos = C::RowToPosition(row, rows);
    EXPECT_EQ(pos, 33333);
    // Rows of 2^60: no overflow.
    const uint64_t giant = 1ull << 60;
    EXPECT_EQ(C::RowToPosition(giant / 4, giant), 25000);
    EXPECT_EQ(C::TrackToRow(C::kScaledRange, giant, 1), giant);
}

TEST(ScrollMapping, ScrollCodesStayWithinTheRows)
{
    const uint64_t rows = 100;
    EXPECT_EQ(C::ScrollBy(C::LineUp, 0, rows, 10, 0, 0), 0u);
    EXPECT_EQ(C::ScrollBy(C::LineUp, 5, rows, 10, 3, 0), 2u);
    EXPECT_EQ(C::ScrollBy(C::LineUp, 2, rows, 10, 3, 0), 0u);
    EXPECT_EQ(C::ScrollBy(C::LineDown, 5, rows, 10, 0, 0), 6u);
    EXPECT_EQ(C::ScrollBy(C::LineDown, 99, rows, 10, 3, 0), rows);
    EXPECT_EQ(C::ScrollBy(C::PageUp, 25, rows, 10, 0, 0), 15u);
    EXPECT_EQ(C::ScrollBy(C::PageUp, 5, rows, 10, 0, 0), 0u);
    EXPECT_EQ(C::ScrollBy(C::PageDown, 25, rows, 10, 0, 0), 35u);
    EXPECT_EQ(C::ScrollBy(C::PageDown, 95, rows, 10, 0, 0), rows);
    EXPECT_EQ(C::ScrollBy(C::Top, 50, rows, 10, 0, 0), 0u);
    EXPECT_EQ(C::ScrollBy(C::Bottom, 50, rows, 10, 0, 0), rows);
    EXPECT_EQ(C::ScrollBy(C::ThumbTrack, 50, rows, 10, 0, 42), 42u);
    EXPECT_EQ(C::ScrollBy(C::EndScroll, 50, rows, 10, 0, 42), 50u);
    // Near the top of the 64-bit range nothing wraps.
    const uint64_t huge = ~uint64_t(0) / 16;
    EXPECT_EQ(C::ScrollBy(C::LineDown, huge - 1, huge, 10, 5, 0), huge);
    EXPECT_EQ(C::ScrollBy(C::PageDown, huge - 3, huge, 10, 0, 0), huge);
}
