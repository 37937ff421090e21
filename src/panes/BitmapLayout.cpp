// Byte colours, placement, scroll range and click addresses of the bitmap pane's picture.
#include "panes/BitmapLayout.h"

#include <algorithm>

const std::array<uint32_t, 256>& CBitmapLayout::Palette()
{
    static const std::array<uint32_t, 256> palette = [] {
        std::array<uint32_t, 256> p{};
        for (int v = 0; v < 256; ++v) {
            if (v == 0)
                p[v] = 0xFFFFFFFFu; // white
            else if (v < 32)
                p[v] = 0xFF00FFFFu; // cyan
            else if (v < 128)
                p[v] = 0xFFFF0000u; // red
            else
                p[v] = 0xFF000000u; // black
        }
        return p;
    }();
    return palette;
}

CBitmapLayout::Picture CBitmapLayout::Place(uint64_t size, uint64_t scrollPos, int zoom, int height)
{
    Picture pic;
    pic.zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    pic.y = scrollPos == 0 ? kMargin : 0;
    pic.firstByte = scrollPos > (~uint64_t(0)) / kBytesPerRow ? ~uint64_t(0) : scrollPos * kBytesPerRow;
    if (pic.firstByte >= size || height <= pic.y)
        return pic;
    // Only the rows that reach the screen are built; the picture looks the same as one of a
    // row per pixel of height stretched and cut by the pane.
    const uint64_t rest = size - pic.firstByte;
    const uint64_t dataRows = (rest + kBytesPerRow - 1) / kBytesPerRow;
    const int screenRows = (height - pic.y + pic.zoom - 1) / pic.zoom;
    pic.rows = static_cast<int>(std::min<uint64_t>(dataRows, static_cast<uint64_t>(screenRows)));
    if (static_cast<uint64_t>(pic.rows) == dataRows)
        pic.lastRowBytes = static_cast<int>(rest % kBytesPerRow);
    return pic;
}

uint64_t CBitmapLayout::ScrollMax(uint64_t size, int zoom, int height)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    const uint64_t plus = size / kBytesPerRow + uint64_t(kMargin / zoom);
    const uint64_t minus = height > 0 ? uint64_t(height / zoom) : 0;
    return plus > minus ? plus - minus : 0;
}

std::optional<uint64_t> CBitmapLayout::AddressAt(int x, int y, uint64_t scrollPos, int zoom, uint64_t size)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    const int64_t xs = int64_t(x) - kMargin;
    const int64_t ys = int64_t(y) - (scrollPos == 0 ? kMargin : 0);
    // Right of the picture is no byte (x' = 128 × zoom would be the next row's first byte).
    if (xs < 0 || xs >= int64_t(kBytesPerRow) * zoom || ys < 0)
        return std::nullopt;
    const uint64_t row = scrollPos + uint64_t(ys / zoom);
    if (row > size / kBytesPerRow)
        return std::nullopt;
    const uint64_t address = uint64_t(xs / zoom) + row * kBytesPerRow;
    if (address > size)
        return std::nullopt;
    return address;
}

int CBitmapLayout::WheelZoom(int zoom, int delta)
{
    return std::clamp(zoom + (delta >= 0 ? 1 : -1), kMinZoom, kMaxZoom);
}
