// Code pages 932, 20932, 50222 and 65001 against reference vectors made with Python's codecs.
//
// The vectors under tests/data/codes were written by tests/data/codes/make_vectors.py from
// Python's cp932, euc_jp and iso2022_jp codecs, an implementation independent of the iconv our
// conversions use. They cover every single byte and lead/trail pair of 932 (all JIS X 0208 rows,
// the half-width katakana, NEC row 13, the NEC-selected and IBM extension rows, the user-defined
// area and the unassigned pairs), characters 932 lacks, every JIS X 0208 and JIS X 0212 cell of
// EUC-JP and every JIS X 0208 row in ISO-2022-JP. Where Python and Windows differ in a known way
// the vector follows Windows and says so in a tag (see the script).
#include "codes/CodePage.h"
#include "codes/DisplayDecoder.h"
#include "codes/TextEncoder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <thread>

namespace {

struct Vector
{
    QByteArray bytes;
    QString text;
    QString tag;
    QString extra;
};

QString TextFromUnits(const QString& units)
{
    QString text;
    for (const QString& u : units.split(QLatin1Char('.')))
        text.append(QChar(static_cast<char16_t>(u.toUInt(nullptr, 16))));
    return text;
}

// Reads "BYTES UNITS [tag] [extra]" (or "UNITS BYTES ..." when `textFirst`).
std::vector<Vector> ReadVectors(const char* name, bool textFirst = false)
{
    std::vector<Vector> vectors;
    QFile file(QStringLiteral(QUORVANE_TEST_DATA "/codes/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << name;
        return vectors;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QLatin1Char(' '));
        Vector v;
        v.bytes = QByteArray::fromHex(f[textFirst ? 1 : 0].toLatin1());
        v.text = TextFromUnits(f[textFirst ? 0 : 1]);
        v.tag = f.size() > 2 ? f[2] : QString();
        v.extra = f.size() > 3 ? f[3] : QString();
        vectors.push_back(v);
    }
    return vectors;
}

QString Widen(const QByteArray& bytes, unsigned codePage)
{
    QString text;
    WidenFromCodePage(bytes, codePage, text);
    return text;
}

} // namespace

TEST(CodePageTest, Cp932DecodesEveryByteAndPairLikeWindows)
{
    const auto vectors = ReadVectors("cp932_decode.txt");
    ASSERT_GT(vectors.size(), 11000u);
    int failures = 0;
    for (const Vector& v : vectors) {
        const QString got = Widen(v.bytes, kCodePageShiftJis);
        if (got != v.text && ++failures < 10)
            ADD_FAILURE() << v.bytes.toHex().toStdString() << " gives " << got.toUtf8().toHex().toStdString()
                          << ", expected " << v.text.toUtf8().toHex().toStdString();
    }
    EXPECT_EQ(failures, 0);
}

TEST(CodePageTest, Cp932EncodesEveryCharacterLikeWindows)
{
    const auto vectors = ReadVectors("cp932_encode.txt", true);
    ASSERT_GT(vectors.size(), 9000u);
    int failures = 0;
    for (const Vector& v : vectors) {
        const QByteArray got = NarrowToCodePage(kCodePageShiftJis, v.text);
        if (got != v.bytes && ++failures < 10)
            ADD_FAILURE() << std::hex << int(v.text[0].unicode()) << " gives " << got.toHex().toStdString()
                          << ", expected " << v.bytes.toHex().toStdString();
    }
    EXPECT_EQ(failures, 0);
}

TEST(CodePageTest, Cp932YenTildeAndDefaultCharacter)
{
    // 932 keeps 0x5C and 0x7E as backslash and tilde both ways; the yen sign and the overline
    // reach them only by Windows' best fit.
    EXPECT_EQ(Widen("\x5C\x7E", kCodePageShiftJis), QStringLiteral("\\~"));
    EXPECT_EQ(NarrowToCodePage(kCodePageShiftJis, u"\u00A5\u203E\\~"), QByteArray("\x5C\x7E\x5C\x7E"));
    // The standard JIS characters of the cells 932 maps differently reach the same cells, as
    // text typed on other systems uses them.
    EXPECT_EQ(NarrowToCodePage(kCodePageShiftJis, u"\u301C\u2016\u2212\u00A2\u00A3\u00AC"),
              QByteArray("\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA"));
    // Unrepresentable text: one default character per code point, also for a lone surrogate.
    EXPECT_EQ(NarrowToCodePage(kCodePageShiftJis, u"a\U0001F600b\xD800"), QByteArray("a?b?"));
    // A lead byte at the end, or with a byte that cannot trail, is U+30FB and consumes its pair.
    EXPECT_EQ(Widen("A\x82", kCodePageShiftJis), QStringLiteral("A\u30FB"));
    EXPECT_EQ(Widen(QByteArray("\x82\x00" "B", 3), kCodePageShiftJis), QStringLiteral("\u30FBB"));
}

