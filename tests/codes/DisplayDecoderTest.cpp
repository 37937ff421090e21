// The text column's cells in all nine codes: the rules per code, characters across rows, and
// arbitrary bytes decoded without reading past the buffer.
#include "codes/DisplayDecoder.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>
#include <random>

namespace {

using Kind = DisplayCell::Kind;

// Decodes `bytes` (the whole file) in rows of `rowLength` from address 0, as one paint.
std::vector<DisplayCell> Paint(CharCode code, const QByteArray& bytes, size_t rowLength = 16)
{
    std::vector<DisplayCell> all;
    DecodeState state;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    for (qsizetype row = 0; row < bytes.size(); row += static_cast<qsizetype>(rowLength)) {
        const auto cells = DecodeForDisplay(data + row, static_cast<size_t>(bytes.size() - row), row,
                                            bytes.size(), code, state, rowLength);
        all.insert(all.end(), cells.begin(), cells.end());
    }
    return all;
}

// One entry per cell, joined by ",": the text of a character followed by "/n" when it covers n
// cells, "-" for a covered cell, "|" for the blank of a covered cell at the start of a row.
QString Show(const std::vector<DisplayCell>& cells)
{
    QStringList parts;
    for (const DisplayCell& c : cells) {
        if (c.kind == Kind::Covered)
            parts << QStringLiteral("-");
        else if (c.kind == Kind::CoveredRowStart)
            parts << QStringLiteral("|");
        else
            parts << c.text + (c.cells > 1 ? QStringLiteral("/%1").arg(c.cells) : QString());
    }
    return parts.join(QLatin1Char(','));
}

QString Show(CharCode code, const QByteArray& bytes, size_t rowLength = 16)
{
    return Show(Paint(code, bytes, rowLength));
}

QByteArray B(const char* s, qsizetype n)
{
    return QByteArray(s, n);
}

} // namespace

TEST(DisplayDecoderTest, AsciiEbcdicAndEbcdikDrawOneCellPerByte)
{
    EXPECT_EQ(Show(CharCode::Ascii, B("\x00\x01\x1F A~\x7F\x80\xFF", 9)), QStringLiteral(" ,.,., ,A,~,.,.,."));
    EXPECT_EQ(Show(CharCode::Ebcdic, B("\xC1\x81\x40\x00\xFF\x4A\x59", 7)), QStringLiteral("A,a, , , ,[,\uFF71"));
    EXPECT_EQ(Show(CharCode::Ebcdik, B("\xC1\x59\x81\xB0\xB2", 5)), QStringLiteral("A,a,\uFF71,y, "));
}

TEST(DisplayDecoderTest, ShiftJisPairsSinglesAndTheEndOfTheFile)
{
    EXPECT_EQ(Show(CharCode::ShiftJis, B("\x82\xA0" "A\xB1\x5C\x00\x0A", 7)), QStringLiteral("あ/2,-,A,\uFF71,\\, ,."));
    // A lead takes the next byte whatever it is; the byte after a pair starts afresh.
    EXPECT_EQ(Show(CharCode::ShiftJis, B("\x81\x81\x81\x41", 4)), QStringLiteral("＝/2,-,、/2,-"));
    EXPECT_EQ(Show(CharCode::ShiftJis, B("\x82\x0A", 2)), QStringLiteral("\u30FB/2,-"));
    // A lead that is the last byte of the file is drawn alone.
    EXPECT_EQ(Show(CharCode::ShiftJis, B("A\x82", 2)), QStringLiteral("A,."));
    // Bytes without a character of their own.
    EXPECT_EQ(Show(CharCode::ShiftJis, B("\x7F\x80\xA0\xFD\xFE\xFF", 6)), QStringLiteral(".,.,.,.,.,."));
}

