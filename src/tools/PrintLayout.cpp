// Laying a document out on printed pages.
#include "tools/PrintLayout.h"

#include "document/ByteSource.h"

#include <algorithm>

namespace {

constexpr uint64_t k4GiB = 0x100000000ull;
constexpr size_t kLookAhead = 8; // bytes past the page a character may need

bool InFind(uint64_t a, const PrintMarks& m)
{
    return m.findPos != ~uint64_t(0) && m.findLen != 0 && m.findPos <= a && a - m.findPos < m.findLen;
}

bool IsBookmark(uint64_t a, const PrintMarks& m)
{
    return m.bookmarks && std::find(m.bookmarks->begin(), m.bookmarks->end(), a) != m.bookmarks->end();
}

} // namespace

CPrintLayout::CPrintLayout(int charWidth, int textHeight, int pageHeight, uint64_t fileSize)
{
    m_cells.SetMetrics(charWidth, textHeight);
    m_cells.SetFileSize(fileSize);
    m_rowsPerPage = std::max(1, pageHeight / m_cells.m_rowPitch - 2);
}

uint64_t PrintPageCount(const PrintRange& range, uint64_t fileSize, int rowsPerPage)
{
    const uint64_t L = static_cast<uint64_t>(std::max(1, rowsPerPage));
    const uint64_t bytes = range.selection ? range.limit - range.start : fileSize;
    return (bytes / 16 + 1) / L + 1;
}

PrintPage BuildPrintPage(ByteSource& source, uint64_t rowAddress, const PrintRange& range, int rowsPerPage,
                         CharCode code, const PrintMarks& marks)
{
    PrintPage page;
    const uint64_t limit = std::min(range.limit, source.Size());
    const int L = std::max(1, rowsPerPage);
    std::vector<uint8_t> bytes;
    size_t have = 0;
    if (rowAddress < limit) {
        const uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(L) * 16 + kLookAhead, limit - rowAddress);
        bytes.resize(static_cast<size_t>(want));
        const int64_t got = source.Read(rowAddress, bytes.data(), bytes.size());
        if (got < 0) {
            page.errorText = source.ErrorText();
            return page;
        }
        have = static_cast<size_t>(got);
    }
    std::vector<uint8_t> other;
    uint64_t otherSize = 0;
    if (marks.partner) {
        otherSize = std::min(marks.partner->Size(), k4GiB);
        if (rowAddress < otherSize) {
            other.resize(static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(L) * 16, otherSize - rowAddress)));
            const int64_t got = marks.partner->Read(rowAddress, other.data(), other.size());
            other.resize(got > 0 ? static_cast<size_t>(got) : 0);
        }
    }

    DecodeState state;
    for (int i = 0; i < L; ++i) {
        const uint64_t address = rowAddress + static_cast<uint64_t>(i) * 16;
        PrintRow row;
        row.address = address;
        row.addressText = QStringLiteral("%1").arg(address & 0xFFFFFFFFu, 8, 16, QLatin1Char('0')).toUpper();
        const size_t offset = static_cast<size_t>(address - rowAddress);
        if (address < limit) {
            const size_t avail = have > offset ? have - offset : 0;
            DecodeForDisplay(bytes.data() + std::min(offset, bytes.size()), avail, address, limit, code, state, row.chars);
        }
        for (int j = 0; j < 16; ++j) {
            const uint64_t a = address + static_cast<uint64_t>(j);
            if (a >= limit) {
                row.eofColumn = j;
                break;
            }
            const size_t k = offset + static_cast<size_t>(j);
            const uint8_t byte = k < have ? bytes[k] : 0;
            PrintCell cell;
            cell.text = QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
            if (InFind(a, marks))
                cell.color = DocColors::FindTxt;
            else if (IsBookmark(a, marks))
                cell.color = DocColors::BookmarkTxt;
            cell.charColor = cell.color;
            if (a < otherSize && k < other.size()) {
                if (byte > other[k]) {
                    cell.text += QLatin1Char('+');
                    cell.color = DocColors::DiffpTxt;
                } else if (byte < other[k]) {
                    cell.text += QLatin1Char('-');
                    cell.color = DocColors::DiffmTxt;
                }
            }
            row.cells.push_back(std::move(cell));
        }
        const bool full = row.eofColumn < 0;
        page.rows.push_back(std::move(row));
        if (!full) {
            page.reachedEnd = true;
            break;
        }
        ++page.fullRows;
    }
    return page;
}

QString PrintRowText(const PrintRow& row)
{
    QString text = row.addressText;
    for (const PrintCell& cell : row.cells)
        text += QLatin1Char(' ') + cell.text;
    if (row.eofColumn >= 0)
        text += QStringLiteral(" EOF");
    text += QStringLiteral("  ");
    for (const DisplayCell& c : row.chars)
        if (c.kind != DisplayCell::Kind::Covered)
            text += c.text;
    return text;
}
