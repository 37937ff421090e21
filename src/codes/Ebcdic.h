// The built-in EBCDIC (lower-case letters) and EBCDIK (katakana) tables.
#pragma once

#include <cstdint>

// The character of an EBCDIC byte as a single-byte Shift-JIS code (0x20-0x7E ASCII, 0xA1-0xDF
// half-width katakana), or 0 when the byte has no character (it is drawn as a blank).
uint8_t EbcdicToShiftJis(uint8_t byte);
uint8_t EbcdikToShiftJis(uint8_t byte);

// The EBCDIC byte of a single-byte Shift-JIS character 0x20-0x7E or 0xA1-0xDF; false for every
// other byte. The blank, which several bytes show, always encodes to 0x40.
bool ShiftJisToEbcdic(uint8_t sjis, uint8_t& byte);
bool ShiftJisToEbcdik(uint8_t sjis, uint8_t& byte);
