// Encoding typed text in the nine codes, the code names and ids, JIS pair arithmetic, hex text.
#include "codes/CharCode.h"
#include "codes/CodePage.h"
#include "codes/HexText.h"
#include "codes/JisPair.h"
#include "codes/TextEncoder.h"

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

} // namespace

TEST(TextEncoderTest, CodeNamesValuesAndMenu)
{
    const char16_t* names[] = {u"ASCII", u"JIS", u"Shift-JIS", u"EUC", u"Unicode",
                               u"UnicodeBE", u"UTF-8", u"EBCDIC", u"EBCDIK"};
    for (int v = 0; v < kCharCodeCount; ++v) {
        const CharCode code = CharCodeFromValue(v);
        EXPECT_EQ(CharCodeName(code), QString::fromUtf16(names[v]));
        EXPECT_EQ(CharCodeMenuId(code), 32837 + v);
        CharCode back;
        ASSERT_TRUE(CharCodeFromMenuId(32837 + v, back));
        EXPECT_EQ(back, code);
        // Every name but "ASCII" reads back as its own code; "ASCII" reads as Unicode.
        EXPECT_EQ(CharCodeFromName(CharCodeName(code)), code == CharCode::Ascii ? CharCode::Unicode : code);
    }
    EXPECT_EQ(CharCodeMenuText(CharCode::Unicode), QStringLiteral("Unicode(&L)"));
    EXPECT_EQ(CharCodeMenuText(CharCode::Ebcdik), QStringLiteral("EBCDIK(&K)"));
    CharCode unused;
    EXPECT_FALSE(CharCodeFromMenuId(32836, unused));
    EXPECT_FALSE(CharCodeFromMenuId(32846, unused));
    // Unknown values name Shift-JIS; unknown or differently cased names read as Unicode.
    EXPECT_EQ(CharCodeNameFromValue(9), QStringLiteral("Shift-JIS"));
    EXPECT_EQ(CharCodeNameFromValue(-1), QStringLiteral("Shift-JIS"));
    EXPECT_EQ(CharCodeFromValue(200), CharCode::ShiftJis);
    EXPECT_EQ(CharCodeFromName(u"shift-jis"), CharCode::Unicode);
    EXPECT_EQ(CharCodeFromName(u""), CharCode::Unicode);
    EXPECT_EQ(CharCodeFromName(u"UTF-8"), CharCode::Utf8);
}

TEST(TextEncoderTest, JisPairArithmeticRoundTripsEveryCell)
{
    EXPECT_EQ(ShiftJisToJisPair(0x88, 0x9F), std::make_pair(uint8_t(0x30), uint8_t(0x21)));
    EXPECT_EQ(JisPairToShiftJis(0x30, 0x21), std::make_pair(uint8_t(0x88), uint8_t(0x9F)));
    for (int row = 0x21; row <= 0x7E; ++row) {
        for (int cell = 0x21; cell <= 0x7E; ++cell) {
            const auto [lead, trail] = JisPairToShiftJis(static_cast<uint8_t>(row), static_cast<uint8_t>(cell));
            ASSERT_TRUE(IsShiftJisLead(lead)) << row << "," << cell;
            ASSERT_TRUE((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC));
            ASSERT_EQ(ShiftJisToJisPair(lead, trail), std::make_pair(uint8_t(row), uint8_t(cell)));
        }
    }
}

TEST(TextEncoderTest, EncodeTextInEveryCode)
{
    EXPECT_EQ(EncodeText(u"A", CharCode::UnicodeBE), Bytes({0x00, 0x41}));
    EXPECT_EQ(EncodeText(u"A", CharCode::Unicode), Bytes({0x41, 0x00}));
    EXPECT_EQ(EncodeText(u"A", CharCode::Ascii), Bytes({0x41, 0x00}));
    EXPECT_EQ(EncodeText(u"あ", CharCode::ShiftJis), Bytes({0x82, 0xA0}));
    EXPECT_EQ(EncodeText(u"あ", CharCode::Euc), Bytes({0xA4, 0xA2}));
    EXPECT_EQ(EncodeText(u"あ", CharCode::Utf8), Bytes({0xE3, 0x81, 0x82}));
    EXPECT_EQ(EncodeText(u"\U0001F600", CharCode::UnicodeBE), Bytes({0xD8, 0x3D, 0xDE, 0x00}));
    for (int c = 0; c < kCharCodeCount; ++c)
        EXPECT_TRUE(EncodeText(u"", CharCodeFromValue(c)).isEmpty()) << c;
    EXPECT_EQ(EncodeTextAsHex(u"A", u"UnicodeBE"), QStringLiteral("0041"));
    EXPECT_EQ(EncodeTextAsHex(u"漢", u"Shift-JIS"), QStringLiteral("8ABF"));
    EXPECT_EQ(EncodeTextAsHex(u"A", u"ASCII"), QStringLiteral("4100")); // read as Unicode
    EXPECT_EQ(EncodeTextAsHex(u"", u"EUC"), QString());
}

