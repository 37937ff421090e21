// Geometry of the hex view for a measured font: rows, cells, header and hit testing.
#pragma once

#include <QString>
#include <cstdint>

// Every pixel position of the view follows from two measures of the font (the width of a space
// and the height of a text line) and, for the width of the address column, the file size.
// x counts from the left edge of the client area, y from its top. Divisions are integer divisions.
class CViewLayout
{
public:
    static constexpr int kBytesPerRow = 16;

    // Recomputes every quantity from the font's measures.
    void SetMetrics(int charWidth, int lineHeight);
    // The address column is one character wider for files of 0x100000000 bytes or more.
    void SetFileSize(uint64_t fileSize);

    int m_charWidth = 8;
    int m_lineHeight = 16;
    int m_rowPitch = 24;     // m_lineHeight + m_charWidth; also the header's height
    int m_hexCellWidth = 26; // 3 * m_charWidth + 2
    int m_hexGap = 1;        // extra gap after every hex cell
    int m_addrChars = 8;     // characters of the widest address ("%07X0" of the last row)
    int m_addrWidth = 76;    // m_charWidth * (m_addrChars + 1) + m_charWidth / 2
    int m_charColumnX = 0;   // x of the text column's first cell

    int HexCellX(int column) const;
    int CharCellX(int column) const { return m_charColumnX + column * m_charWidth; }
    // y of the text of screen row i (0 at the top).
    int TextY(int screenRow) const { return m_rowPitch + m_charWidth + screenRow * m_rowPitch; }
    // y of the separator line below screen row i in the address column.
    int SeparatorY(int screenRow) const { return TextY(screenRow) + m_lineHeight + m_charWidth / 2; }
    // Rows that fit in the client height (the direct-edit window and page size derive from it).
    int RowsOnScreen(int clientHeight) const { return clientHeight / m_rowPitch; }
    // Rows painted: one less than fit, the header taking the first.
    int RowsPainted(int clientHeight) const { return RowsOnScreen(clientHeight) - 1; }
    // x just past the text column (16 cells).
    int CharColumnEnd() const { return m_charColumnX + kBytesPerRow * m_charWidth; }

    // The address shown for a row: the row number in upper-case hexadecimal, at least 7 digits,
    // followed by "0" (the row's first byte address).
    static QString RowAddressText(uint64_t row);

    // A client point to the byte under it. Rows above the file start give row 0, columns outside
    // a row give its first or last byte, so a point never names a byte of another row.
    struct Hit
    {
        uint64_t address = 0;
        bool inCharColumn = false;
    };
    // `rightButton`: the right-button variant that does not widen the left margin of the hex area.
    Hit HitTest(int x, int y, uint64_t topRow, bool rightButton = false) const;
};