TEST(DisplayDecoderTest, CharacterAtTheEndOfARowCoversTheNextRowsFirstCell)
{
    QByteArray bytes(15, 'x');
    bytes += B("\x88\x9F" "y", 3);
    const auto cells = Paint(CharCode::ShiftJis, bytes);
    ASSERT_EQ(cells.size(), 18u);
    EXPECT_EQ(cells[15].text, QStringLiteral("亜"));
    EXPECT_EQ(cells[15].cells, 2);
    EXPECT_EQ(cells[16].kind, Kind::CoveredRowStart);
    EXPECT_EQ(cells[16].text, QStringLiteral(" "));
    EXPECT_EQ(cells[17].text, QStringLiteral("y"));
    // A covered cell inside the row says which character to redraw when it is selected.
    const auto inRow = Paint(CharCode::ShiftJis, B("a\x88\x9F", 3));
    EXPECT_EQ(inRow[2].kind, Kind::Covered);
    EXPECT_EQ(inRow[2].leadDistance, 1);
    EXPECT_EQ(inRow[2].leadText, QStringLiteral("亜"));
    EXPECT_EQ(inRow[2].leadCells, 2);
}

TEST(DisplayDecoderTest, LookAheadStopsAtTheBytesGiven)
{
    // The row's lead has its trail in the next row, which this caller did not load: the lead is
    // drawn alone rather than read past the buffer.
    const uint8_t row[16] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 0x88};
    DecodeState state;
    auto cells = DecodeForDisplay(row, 16, 0x100, 0x1000, CharCode::ShiftJis, state);
    ASSERT_EQ(cells.size(), 16u);
    EXPECT_EQ(cells[15].text, QStringLiteral("."));
    // Nothing at or past the end of the file, and nothing from a null buffer.
    EXPECT_EQ(DecodeForDisplay(row, 16, 0x100, 0x108, CharCode::Ascii, state).size(), 8u);
    EXPECT_TRUE(DecodeForDisplay(row, 16, 0x200, 0x108, CharCode::Ascii, state).empty());
    EXPECT_TRUE(DecodeForDisplay(nullptr, 16, 0, 0x108, CharCode::Utf8, state).empty());
    // A row that does not follow the previous one starts afresh: no covered cell carried over.
    DecodeState s2;
    const uint8_t tail[2] = {'x', 0x88};
    const uint8_t pair[2] = {0x88, 0x9F};
    DecodeForDisplay(pair, 2, 14, 100, CharCode::ShiftJis, s2);
    cells = DecodeForDisplay(tail, 2, 40, 100, CharCode::ShiftJis, s2);
    EXPECT_EQ(cells[0].kind, Kind::Character);
    EXPECT_EQ(cells[0].text, QStringLiteral("x"));
}