TEST(TextEncoderTest, EncodeJisWritesBarePairsAndKatakana)
{
    EXPECT_EQ(EncodeJis(u"亜唖"), Bytes({0x30, 0x21, 0x30, 0x22}));
    EXPECT_EQ(EncodeJis(u"\uFF71"), Bytes({0x31}));       // Shift-JIS 0xB1
    EXPECT_EQ(EncodeJis(u"A\u3042\uFF71z"), Bytes({0x41, 0x24, 0x22, 0x31, 0x7A}));
    // The text ends at its first zero; characters 932 lacks are its "?".
    EXPECT_EQ(EncodeJis(QStringView(u"A\0B", 3)), Bytes({0x41}));
    EXPECT_EQ(EncodeJis(u"\uAC00"), Bytes({0x3F}));
}

TEST(TextEncoderTest, EncodeEucWritesJisX0212InThreeBytes)
{
    // 丂 (U+4E02) is JIS X 0212 0x3021; 20932 writes B0 21, files hold 8F B0 A1.
    EXPECT_EQ(NarrowToCodePage(kCodePageEuc, u"丂"), Bytes({0xB0, 0x21}));
    EXPECT_EQ(EncodeEuc(u"丂"), Bytes({0x8F, 0xB0, 0xA1}));
    // Also among other characters, so that a search for a longer text finds it.
    EXPECT_EQ(EncodeEuc(u"丂A"), Bytes({0x8F, 0xB0, 0xA1, 0x41}));
    EXPECT_EQ(EncodeEuc(u"x丂亜"), Bytes({0x78, 0x8F, 0xB0, 0xA1, 0xB0, 0xA1}));
    EXPECT_EQ(EncodeEuc(u"\uFF71"), Bytes({0x8E, 0xB1}));
    EXPECT_EQ(EncodeEuc(u"\uAC00"), Bytes({0x3F}));
}

TEST(TextEncoderTest, EncodeEbcdicAndEbcdik)
{
    EXPECT_EQ(EncodeEbcdic(u"A"), Bytes({0xC1}));
    EXPECT_EQ(EncodeEbcdik(u"a"), Bytes({0x59}));
    EXPECT_EQ(EncodeEbcdik(u"y"), Bytes({0xB0}));
    EXPECT_EQ(EncodeEbcdic(u" "), Bytes({0x40}));
    EXPECT_EQ(EncodeEbcdik(u" "), Bytes({0x40}));
    EXPECT_EQ(EncodeEbcdik(u"\uFF71"), Bytes({0x81}));
    EXPECT_EQ(EncodeEbcdic(u"\uFF71"), Bytes({0x59}));
    // Kanji lose their lead bytes; only a trail byte that falls in a table range leaves a code:
    // 亜 889F and 字 8E9A leave nothing, 漢 8ABF leaves the code of katakana BF, ア 8341 that of "A".
    EXPECT_EQ(EncodeEbcdic(u"亜漢字"), Bytes({0x75}));
    EXPECT_EQ(EncodeEbcdic(u"\u30A2"), Bytes({0xC1}));
    EXPECT_EQ(EncodeEbcdic(u"\u3042"), QByteArray());
    // Every table character has exactly one code, and decoding it gives the character back.
    for (int sjis = 0x20; sjis <= 0xDF; ++sjis) {
        if (sjis > 0x7E && sjis < 0xA1)
            continue;
        const QString ch(QChar(Cp932SingleChar(static_cast<uint8_t>(sjis))));
        ASSERT_EQ(EncodeEbcdic(ch).size(), 1) << sjis;
        ASSERT_EQ(EncodeEbcdik(ch).size(), 1) << sjis;
    }
}

