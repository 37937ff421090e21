// Turning typed text into the bytes of a character code (search strings, fixed-form input, typing).
#pragma once

#include "CharCode.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

// Shift-JIS bytes with every double-byte pair turned into its bare JIS X 0208 pair and every
// half-width katakana into 0x21-0x5F. No escape sequences are written: the result is what a JIS
// file holds between its escapes. Ends before the first zero byte.
QByteArray EncodeJis(QStringView text);

// EUC-JP bytes. JIS X 0212 characters are written in the three-byte form 0x8F b1 b2 that EUC-JP
// files use (code page 20932 itself writes them as two bytes b1, b2 & 0x7F).
QByteArray EncodeEuc(QStringView text);

// EBCDIC / EBCDIK bytes through the built-in tables: the Shift-JIS bytes of the text, each single
// byte 0x20-0x7E or 0xA1-0xDF mapped, every other byte (controls, lead bytes) dropped.
QByteArray EncodeEbcdic(QStringView text);
QByteArray EncodeEbcdik(QStringView text);

// The bytes of `text` in `code`, as search, replace, folder search and fixed-form input write
// them: Shift-JIS and UTF-8 through their code pages, JIS/EUC/EBCDIC/EBCDIK as above, UnicodeBE
// as UTF-16 high byte first, Unicode and ASCII as UTF-16 low byte first. Empty text, no bytes.
QByteArray EncodeText(QStringView text, CharCode code);

// The index of the first character of `text` that `code` cannot hold (EncodeText would write a
// "?", another character or nothing for it), or -1 when every one is held. ASCII holds U+0000 to
// U+007F; Unicode and UnicodeBE hold every unit; UTF-8 everything but a lone surrogate;
// Shift-JIS, JIS and EUC what their code pages map; EBCDIC and EBCDIK what their tables map.
qsizetype FirstUnheldChar(QStringView text, CharCode code);

// The message for a text with a character the code named `codeName` (any of the nine names,
// "ASCII" included) cannot hold, or "" when it holds all of it: "「日」は ASCII で表せません。"
QString UnheldCharMessage(QStringView text, QStringView codeName);

// EncodeText in the code named `codeName` (CharCodeFromName), each byte as two upper-case
// hexadecimal digits without separators: "A" in "UnicodeBE" gives "0041".
QString EncodeTextAsHex(QStringView text, QStringView codeName);

// The bytes written for one UTF-16 unit typed into the text column.
struct TypedBytes
{
    std::array<uint8_t, 4> bytes{};
    // How many of `bytes` to write (1 to 3). Counted explicitly: a zero byte can be part of the
    // character (U+3000 in UnicodeBE is 30 00) and must still be written.
    uint8_t count = 1;
};

// A unit below 0x100 is its low byte in every code; otherwise JIS (EncodeJis), Shift-JIS (932),
// EUC (EncodeEuc), UnicodeBE (high byte first) and UTF-8 (65001, a lone surrogate gives EF BF BD)
// convert it, and ASCII, Unicode, EBCDIC and EBCDIK write its two bytes low byte first.
TypedBytes EncodeTypedChar(char16_t ch, CharCode code);
