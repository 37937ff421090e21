// Tests of the hex view's geometry, address texts and hit testing.
#include "view/ViewLayout.h"

#include <gtest/gtest.h>

namespace {

CViewLayout Measured(int charWidth, int lineHeight, uint64_t fileSize)
{
    CViewLayout l;
    l.SetMetrics(charWidth, lineHeight);
    l.SetFileSize(fileSize);
    return l;
}

} // namespace

TEST(ViewLayout, GeometryFollowsTheFontMeasures)
{
    const CViewLayout l = Measured(8, 16, 100);
    EXPECT_EQ(l.m_rowPitch, 24);
    EXPECT_EQ(l.m_hexCellWidth, 26);
    EXPECT_EQ(l.m_addrChars, 8);
    EXPECT_EQ(l.m_addrWidth, 8 * 9 + 4);
    EXPECT_EQ(l.HexCellX(0), 76 + 8);
    EXPECT_EQ(l.HexCellX(15), 76 + 8 + 15 * 27);
    EXPECT_EQ(l.m_charColumnX, 76 + 16 * 26 + 16 + 8);
    EXPECT_EQ(l.CharCellX(3), l.m_charColumnX + 24);
    EXPECT_EQ(l.TextY(0), 24 + 8);
    EXPECT_EQ(l.TextY(2), 24 + 8 + 48);
    EXPECT_EQ(l.SeparatorY(0), 32 + 16 + 4);
    EXPECT_EQ(l.RowsPainted(240), 9);
    EXPECT_EQ(l.RowsOnScreen(240), 10);

    // Odd widths: divisions are integer divisions.
    const CViewLayout odd = Measured(7, 15, 0);
    EXPECT_EQ(odd.m_addrWidth, 7 * 9 + 3);
    EXPECT_EQ(odd.m_rowPitch, 22);
}

TEST(ViewLayout, AddressColumnWidensForFilesOfFourGigabytesAndMore)
{
    EXPECT_EQ(Measured(8, 16, 0xFFFFFFFFull).m_addrChars, 8);
    const CViewLayout big = Measured(8, 16, 0x100000000ull);
    EXPECT_EQ(big.m_addrChars, 9);
    EXPECT_EQ(big.m_addrWidth, 8 * 10 + 4);
    EXPECT_EQ(big.m_charColumnX, Measured(8, 16, 0).m_charColumnX + 8);

    EXPECT_EQ(CViewLayout::RowAddressText(0), QStringLiteral("00000000"));
    EXPECT_EQ(CViewLayout::RowAddressText(0x1A2B), QStringLiteral("0001A2B0"));
    EXPECT_EQ(CViewLayout::RowAddressText(0x10000000), QStringLiteral("100000000"));
    EXPECT_EQ(CViewLayout::RowAddressText(0x140000000ull / 16 - 1), QStringLiteral("13FFFFFF0"));
}

TEST(ViewLayout, HitTestFindsTheByteUnderThePoint)
{
    const CViewLayout l = Measured(8, 16, 1000);
    const int y1 = l.TextY(1) + 2; // screen row 1
    // The first hex cell, and the left margin (widened to it).
    EXPECT_EQ(l.HitTest(l.HexCellX(0) + 1, y1, 10).address, 11u * 16);
    EXPECT_EQ(l.HitTest(l.m_addrWidth + 1, y1, 10).address, 11u * 16);
    EXPECT_FALSE(l.HitTest(l.HexCellX(0) + 1, y1, 10).inCharColumn);
    EXPECT_EQ(l.HitTest(l.HexCellX(7) + 3, y1, 0).address, 16u + 7);
    // The right half of the last hex cell and the gap before the text column stay in the row.
    EXPECT_EQ(l.HitTest(l.HexCellX(15) + 2 * 8, y1, 0).address, 16u + 15);
    EXPECT_EQ(l.HitTest(l.m_charColumnX - 1, y1, 0).address, 16u + 15);
    // The text column, and past its last cell.
    const CViewLayout::Hit t = l.HitTest(l.CharCellX(4) + 1, y1, 0);
    EXPECT_TRUE(t.inCharColumn);
    EXPECT_EQ(t.address, 16u + 4);
    EXPECT_EQ(l.HitTest(l.CharCellX(15) + 200, y1, 0).address, 16u + 15);
    // The header band names the row above the first visible row, never a row before 0.
    EXPECT_EQ(l.HitTest(l.HexCellX(2), 3, 5).address, 4u * 16 + 2);
    EXPECT_EQ(l.HitTest(l.HexCellX(2), 3, 0).address, 2u);
    EXPECT_EQ(l.HitTest(l.HexCellX(2), -40, 0).address, 2u);
    // The right-button variant does not widen the margin; a point left of the cells is column 0.
    EXPECT_EQ(l.HitTest(l.m_addrWidth + 1, y1, 0, true).address, 16u);
}