TEST(CodePageTest, EucJpEveryCellAgainstReference)
{
    const auto vectors = ReadVectors("eucjp.txt");
    ASSERT_GT(vectors.size(), 13000u);
    int failures = 0;
    auto fail = [&](const Vector& v, const char* what, const QByteArray& got) {
        if (++failures < 10)
            ADD_FAILURE() << what << " " << v.bytes.toHex().toStdString() << " got " << got.toHex().toStdString();
    };
    for (const Vector& v : vectors) {
        // Code page 20932 itself holds JIS X 0212 in its two-byte form.
        auto twoByteForm = [](const QByteArray& euc) {
            if (static_cast<uint8_t>(euc[0]) != 0x8F)
                return euc;
            return euc.mid(1, 1) + QByteArray(1, static_cast<char>(euc[2] & 0x7F));
        };
        const QByteArray cp = twoByteForm(v.bytes);
        if (Widen(cp, kCodePageEuc) != v.text)
            fail(v, "20932 decode", Widen(cp, kCodePageEuc).toUtf8());
        if (Widen(v.bytes, kCodePageEuc) != v.text)
            fail(v, "EUC-JP decode", Widen(v.bytes, kCodePageEuc).toUtf8());
        // The text column shows the cell's character over as many cells as it has bytes.
        DecodeState state;
        const auto cells = DecodeForDisplay(reinterpret_cast<const uint8_t*>(v.bytes.constData()), v.bytes.size(), 0,
                                            v.bytes.size(), CharCode::Euc, state);
        const QString shown = cells.empty() ? QString() : cells[0].text;
        if (cells.empty() || cells[0].cells != v.bytes.size() || !shown.startsWith(v.text))
            fail(v, "display", shown.toUtf8());
        // JIS X 0212's tilde is shown full-width; U+007E is ASCII.
        if (v.tag == QLatin1String("x0212-tilde"))
            continue;
        // A character of the NEC rows with a standard EUC-JP form encodes to that form.
        const QByteArray encoded = v.tag == QLatin1String("nec-row") ? QByteArray::fromHex(v.extra.toLatin1()) : v.bytes;
        const QByteArray encodedCp = twoByteForm(encoded);
        if (NarrowToCodePage(kCodePageEuc, v.text) != encodedCp)
            fail(v, "20932 encode", NarrowToCodePage(kCodePageEuc, v.text));
        if (EncodeEuc(v.text) != encoded)
            fail(v, "EncodeEuc", EncodeEuc(v.text));
        // The standard JIS character of a cell that 932 maps differently writes the same bytes.
        if (v.tag == QLatin1String("cp932-jis") && EncodeEuc(TextFromUnits(v.extra)) != v.bytes)
            fail(v, "EncodeEuc of the JIS character", EncodeEuc(TextFromUnits(v.extra)));
    }
    EXPECT_EQ(failures, 0);
}

TEST(CodePageTest, Iso2022JpEveryRowAgainstReference)
{
    const auto vectors = ReadVectors("iso2022jp.txt");
    ASSERT_GE(vectors.size(), 77u); // rows 1-8 and 16-84
    for (const Vector& v : vectors) {
        EXPECT_EQ(Widen(v.bytes, kCodePageJis), v.text) << v.bytes.left(8).toHex().toStdString();
        EXPECT_EQ(NarrowToCodePage(kCodePageJis, v.text), v.bytes) << v.bytes.left(8).toHex().toStdString();
        // JIS as the search encodes it: the same pairs, without the escapes.
        EXPECT_EQ(EncodeJis(v.text), v.bytes.mid(3, v.bytes.size() - 6));
        // The text column draws three "." for the escape, then every pair over two cells.
        DecodeState state;
        const auto* data = reinterpret_cast<const uint8_t*>(v.bytes.constData());
        QString shown;
        for (qsizetype row = 0; row < v.bytes.size(); row += 16) {
            for (const DisplayCell& cell : DecodeForDisplay(data + row, v.bytes.size() - row, row, v.bytes.size(),
                                                            CharCode::Jis, state)) {
                if (cell.kind == DisplayCell::Kind::Character)
                    shown += cell.text;
            }
        }
        EXPECT_EQ(shown, QStringLiteral("...") + v.text + QStringLiteral("..."));
    }
}

