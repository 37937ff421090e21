// The printed pages of a document: rows per page, page count and what each printed row holds.
#pragma once

#include "codes/CharCode.h"
#include "codes/DisplayDecoder.h"
#include "document/QuorvaneDoc.h"
#include "view/ViewLayout.h"

#include <QString>
#include <cstdint>
#include <vector>

class ByteSource;

// Page geometry from the font as measured on the printer, in the printer's logical units
// (1/100 inch): W the width of a blank, T its height, rows R = T + W apart.
class CPrintLayout
{
public:
    CPrintLayout(int charWidth, int textHeight, int pageHeight, uint64_t fileSize);

    int CharWidth() const { return m_cells.m_charWidth; }
    int TextHeight() const { return m_cells.m_lineHeight; }
    int RowHeight() const { return m_cells.m_rowPitch; }
    // page height / R − 2, and at least 1 (a huge font on a small page still prints).
    int RowsPerPage() const { return m_rowsPerPage; }
    // The page from the top: the path line (T high), a gap of W, the column header at y = R, a
    // rule under it, and the rows from y = 2R + W / 2, R apart, so that the first row stands
    // clear of the header. All L rows end above the page height.
    int HeaderY() const { return RowHeight(); }
    int HeaderRuleY() const { return RowHeight() + TextHeight() + CharWidth() * 3 / 4; }
    int RowY(int i) const { return 2 * RowHeight() + CharWidth() / 2 + i * RowHeight(); }
    // Width of a printed row: the address, the 16 cells, the text column and the cell that a
    // character of the last column reaches into.
    int RowWidth() const { return m_cells.CharColumnEnd() + m_cells.m_charWidth; }
    // The cell positions of the view for this font.
    const CViewLayout& Cells() const { return m_cells; }

private:
    CViewLayout m_cells;
    int m_rowsPerPage = 1;
};

// What is printed: the whole document (start 0, limit = its size) or the selection
// (start = its first byte, limit = its last byte + 1; rows start at the selection's own address).
struct PrintRange
{
    uint64_t start = 0;
    uint64_t limit = 0;
    bool selection = false;
};

// ((limit − start) / 16 + 1) / L + 1 for a selection, (file size / 16 + 1) / L + 1 otherwise.
uint64_t PrintPageCount(const PrintRange& range, uint64_t fileSize, int rowsPerPage);

// The marks that colour printed bytes: the view's search hit, its bookmarks, the compare partner.
struct PrintMarks
{
    uint64_t findPos = ~uint64_t(0);
    uint64_t findLen = 0;
    const std::vector<uint64_t>* bookmarks = nullptr;
    ByteSource* partner = nullptr; // compare mode: the other document's bytes
};

// One byte cell of a printed row: "%02X", a "+" or "-" in compare mode, and its text colour.
struct PrintCell
{
    QString text;
    DocColors::Index color = DocColors::Text;     // of the hex text
    DocColors::Index charColor = DocColors::Text; // of the character (no compare colours)
};

struct PrintRow
{
    uint64_t address = 0;
    QString addressText;            // "%08X" of the low 32 bits
    std::vector<PrintCell> cells;   // the bytes before the limit (at most 16)
    std::vector<DisplayCell> chars; // the text column, one cell per byte
    int eofColumn = -1;             // the cell where "EOF" stands, or -1
};

struct PrintPage
{
    std::vector<PrintRow> rows;
    int fullRows = 0;        // rows of 16 bytes before the limit; the job ends at a page with none
    bool reachedEnd = false; // "EOF" was drawn: the job ends after this page
    QString errorText;       // the bytes could not be read: the page has no rows
};

// The rows of the page whose first row starts at `rowAddress`, at most `rowsPerPage` of them.
PrintPage BuildPrintPage(ByteSource& source, uint64_t rowAddress, const PrintRange& range, int rowsPerPage,
                         CharCode code, const PrintMarks& marks);

// The plain text of a printed row (address, cells, "EOF", characters), as a PDF's text shows it.
QString PrintRowText(const PrintRow& row);
