// Conversion between UTF-16 text and the byte forms of code pages 932, 20932, 50222 and 65001.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>

// The code pages the character codes rest on, numbered as Windows numbers them.
inline constexpr unsigned kCodePageShiftJis = 932; // Microsoft's Shift-JIS (NEC and IBM rows)
inline constexpr unsigned kCodePageEuc = 20932;    // EUC-JP, JIS X 0212 as two bytes A1-FE 21-7E
inline constexpr unsigned kCodePageJis = 50222;    // ISO-2022-JP with half-width katakana
inline constexpr unsigned kCodePageUtf8 = 65001;   // UTF-8

// Converts `bytes` of `codePage` to UTF-16 in `text`. Returns false (and an empty text) for an
// empty input or an unknown code page, true otherwise. Bytes are counted, so a zero byte becomes
// U+0000 rather than ending the input.
//
// Bytes that do not form a character of the code page never fail the call; they come out as
// Windows gives them:
//  - 932: 0x80 is U+0080, 0xA0 is U+F8F0, 0xFD-0xFF are U+F8F1-U+F8F3; a lead byte with an
//    unassigned or invalid trail byte, or alone at the end, is U+30FB (the pair is consumed).
//  - 20932: an unassigned or incomplete sequence is U+30FB.
//  - 50222: escape sequences switch between ASCII/JIS-Roman (ESC ( B, ESC ( J), half-width
//    katakana (ESC ( I, or SO/SI), JIS X 0208 (ESC $ @, ESC $ B) and JIS X 0212 (ESC $ ( D);
//    a pair or byte the current set does not hold is U+30FB.
//  - 65001: each maximal invalid subsequence is U+FFFD.
// JIS X 0208 characters decode as code page 932 decodes them (0x2141 is U+FF5E, 0x2140 U+FF3C) in
// 932, 20932 and 50222 alike, so the same bytes read the same in every Japanese code.
//
// Safe to call from any thread; each code page has one converter, opened on first use.
bool WidenFromCodePage(QByteArrayView bytes, unsigned codePage, QString& text);

// Converts `text` to bytes of `codePage` (no terminating zero; an empty text gives no bytes).
// A character the code page cannot represent becomes its default character: "?" in 932, 20932
// and 50222 (one per code point), and U+FFFD (EF BF BD) for a lone surrogate in 65001. In 932 the
// yen sign U+00A5 and the overline U+203E become 0x5C and 0x7E as Windows' best fit makes them.
// A JIS X 0208 character is found under both the character 932 decodes it to and its standard
// JIS character (U+FF5E and U+301C both give 0x8160), since text typed on other systems uses the
// latter. 20932 writes a character in its standard EUC-JP form first (JIS X 0208, then JIS X 0212
// in the code page's two-byte form), and only then in the rows 932 adds (NEC row 13, rows 89-92).
// 50222 writes ESC $ B before double-byte characters, SO/SI around half-width katakana and
// ESC ( B at the end. An unknown code page gives no bytes. Safe to call from any thread.
QByteArray NarrowToCodePage(unsigned codePage, QStringView text);

// Single characters, for the text column, which converts byte by byte and must be fast: the first
// call fills a table of all of code page 932 from iconv, later calls only look up.

// 0x81-0x9F and 0xE0-0xFC.
bool IsShiftJisLead(uint8_t b);
// Rows 0x21-0x28 and 0x30-0x74, the rows JIS X 0208 fills.
bool IsJisX0208Row(uint8_t row);
// A single byte of 932 (0 for a lead byte, which has no character alone).
char16_t Cp932SingleChar(uint8_t b);
// A lead and any trail byte of 932; U+30FB when the pair has no character.
char16_t Cp932PairChar(uint8_t lead, uint8_t trail);
// A JIS X 0208 pair (row, cell 0x21-0x7E) as 932 decodes it; U+30FB when it has no character.
char16_t JisX0208Char(uint8_t row, uint8_t cell);
// A JIS X 0212 pair (row, cell 0x21-0x7E); U+30FB when it has no character.
QString JisX0212Text(uint8_t row, uint8_t cell);
