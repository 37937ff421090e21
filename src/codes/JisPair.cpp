// Arithmetic between Shift-JIS double-byte codes and JIS X 0208 row/cell pairs.
#include "JisPair.h"

std::pair<uint8_t, uint8_t> ShiftJisToJisPair(uint8_t lead, uint8_t trail)
{
    // Byte arithmetic throughout: out-of-range input wraps instead of failing, so that any
    // Shift-JIS byte string gives some JIS bytes.
    uint8_t b1 = lead;
    uint8_t b2 = trail;
    if (b1 >= 0x81 && b1 <= 0x9F)
        b1 = static_cast<uint8_t>(b1 - 0x81);
    else if (b1 >= 0xE0)
        b1 = static_cast<uint8_t>(b1 - 0xC1);
    if (b2 >= 0x80 && b2 <= 0x9E)
        b2 = static_cast<uint8_t>(b2 - 1);
    if (b2 >= 0x40 && b2 <= 0x9D) {
        b1 = static_cast<uint8_t>(2 * b1 + 0x21);
        b2 = static_cast<uint8_t>(b2 - 0x1F);
    } else if (b2 >= 0x9F && b2 <= 0xFC) {
        b1 = static_cast<uint8_t>(2 * b1 + 0x22);
        b2 = static_cast<uint8_t>(b2 - 0x7E);
    }
    return {b1, b2};
}

std::pair<uint8_t, uint8_t> JisPairToShiftJis(uint8_t row, uint8_t cell)
{
    unsigned r = row;
    unsigned c = cell;
    if (r & 1)
        c += c >= 0x60 ? 0x20 : 0x1F;
    else
        c += 0x7E;
    r = (r + 1) / 2 + (r < 0x5F ? 0x70 : 0xB0);
    return {static_cast<uint8_t>(r), static_cast<uint8_t>(c)};
}