TEST(DisplayDecoderTest, JisFollowsEscapeSequencesWithinOnePaint)
{
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B\x24\x42\x30\x21", 5)), QStringLiteral(".,.,.,亜/2,-"));
    EXPECT_EQ(Show(CharCode::Jis, B("\x30\x21", 2)), QStringLiteral("0,!"));
    // Back to ASCII, katakana, JIS X 0212, the older ESC $ @.
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B$B\x24\x22\x1B(BA", 9)), QStringLiteral(".,.,.,あ/2,-,.,.,.,A"));
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B(I\x31\x60", 5)), QStringLiteral(".,.,.,\uFF71,."));
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B$(D\x30\x21", 6)), QStringLiteral(".,.,.,.,丂/2,-"));
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B$@\x30\x21", 5)), QStringLiteral(".,.,.,亜/2,-"));
    // A set that no code page here holds draws the default character.
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B$A\x30\x21", 5)), QStringLiteral(".,.,.,\u30FB/2,-"));
    // The mode carries from row to row; a pair at the end of the file is not formed.
    QByteArray rows = B("\x1B$B", 3) + QByteArray(13, 0x20) + B("\x30\x21\x30", 3);
    const auto cells = Paint(CharCode::Jis, rows);
    ASSERT_EQ(cells.size(), 19u);
    EXPECT_EQ(cells[16].text, QStringLiteral("亜"));
    EXPECT_EQ(cells[18].text, QStringLiteral("0"));
    // An escape that starts nothing is "." and the byte after it is drawn once, in its own cell.
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B" "A\x1B\x00\x1B", 5)), QStringLiteral(".,A,., ,."));
    // Cut short: ESC $ at the end, ESC ( at the end.
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B$", 2)), QStringLiteral(".,."));
    EXPECT_EQ(Show(CharCode::Jis, B("\x1B(", 2)), QStringLiteral(".,."));
}

TEST(DisplayDecoderTest, EucTwoAndThreeByteCharactersAndKatakana)
{
    EXPECT_EQ(Show(CharCode::Euc, B("\xA4\xA2" "A\x8E\xB1\x8F\xB0\xA1" "z", 9)),
              QStringLiteral("あ/2,-,A,\uFF71/2,-,丂/3,-,-,z"));
    // Incomplete forms at the end of the file, a lone 8E, a byte 0xFF.
    EXPECT_EQ(Show(CharCode::Euc, B("\xA4", 1)), QStringLiteral("."));
    EXPECT_EQ(Show(CharCode::Euc, B("\x8F\xB0", 2)), QStringLiteral(".,."));
    EXPECT_EQ(Show(CharCode::Euc, B("\x8E" "A\xFF\x00\x01", 5)), QStringLiteral(".,A,., ,."));
    // JIS X 0208 reads as 932 reads it.
    EXPECT_EQ(Show(CharCode::Euc, B("\xA1\xC1", 2)), QStringLiteral("\uFF5E/2,-"));
}

TEST(DisplayDecoderTest, UnicodeUnitsSurrogatesAndOddEnds)
{
    auto cells = Paint(CharCode::Unicode, B("A\x00\x42\x30\x00\x00\x07\x00", 8));
    EXPECT_EQ(Show(cells), QStringLiteral("A/2,-,\u3042/2,-,  /2,-,  /2,-"));
    // The painter pads narrow glyphs, not blanks.
    EXPECT_TRUE(cells[0].padIfNarrow);
    EXPECT_TRUE(cells[2].padIfNarrow);
    EXPECT_FALSE(cells[4].padIfNarrow);
    EXPECT_EQ(Show(CharCode::UnicodeBE, B("\x00" "A\x30\x42", 4)), QStringLiteral("A/2,-,\u3042/2,-"));
    // A surrogate pair: the character over the high unit, U+3000 over the low one.
    cells = Paint(CharCode::Unicode, B("\x3D\xD8\x00\xDE", 4));
    EXPECT_EQ(Show(cells), QStringLiteral("\U0001F600/2,-,\u3000/2,-"));
    EXPECT_FALSE(cells[0].padIfNarrow);
    EXPECT_FALSE(cells[2].padIfNarrow);
    // Lone surrogates and a last odd byte.
    EXPECT_EQ(Show(CharCode::Unicode, B("\x3D\xD8" "A\x00\x00\xDE" "B", 7)),
              QStringLiteral("\uFFFD/2,-,A/2,-,\uFFFD/2,-,B"));
    EXPECT_EQ(Show(CharCode::UnicodeBE, B("\xD8\x3D", 2)), QStringLiteral("\uFFFD/2,-"));
    // Units take their pairs from the first byte of the paint.
    EXPECT_EQ(Show(CharCode::UnicodeBE, B("\x00\x41\x00", 3), 3), QStringLiteral("A/2,-, "));
}

TEST(DisplayDecoderTest, Utf8SequencesCoverTheirBytes)
{
    EXPECT_EQ(Show(CharCode::Utf8, B("\xE3\x81\x41", 3)), QStringLiteral(".,.,A"));
    EXPECT_EQ(Show(CharCode::Utf8, B("\xE3\x81\x82" "a\xC3\xA9", 6)), QStringLiteral("あ/3,-,-,a,é/2,-"));
    // Shortened at the end of the file; invalid forms give what code page 65001 gives.
    EXPECT_EQ(Show(CharCode::Utf8, B("a\xE3\x81", 3)), QStringLiteral("a,\uFFFD/2,-"));
    EXPECT_EQ(Show(CharCode::Utf8, B("\xC0\x80\xBF\x00\x7F", 5)), QStringLiteral("\uFFFD\uFFFD/2,-,., ,."));
    EXPECT_EQ(Show(CharCode::Utf8, B("\xFC\x80\x80\x80\x80\x80", 6)), QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD/6,-,-,-,-,-"));
    // A C1 control decoded from two bytes is not drawn as a control.
    EXPECT_EQ(Show(CharCode::Utf8, B("\xC2\x85", 2)), QStringLiteral("./2,-"));
    // A four-byte sequence from column 14 covers the next row's first two cells.
    QByteArray bytes(14, 'x');
    bytes += B("\xF0\x9F\x98\x80" "z", 5);
    const auto cells = Paint(CharCode::Utf8, bytes);
    ASSERT_EQ(cells.size(), 19u);
    EXPECT_EQ(cells[14].text, QStringLiteral("\U0001F600"));
    EXPECT_EQ(cells[14].cells, 4);
    EXPECT_EQ(cells[16].kind, Kind::CoveredRowStart);
    EXPECT_EQ(cells[17].kind, Kind::Covered);
    EXPECT_EQ(cells[17].leadDistance, 3);
    EXPECT_EQ(cells[17].leadText, QStringLiteral("\U0001F600"));
    EXPECT_EQ(cells[18].text, QStringLiteral("z"));
}

// Arbitrary bytes in every code, cut into rows of random lengths with random look-ahead and file
// sizes, from buffers of exactly the size given so that the sanitizers catch any read past them.
// Whatever the bytes, the cells must be consistent: one per byte, every character covering
// bytes that exist, covered cells exactly where a character reaches, no control characters.
TEST(DisplayDecoderTest, RandomBytesDecodeSafelyAndConsistentlyInEveryCode)
{
    std::mt19937 rng(20261207);
    // Bytes biased towards the ones that start or continue forms, so every path is taken often.
    const uint8_t interesting[] = {0x00, 0x1B, 0x24, 0x28, 0x42, 0x40, 0x49, 0x44, 0x0E, 0x0F, 0x21, 0x7E,
                                   0x80, 0x81, 0x8E, 0x8F, 0x9F, 0xA1, 0xDF, 0xE0, 0xE3, 0xED, 0xF0,
                                   0xF8, 0xFC, 0xFE, 0xFF, 0xD8, 0xDC, 0xBF};
    auto randomByte = [&]() -> uint8_t {
        return rng() % 3 ? static_cast<uint8_t>(rng()) : interesting[rng() % sizeof interesting];
    };
    for (int round = 0; round < 20000; ++round) {
        const size_t size = rng() % 200;
        std::vector<uint8_t> file(size);
        for (auto& b : file)
            b = randomByte();
        const auto code = static_cast<CharCode>(round % kCharCodeCount);
        const size_t rowLength = 1 + rng() % 20;
        const size_t start = size ? rng() % size : 0;
        DecodeState state;
        int covering = 0;       // cells still to be covered by the last character
        size_t leadAt = 0;
        for (size_t row = start; row < size; row += rowLength) {
            // The caller may hold fewer bytes than the file has (direct edit mode).
            const size_t held = std::min(size - row, rowLength + rng() % 8);
            auto copy = std::make_unique<uint8_t[]>(held);
            std::copy(file.begin() + static_cast<std::ptrdiff_t>(row),
                      file.begin() + static_cast<std::ptrdiff_t>(row + held), copy.get());
            const auto cells = DecodeForDisplay(copy.get(), held, row, size, code, state, rowLength);
            ASSERT_EQ(cells.size(), std::min(rowLength, held));
            for (size_t j = 0; j < cells.size(); ++j) {
                const DisplayCell& c = cells[j];
                if (covering > 0) {
                    ASSERT_NE(c.kind, Kind::Character) << "round " << round;
                    ASSERT_EQ(c.kind == Kind::CoveredRowStart, j == 0);
                    ASSERT_EQ(c.leadDistance, row + j - leadAt);
                    --covering;
                    continue;
                }
                ASSERT_EQ(c.kind, Kind::Character) << "round " << round;
                ASSERT_FALSE(c.text.isEmpty());
                ASSERT_GE(c.cells, 1);
                ASSERT_LE(c.cells, 6);
                // A character only spans bytes the caller gave.
                ASSERT_LE(j + c.cells, held);
                for (qsizetype k = 0; k < c.text.size(); ++k) {
                    const char16_t u = c.text[k].unicode();
                    ASSERT_FALSE(u < 0x20 || (u >= 0x7F && u <= 0x9F)) << "round " << round;
                    if (QChar::isHighSurrogate(u)) {
                        ASSERT_TRUE(k + 1 < c.text.size() && c.text[k + 1].isLowSurrogate());
                        ++k;
                    } else {
                        ASSERT_FALSE(QChar::isLowSurrogate(u));
                    }
                }
                covering = c.cells - 1;
                leadAt = row + j;
            }
            // Rows shorter than the row length only happen at the end of what was held; start
            // the next row where this one ended.
            if (cells.size() < rowLength)
                break;
        }
    }
}
