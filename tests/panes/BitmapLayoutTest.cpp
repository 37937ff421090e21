// The bitmap pane's picture rules: byte colours, placement, partial rows, scroll range, clicks, zoom.
#include "panes/BitmapLayout.h"

#include <gtest/gtest.h>

TEST(BitmapLayout, BytesAreColouredByTheirClass)
{
    const auto& p = CBitmapLayout::Palette();
    EXPECT_EQ(p[0], 0xFFFFFFFFu);
    EXPECT_EQ(p[1], 0xFF00FFFFu);
    EXPECT_EQ(p[31], 0xFF00FFFFu);
    EXPECT_EQ(p[32], 0xFFFF0000u);
    EXPECT_EQ(p[127], 0xFFFF0000u);
    EXPECT_EQ(p[128], 0xFF000000u);
    EXPECT_EQ(p[255], 0xFF000000u);
}

TEST(BitmapLayout, PictureHoldsTheRowsWithDataAndMarksAPartialLastRow)
{
    // 200 bytes: one full row and 72 bytes of a second, 10 pixels in from the top-left corner.
    auto pic = CBitmapLayout::Place(200, 0, 1, 500);
    EXPECT_EQ(pic.rows, 2);
    EXPECT_EQ(pic.lastRowBytes, 72);
    EXPECT_EQ(pic.x, 10);
    EXPECT_EQ(pic.y, 10);
    EXPECT_EQ(pic.Bytes(), 200u);
    // An empty document has no picture; neither has a scroll position past the data.
    EXPECT_EQ(CBitmapLayout::Place(0, 0, 1, 500).rows, 0);
    EXPECT_EQ(CBitmapLayout::Place(200, 5, 1, 500).rows, 0);
    // A whole number of rows has no partial row.
    pic = CBitmapLayout::Place(256, 0, 2, 500);
    EXPECT_EQ(pic.rows, 2);
    EXPECT_EQ(pic.lastRowBytes, 0);
    EXPECT_EQ(pic.Height(), 4);
    EXPECT_EQ(pic.Width(), 256);
    // A large file fills the pane: scrolled, the picture starts at the top edge and its rows
    // are cut to what the pane shows; the last screen row is full, not a partial data row.
    pic = CBitmapLayout::Place(1000000, 3, 2, 101);
    EXPECT_EQ(pic.y, 0);
    EXPECT_EQ(pic.firstByte, 384u);
    EXPECT_EQ(pic.rows, 51);
    EXPECT_EQ(pic.lastRowBytes, 0);
    EXPECT_EQ(CBitmapLayout::Place(1000000, 0, 1, 500).rows, 490);
}

TEST(BitmapLayout, ScrollRangeFollowsSizeZoomAndHeight)
{
    // size / 128 + 10 / zoom - height / zoom, never below 0.
    EXPECT_EQ(CBitmapLayout::ScrollMax(128000, 1, 500), 1000u + 10 - 500);
    EXPECT_EQ(CBitmapLayout::ScrollMax(128000, 2, 500), 1000u + 5 - 250);
    EXPECT_EQ(CBitmapLayout::ScrollMax(200, 1, 500), 0u);
    EXPECT_EQ(CBitmapLayout::ScrollMax(0, 1, 0), 10u); // a pane without height
}

TEST(BitmapLayout, ClicksFindTheirByteAndMarginsFindNone)
{
    // Byte 300 at zoom 1, not scrolled: column 44 of row 2.
    EXPECT_EQ(CBitmapLayout::AddressAt(10 + 44, 10 + 2, 0, 1, 1000), 300u);
    EXPECT_EQ(CBitmapLayout::AddressAt(10, 10, 0, 1, 1000), 0u);
    // At zoom 2 each byte is two pixels square; scrolled, the top margin is gone.
    EXPECT_EQ(CBitmapLayout::AddressAt(10 + 89, 10 + 5, 0, 2, 1000), 300u);
    EXPECT_EQ(CBitmapLayout::AddressAt(10 + 44, 0, 2, 1, 1000), 300u);
    EXPECT_EQ(CBitmapLayout::AddressAt(10 + 88, 1, 2, 2, 1000), 300u);
    // The end-of-data cell is a place for the cursor; past it is nothing.
    EXPECT_EQ(CBitmapLayout::AddressAt(10 + 72, 11, 0, 1, 200), 200u);
    EXPECT_FALSE(CBitmapLayout::AddressAt(10 + 73, 11, 0, 1, 200));
    EXPECT_FALSE(CBitmapLayout::AddressAt(10 + 1, 13, 0, 1, 200));
    // Margins and the space right of the picture.
    EXPECT_FALSE(CBitmapLayout::AddressAt(5, 20, 0, 1, 1000));
    EXPECT_FALSE(CBitmapLayout::AddressAt(20, 5, 0, 1, 1000));
    EXPECT_FALSE(CBitmapLayout::AddressAt(10 + 128, 12, 0, 1, 1000));
    EXPECT_FALSE(CBitmapLayout::AddressAt(10 + 300, 12, 0, 1, 1000));
    EXPECT_TRUE(CBitmapLayout::AddressAt(10 + 255, 12, 0, 2, 1000));
    // Huge files keep 64-bit addresses.
    const uint64_t big = uint64_t(1) << 40;
    EXPECT_EQ(CBitmapLayout::AddressAt(10, 0, big / 128, 1, big + 5), big);
}

TEST(BitmapLayout, WheelSwitchesBetweenTheTwoZoomLevels)
{
    int zoom = 1;
    for (int i = 0; i < 3; ++i)
        zoom = CBitmapLayout::WheelZoom(zoom, 120);
    EXPECT_EQ(zoom, 2);
    zoom = CBitmapLayout::WheelZoom(zoom, -120);
    EXPECT_EQ(zoom, 1);
    EXPECT_EQ(CBitmapLayout::WheelZoom(zoom, -120), 1);
    EXPECT_EQ(CBitmapLayout::WheelZoom(1, 0), 2);
}