TEST(TextEncoderTest, EncodeTypedCharCountsItsBytes)
{
    auto typed = [](char16_t ch, CharCode code) {
        const TypedBytes t = EncodeTypedChar(ch, code);
        return QByteArray(reinterpret_cast<const char*>(t.bytes.data()), t.count);
    };
    // Below 0x100 a unit is its low byte in every code.
    for (int c = 0; c < kCharCodeCount; ++c) {
        EXPECT_EQ(typed(u'A', CharCodeFromValue(c)), Bytes({0x41})) << c;
        EXPECT_EQ(typed(0xE9, CharCodeFromValue(c)), Bytes({0xE9})) << c;
    }
    EXPECT_EQ(typed(0x3042, CharCode::UnicodeBE), Bytes({0x30, 0x42}));
    EXPECT_EQ(typed(0x3042, CharCode::Unicode), Bytes({0x42, 0x30}));
    EXPECT_EQ(typed(0x3042, CharCode::ShiftJis), Bytes({0x82, 0xA0}));
    EXPECT_EQ(typed(0x3042, CharCode::Jis), Bytes({0x24, 0x22}));
    EXPECT_EQ(typed(0xFF71, CharCode::Jis), Bytes({0x31}));
    EXPECT_EQ(typed(0x3042, CharCode::Euc), Bytes({0xA4, 0xA2}));
    EXPECT_EQ(typed(0x4E02, CharCode::Euc), Bytes({0x8F, 0xB0, 0xA1}));
    EXPECT_EQ(typed(0x3042, CharCode::Utf8), Bytes({0xE3, 0x81, 0x82}));
    EXPECT_EQ(typed(0x3042, CharCode::Ebcdik), Bytes({0x42, 0x30}));
    // A zero byte inside the character is still written: U+3000 in UnicodeBE is 30 00, and
    // U+4E00 in Unicode is 00 4E.
    EXPECT_EQ(typed(0x3000, CharCode::UnicodeBE), Bytes({0x30, 0x00}));
    EXPECT_EQ(typed(0x4E00, CharCode::Unicode), Bytes({0x00, 0x4E}));
    // A half of a surrogate pair typed alone.
    EXPECT_EQ(typed(0xD83D, CharCode::Utf8), Bytes({0xEF, 0xBF, 0xBD}));
    EXPECT_EQ(typed(0xD83D, CharCode::ShiftJis), Bytes({0x3F}));
}

TEST(TextEncoderTest, HexTextToU64)
{
    bool ok = false;
    EXPECT_EQ(HexTextToU64(u"", &ok), 0u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(HexTextToU64(u"0123456789ABCDEF"), 0x0123456789ABCDEFull);
    EXPECT_EQ(HexTextToU64(u"FFFFFFFFFFFFFFFF"), ~0ull);
    EXPECT_EQ(HexTextToU64(u"abcdef"), 0xABCDEFull);
    // More than 16 digits keep the low 64 bits.
    EXPECT_EQ(HexTextToU64(u"123456789ABCDEF012"), 0x3456789ABCDEF012ull);
    EXPECT_EQ(HexTextToU64(u"100000000000000000"), 0u);
    // Anything else makes the text unreadable, and no partial value comes out.
    for (const char16_t* bad : {u"12 34", u"0x10", u"1-2", u"??", u"\uFF11", u"G"}) {
        ok = true;
        EXPECT_EQ(HexTextToU64(bad, &ok), 0u);
        EXPECT_FALSE(ok);
    }
}

// Before, a character a code could not hold was written as "?", as another code's bytes or not at
// all, and nothing said so.
TEST(TextEncoderTest, FirstUnheldCharFindsWhatACodeCannotHold)
{
    const QString lone = QString(QChar(0xD800));
    struct
    {
        QString text;
        CharCode code;
        qsizetype unheld;
    } cases[] = {
        {"plain ASCII?", CharCode::Ascii, -1},
        {QStringLiteral("ab日本"), CharCode::Ascii, 2},
        {QStringLiteral("é"), CharCode::Ascii, 0},
        {QStringLiteral("日本語ｱ①"), CharCode::ShiftJis, -1}, // ① is in the NEC row of 932
        {QStringLiteral("日한"), CharCode::ShiftJis, 1},
        {QStringLiteral("a\U0001F600"), CharCode::ShiftJis, 1},
        {QStringLiteral("日本"), CharCode::Jis, -1},
        {QStringLiteral("€"), CharCode::Jis, 0},
        {QStringLiteral("丂"), CharCode::Euc, -1}, // JIS X 0212
        {QStringLiteral("x한"), CharCode::Euc, 1},
        {QStringLiteral("\U0001F600") + lone, CharCode::Utf8, 2},
        {lone, CharCode::Unicode, -1},
        {QStringLiteral("ABC"), CharCode::Ebcdic, -1},
        {QStringLiteral("Aあ"), CharCode::Ebcdic, 1},
        {QStringLiteral("Aｱ"), CharCode::Ebcdik, -1},
        {QStringLiteral("A\n"), CharCode::Ebcdik, 1}, // a control byte the table drops
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstUnheldChar(c.text, c.code), c.unheld) << c.text.toStdString() << " in " << CharCodeName(c.code).toStdString();
    EXPECT_EQ(UnheldCharMessage(QStringLiteral("ab日本"), u"ASCII"), QStringLiteral("「日」は ASCII で表せません。"));
    EXPECT_EQ(UnheldCharMessage(QStringLiteral("日本"), u"Shift-JIS"), QString());
}
