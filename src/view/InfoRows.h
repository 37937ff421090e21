// The info pane's eight rows (Bit, Byte, Word, 3Byte, DWord, FileSize, Address, Range), formatted
// from the bytes at the cursor; shared by the pane and `quorvane-cli info`.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

// What the view hands the info pane.
struct InfoInput
{
    QString bitText;          // the "Bit" row, from FormatBitRow
    uint64_t rangeLength = 0; // selection end - start + 1, or 0 without a selection
    QString fileSizeText;     // from FormatFileSizeRow
    QString addressText;      // from FormatAddressRow
    int count = 0;            // bytes that exist from the cursor on, 0-4
    bool bigEndian = false;   // the byte at the cursor is the most significant
    std::array<uint8_t, 4> bytes{};
};

// The value fields of the eight rows, in the pane's order.
struct InfoRows
{
    enum Row : int { Bit, Byte, Word, Byte3, DWord, FileSize, Address, Range, RowCount };
    std::array<QString, RowCount> text;

    // The labels, in the same order: "Bit", "Byte", "Word", "3Byte", "DWord", "FileSize",
    // "Address", "Range".
    static QString Label(int row);

    // `plusMode`: the "+" display mode (unsigned values, hexadecimal range); false is "-".
    static InfoRows Compute(const InfoInput& input, bool plusMode);

    // One value row of width 1-4 bytes: the hexadecimal columns and the decimal field.
    static QString FormatValueRow(int width, const InfoInput& input, bool plusMode);
    static QString FormatRangeRow(uint64_t length, bool plusMode);
    // Rows the view formats: four bit groups, most significant byte first.
    static QString FormatBitRow(const std::array<uint8_t, 4>& bytes, int count, bool bigEndian);
    static QString FormatFileSizeRow(uint64_t size);
    static QString FormatAddressRow(uint64_t address);
    // 16 upper-case hexadecimal digits with "-" after the eighth.
    static QString SplitHex(uint64_t value);

    // Everything for the cursor at `cursor` of a file of `size` bytes whose first bytes from the
    // cursor are `bytes` (`count` of them, 0-4).
    static InfoInput MakeInput(const std::array<uint8_t, 4>& bytes, int count, bool bigEndian, uint64_t size,
                               uint64_t cursor, uint64_t rangeLength);
};
