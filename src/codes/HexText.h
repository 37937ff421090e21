// Reading a typed or listed hexadecimal text as an unsigned 64-bit value.
#pragma once

#include <QStringView>
#include <cstdint>

// The value of `text` read as hexadecimal digits, most significant first, modulo 2^64 (more than
// 16 digits keep the low 64 bits). An empty text is 0. Callers remove separators ("-") and, where
// they want, leading "0" characters first.
//
// Digits are "0"-"9", "A"-"F" and also "a"-"f". Any other character (a space, "-", "x", "?", a
// full-width digit) makes the whole text unreadable: the result is 0 and `ok`, when given, is set
// to false. A value is never made up from a partly read text, so an address list with a mistyped
// line cannot silently send a write to a wrong address; callers that must not act on 0 check `ok`.
uint64_t HexTextToU64(QStringView text, bool* ok = nullptr);
