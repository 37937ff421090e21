// Printed pages: rows per page, page count, where "EOF" stands, and the colours of printed bytes.
#include "tools/PrintLayout.h"

#include "document/ByteSource.h"

#include <gtest/gtest.h>

namespace {

std::vector<PrintPage> Job(const QByteArray& bytes, PrintRange range, int rowsPerPage, const PrintMarks& marks = {})
{
    MemoryByteSource source(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<uint64_t>(bytes.size()));
    std::vector<PrintPage> pages;
    const uint64_t count = PrintPageCount(range, static_cast<uint64_t>(bytes.size()), rowsPerPage);
    uint64_t row = range.start;
    for (uint64_t p = 0; p < count; ++p) {
        pages.push_back(BuildPrintPage(source, row, range, rowsPerPage, CharCode::ShiftJis, marks));
        if (pages.back().fullRows == 0 || pages.back().reachedEnd)
            break;
        row += 16 * static_cast<uint64_t>(pages.back().fullRows);
    }
    return pages;
}

} // namespace

TEST(PrintLayoutTest, MetricsGiveRowsPerPage)
{
    const CPrintLayout layout(8, 16, 1000, 0x100);
    EXPECT_EQ(layout.RowHeight(), 24);
    EXPECT_EQ(layout.RowsPerPage(), 1000 / 24 - 2);
    // The header stands a gap below the path line, the rows a gap below the header, and the
    // last row of a page ends on the page.
    EXPECT_EQ(layout.HeaderY(), 24);
    EXPECT_GT(layout.HeaderRuleY(), layout.HeaderY() + layout.TextHeight());
    EXPECT_GT(layout.RowY(0), layout.HeaderRuleY());
    EXPECT_EQ(layout.RowY(0), 52);
    EXPECT_EQ(layout.RowY(2), 100);
    EXPECT_LE(layout.RowY(layout.RowsPerPage() - 1) + layout.TextHeight(), 1000);
    EXPECT_EQ(layout.RowWidth(), layout.Cells().m_charColumnX + 17 * 8);
    EXPECT_EQ(layout.Cells().HexCellX(0), layout.Cells().m_addrWidth + 8);
    // A font taller than the page still prints a row per page.
    EXPECT_EQ(CPrintLayout(50, 100, 200, 0).RowsPerPage(), 1);
}

TEST(PrintLayoutTest, PagesEndAtEofAndSelectionsStartAtTheirOwnAddress)
{
    // Empty document: one page, its first row only "EOF".
    auto pages = Job(QByteArray(), {0, 0, false}, 10);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].rows.size(), 1u);
    EXPECT_EQ(pages[0].rows[0].eofColumn, 0);
    EXPECT_EQ(PrintRowText(pages[0].rows[0]), "00000000 EOF  ");

    // Exactly L × 16 bytes: two pages, the second only the "EOF" row.
    const int L = 4;
    QByteArray data(L * 16, 'A');
    pages = Job(data, {0, static_cast<uint64_t>(data.size()), false}, L);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].fullRows, L);
    ASSERT_EQ(pages[1].rows.size(), 1u);
    EXPECT_EQ(pages[1].rows[0].addressText, "00000040");
    EXPECT_EQ(pages[1].rows[0].eofColumn, 0);

    // A part row at the end of a page is printed once: the job ends with the page that shows "EOF".
    data = QByteArray(40, 'B');
    pages = Job(data, {0, 40, false}, 3);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].rows.back().eofColumn, 8);

    // A selection of three bytes from 0x15: one row at 0x15 with three cells and "EOF" fourth.
    data = QByteArray("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    pages = Job(data, {0x15, 0x18, true}, 10);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].rows.size(), 1u);
    EXPECT_EQ(PrintRowText(pages[0].rows[0]), "00000015 4C 4D 4E EOF  LMN");
}

TEST(PrintLayoutTest, HitsBookmarksAndCompareMarksColourTheBytes)
{
    const QByteArray data("\x10\x20\x30\x40\x50", 5);
    const QByteArray other("\x10\x21\x2F\x40", 4);
    MemoryByteSource partner(reinterpret_cast<const uint8_t*>(other.constData()), 4);
    const std::vector<uint64_t> bookmarks{0, 3};
    PrintMarks marks;
    marks.findPos = 3;
    marks.findLen = 2;
    marks.bookmarks = &bookmarks;
    marks.partner = &partner;
    const auto pages = Job(data, {0, 5, false}, 10, marks);
    const PrintRow& row = pages.at(0).rows.at(0);
    ASSERT_EQ(row.cells.size(), 5u);
    EXPECT_EQ(row.cells[0].color, DocColors::BookmarkTxt);
    EXPECT_EQ(row.cells[1].text, "20-");
    EXPECT_EQ(row.cells[1].color, DocColors::DiffmTxt);
    EXPECT_EQ(row.cells[2].text, "30+");
    EXPECT_EQ(row.cells[2].color, DocColors::DiffpTxt);
    EXPECT_EQ(row.cells[3].color, DocColors::FindTxt); // the hit wins over the bookmark
    EXPECT_EQ(row.cells[4].text, "50");                // past the partner's end: no mark
    EXPECT_EQ(row.cells[4].color, DocColors::FindTxt);
    EXPECT_EQ(row.eofColumn, 5);
}
