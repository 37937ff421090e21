// Arithmetic between Shift-JIS double-byte codes and JIS X 0208 row/cell pairs.
#pragma once

#include <cstdint>
#include <utility>

// Shift-JIS lead and trail byte to a JIS pair (row, cell), both 0x21-0x7E for a valid
// Shift-JIS pair. Bytes outside the Shift-JIS ranges come out as the arithmetic leaves them
// (modulo 256), which EncodeJis relies on never to fail.
std::pair<uint8_t, uint8_t> ShiftJisToJisPair(uint8_t lead, uint8_t trail);

// JIS pair (row, cell), both 0x21-0x7E, to a Shift-JIS lead and trail byte.
std::pair<uint8_t, uint8_t> JisPairToShiftJis(uint8_t row, uint8_t cell);