TEST(CodePageTest, Iso2022JpKatakanaAndOtherSets)
{
    // Half-width katakana by SO/SI and by ESC ( I; JIS X 0212 by ESC $ ( D; JIS-Roman as ASCII.
    EXPECT_EQ(Widen("\x0E\x31\x0F" "A\x1B(I\x32\x1B(B", kCodePageJis), QStringLiteral("\uFF71A\uFF72"));
    EXPECT_EQ(Widen("\x1B$(D\x30\x21\x1B(J\\", kCodePageJis), QStringLiteral("\u4E02\\"));
    EXPECT_EQ(NarrowToCodePage(kCodePageJis, u"\uFF71\u3042A"), QByteArray("\x0E\x31\x0F\x1B$B\x24\x22\x1B(BA"));
    // A truncated pair and an unknown set give the default character, never a crash.
    EXPECT_EQ(Widen("\x1B$B\x30", kCodePageJis), QStringLiteral("\u30FB"));
    EXPECT_EQ(Widen("\x1B$A\x30\x21", kCodePageJis), QStringLiteral("\u30FB"));
}

TEST(CodePageTest, Utf8ReplacesEachBrokenSequenceOnce)
{
    EXPECT_EQ(Widen("a\xE3\x81\x82z", kCodePageUtf8), QStringLiteral("a\u3042z"));
    EXPECT_EQ(Widen("\xF0\x9F\x98\x80", kCodePageUtf8), QStringLiteral("\U0001F600"));
    // Truncated, overlong, encoded surrogate, beyond U+10FFFF, stray continuation.
    EXPECT_EQ(Widen("\xE3\x81", kCodePageUtf8), QStringLiteral("\uFFFD"));
    EXPECT_EQ(Widen("\xC0\xAF", kCodePageUtf8), QStringLiteral("\uFFFD\uFFFD"));
    EXPECT_EQ(Widen("\xED\xA0\x80", kCodePageUtf8), QStringLiteral("\uFFFD\uFFFD\uFFFD"));
    EXPECT_EQ(Widen("\xF4\x90\x80\x80", kCodePageUtf8), QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD"));
    EXPECT_EQ(Widen("\x80x", kCodePageUtf8), QStringLiteral("\uFFFDx"));
    EXPECT_EQ(NarrowToCodePage(kCodePageUtf8, u"\u3042\xDC00"), QByteArray("\xE3\x81\x82\xEF\xBF\xBD"));
}

TEST(CodePageTest, EmptyInputAndUnknownCodePage)
{
    QString text = QStringLiteral("old");
    EXPECT_FALSE(WidenFromCodePage({}, kCodePageShiftJis, text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(WidenFromCodePage("A", 1252, text));
    EXPECT_TRUE(WidenFromCodePage(QByteArray("\0A", 2), kCodePageShiftJis, text));
    EXPECT_EQ(text, QString(QChar(0)) + QLatin1Char('A'));
    for (unsigned cp : {kCodePageShiftJis, kCodePageEuc, kCodePageJis, kCodePageUtf8})
        EXPECT_TRUE(NarrowToCodePage(cp, u"").isEmpty());
    EXPECT_TRUE(NarrowToCodePage(437, u"A").isEmpty());
}

TEST(CodePageTest, ConvertersAreSafeToShareBetweenThreads)
{
    // The loader, search and folder-search workers convert at the same time as the view paints.
    const QString text = QStringLiteral("漢字かなカナ\uFF71ABC丂");
    const QByteArray sjis = NarrowToCodePage(kCodePageShiftJis, text);
    const QByteArray euc = NarrowToCodePage(kCodePageEuc, text);
    const QByteArray utf8 = text.toUtf8();
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                if (NarrowToCodePage(kCodePageEuc, text) != euc || Widen(utf8, kCodePageUtf8) != text ||
                    Widen(euc, kCodePageEuc) != text || NarrowToCodePage(kCodePageUtf8, text) != utf8)
                    ++mismatches;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(sjis.size(), 2 * 6 + 1 + 3 + 1); // 丂 is not in 932 and becomes "?"
}
