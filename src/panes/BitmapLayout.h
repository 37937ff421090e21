// The bitmap pane's picture: byte colours, placement, scroll range and clicks, without a window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// One pixel per byte, 128 bytes per pixel row, zoomed 1 or 2 times, drawn 10 pixels from the
// left edge and (at scroll position 0) from the top; everything else is frame-coloured.
class CBitmapLayout
{
public:
    static constexpr int kBytesPerRow = 128;
    static constexpr int kMargin = 10;
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 2;

    // The colour of each byte value as 0xAARRGGBB: 0 white, 1-31 cyan, 32-127 red, 128-255 black.
    static const std::array<uint32_t, 256>& Palette();

    // Where the picture of `size` bytes goes in a pane `height` pixels high.
    struct Picture
    {
        uint64_t firstByte = 0; // scroll position × 128
        int rows = 0;           // pixel rows of bytes drawn (the last possibly partial)
        int lastRowBytes = 0;   // bytes in the last row when it is partial, else 0
        int x = kMargin;        // top-left corner on screen
        int y = kMargin;
        int zoom = 1;
        // Screen width of the full rows and the height of all rows.
        int Width() const { return kBytesPerRow * zoom; }
        int Height() const { return rows * zoom; }
        size_t Bytes() const { return rows == 0 ? 0 : size_t(rows - 1) * kBytesPerRow + (lastRowBytes ? lastRowBytes : kBytesPerRow); }
    };
    static Picture Place(uint64_t size, uint64_t scrollPos, int zoom, int height);

    // The scroll bar's maximum: size / 128 + 10 / zoom - height / zoom, not below 0.
    static uint64_t ScrollMax(uint64_t size, int zoom, int height);

    // The byte under a click at (x, y), when it is a byte of the picture or the end-of-data cell
    // just after it; nothing for the margins and the space right of or below the picture.
    static std::optional<uint64_t> AddressAt(int x, int y, uint64_t scrollPos, int zoom, uint64_t size);

    // The zoom after a wheel turn: away from the user (delta >= 0) zooms in, else out; 1..2.
    static int WheelZoom(int zoom, int delta);
};
