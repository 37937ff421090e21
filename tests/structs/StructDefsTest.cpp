// The ".def" parser, the varsize values and the re-evaluation after the data changes.
#include "structs/StructDefs.h"

#include "StructTestSupport.h"

#include "codes/CodePage.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using Defs = CStructDefs;

QStringList Names(const Defs& defs, int def)
{
    QStringList names;
    for (const auto& m : defs.Defs().at(def).members)
        names << m.name;
    return names;
}

} // namespace

TEST(StructDefsTest, ReadsTheTypicalFileWithItsNestedStructureAndCountFromTheData)
{
    // HEADER: sig[4], DWORD length, varsize 2 (the count), POINT pts[count].
    BufferBytes data(Bytes({'A', 'B', 'C', 'D', 0, 0, 1, 0, 3, 0}));
    Defs defs;
    ASSERT_TRUE(defs.ParseText(QStringLiteral("struct POINT\n{\n long x;\n long y;\n}\n"
                                              "struct HEADER\r\n{\r\n\tchar sig[4]; // tag\r\n"
                                              "\tDWORD length;\n\tvarsize 2;\n\tPOINT pts[varsize];\n}\n"),
                               data.Reader()));
    ASSERT_EQ(defs.Defs().size(), 2u);
    EXPECT_EQ(defs.Defs()[0].name, "POINT");
    EXPECT_EQ(defs.Defs()[0].size, 8);
    const auto& h = defs.Defs()[1];
    EXPECT_EQ(Names(defs, 1), (QStringList{"sig[4]", "length", "2", "pts[3]"}));
    EXPECT_EQ(h.members[0].kind, 0);
    EXPECT_EQ(h.members[0].count, 4);
    EXPECT_EQ(h.members[1].kind, 13);
    EXPECT_EQ(h.members[2].kind, Defs::kVarsizeLittle);
    EXPECT_EQ(h.members[2].size, 2);
    EXPECT_EQ(h.members[3].structIndex, 0);
    EXPECT_EQ(h.members[3].count, 3);
    EXPECT_EQ(h.members[3].size, 24);
    EXPECT_EQ(h.size, 4 + 4 + 2 + 24);
    ASSERT_EQ(defs.Varsizes().size(), 1u);
    EXPECT_EQ(defs.Varsizes()[0].value, 3);
    EXPECT_EQ(defs.Varsizes()[0].memberIndex, 2);
}

TEST(StructDefsTest, LineRulesForCommentsBracesNamesAndTypes)
{
    Defs defs;
    ASSERT_TRUE(defs.ParseText(QStringLiteral(
                                   "/* a block comment\n   struct HIDDEN\n*/ struct A {\n"
                                   "word  value; // the blank ends the type\n"
                                   "byte noname\n"
                                   "uint32 unknown;\n"
                                   "LATER later;\n"
                                   "DWORD kept; /* runs on\n byte hidden;\n */ byte after;\n"
                                   "short s; /* inline */ // trailing\n"
                                   "}\n"
                                   "outside line;\n"
                                   "struct LATER\n{\nbyte z;\n}\n"),
                               nullptr));
    ASSERT_EQ(defs.Defs().size(), 2u);
    // "struct A {" names the structure with the brace, and the brace is not seen again.
    EXPECT_EQ(defs.Defs()[0].name, "A {");
    const auto& m = defs.Defs()[0].members;
    EXPECT_EQ(Names(defs, 0), (QStringList{"value", "", "unknown", "later", "kept", "after", "s"}));
    EXPECT_EQ(m[0].type, "word");
    EXPECT_EQ(m[0].kind, 6);
    EXPECT_EQ(m[1].size, 1); // no ";": no name, but the byte is still there
    EXPECT_EQ(m[2].kind, 2); // an unknown type word is a byte
    EXPECT_EQ(m[2].type, "uint32");
    EXPECT_EQ(m[3].structIndex, -1); // a structure defined below is not known yet
    EXPECT_EQ(m[3].size, 1);
    EXPECT_EQ(m[4].kind, 13);
    EXPECT_EQ(defs.Defs()[0].size, 2 + 1 + 1 + 1 + 4 + 1 + 2);
}

TEST(StructDefsTest, FormatErrorsStopAtTheirLineAndKeepWhatWasRead)
{
    Defs defs;
    EXPECT_FALSE(defs.ParseText(QStringLiteral("// nothing yet\n}\nstruct A\n{\nbyte a;\n}\n"), nullptr));
    EXPECT_EQ(defs.ErrorLine(), 2);
    EXPECT_TRUE(defs.Defs().empty());

    EXPECT_FALSE(defs.ParseText(QStringLiteral("struct A\n{\nbyte a;\n}\nstruct B\n{\nbyte d[varsize];\n}\n"), nullptr));
    EXPECT_EQ(defs.ErrorLine(), 7);
    ASSERT_EQ(defs.Defs().size(), 2u);
    EXPECT_EQ(defs.Defs()[0].size, 1);

    EXPECT_FALSE(defs.ParseText(QStringLiteral("struct A\n{\nvarsize +3;\n}\n"), nullptr));
    EXPECT_EQ(defs.ErrorLine(), 3);

    // A binary file is refused as a whole, with the line of its first NUL byte.
    EXPECT_FALSE(defs.Parse(QByteArray("struct A\n{\nbyte\0a;\n}\n", 20), nullptr));
    EXPECT_EQ(defs.ErrorLine(), 3);
    EXPECT_TRUE(defs.Defs().empty());

    // Names in Shift-JIS (files written on Windows) and in UTF-8 read the same.
    const QString text = QStringLiteral("struct ヘッダ\n{\nbyte 長さ;\n}\n");
    ASSERT_TRUE(defs.Parse(NarrowToCodePage(kCodePageShiftJis, text), nullptr));
    EXPECT_EQ(defs.Defs()[0].name, QStringLiteral("ヘッダ"));
    ASSERT_TRUE(defs.Parse(text.toUtf8(), nullptr));
    EXPECT_EQ(defs.Defs()[0].members[0].name, QStringLiteral("長さ"));
}

TEST(StructDefsTest, VarsizeArithmeticByteOrderAndWidths)
{
    // varsize 1 reads 5, +3 makes 8: the array has 8 elements.
    BufferBytes five(Bytes({5}));
    Defs defs;
    ASSERT_TRUE(defs.ParseText(QStringLiteral("struct A\n{\nvarsize 1;\nvarsize + 3 ;\nbyte data[varsize];\n}\n"), five.Reader()));
    const auto& m = defs.Defs()[0].members;
    EXPECT_EQ(m[1].type, "VARSIZECalc");
    EXPECT_EQ(m[1].kind, Defs::kArithmetic);
    EXPECT_EQ(m[1].size, 0);
    EXPECT_EQ(m[2].name, "data[8]");
    EXPECT_EQ(defs.Defs()[0].size, 1 + 8);

    // Big-endian count, a width taken from the data, and * and / lines.
    BufferBytes be(Bytes({0x00, 0x02, 0x03, 0x00, 0x00, 0x01}));
    ASSERT_TRUE(defs.ParseText(QStringLiteral("struct B\n{\nVARSIZE 2;\nvarsize *3;\nvarsize /2;\nVARSIZE varsize;\nword w[varsize];\n}\n"), be.Reader()));
    const auto& b = defs.Defs()[0].members;
    EXPECT_EQ(b[3].kind, Defs::kVarsizeBig);
    EXPECT_EQ(b[3].elementSize, 3u); // 2 * 3 / 2
    EXPECT_EQ(defs.Varsizes()[1].value, 0x030000); // bytes 03 00 00, big-endian
    EXPECT_EQ(b[4].count, 0x030000);

    // Division by zero gives an empty array; a negative count is empty; a huge one is held.
    ASSERT_TRUE(defs.ParseText(QStringLiteral("struct C\n{\nvarsize 1;\nvarsize /0;\nbyte a[varsize];\nbyte tail;\n}\n"), five.Reader()));
    EXPECT_EQ(defs.Defs()[0].members[2].count, 0);
    EXPECT_EQ(defs.Defs()[0].members[2].size, 0); // no elements, not one
    EXPECT_EQ(defs.Defs()[0].size, 2);
    ASSERT_TRUE(defs.ParseText(QStringLiteral("struct D\n{\nvarsize 1;\nvarsize -9;\nbyte a[varsize];\n}\n"), five.Reader()));
    EXPECT_EQ(defs.Defs()[0].members[2].count, 0);
    BufferBytes huge(Bytes({0xFF, 0xFF, 0xFF, 0x7F}));
    ASSERT_TRUE(defs.ParseText(QStringLiteral("struct E\n{\nvarsize 4;\nvarsize *1000000;\ndouble a[varsize];\n}\n"
                                              "struct F\n{\nE e[4000000000];\nE more[99999999999999];\n}\n"
                                              "struct G\n{\nF f[100000000];\nbyte after;\n}\n"),
                               huge.Reader()));
    EXPECT_EQ(defs.Defs()[0].members[2].count, Defs::kMaxCount);
    EXPECT_EQ(defs.Defs()[1].size, 2 * Defs::kMaxCount * defs.Defs()[0].size);
    EXPECT_EQ(defs.Defs()[2].size, Defs::kMaxSize); // saturated, never wrapped
}

TEST(StructDefsTest, ReevaluationFollowsTheDataIntoNestedSizes)
{
    BufferBytes data(Bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    Defs defs;
    ASSERT_TRUE(defs.ParseText(QStringLiteral("struct REC\n{\nvarsize 1;\nvarsize +1;\nword w[varsize];\n}\n"
                                              "struct OUTER\n{\nREC r;\nbyte tail;\n}\n"),
                               data.Reader()));
    EXPECT_EQ(defs.Defs()[0].size, 1 + 6);
    EXPECT_EQ(defs.Defs()[1].size, 8);
    data.data[0] = 4;
    defs.Reevaluate(data.Reader());
    EXPECT_EQ(defs.Defs()[0].members[2].name, "w[5]");
    EXPECT_EQ(defs.Defs()[0].size, 1 + 10);
    EXPECT_EQ(defs.Defs()[1].size, 12); // the structure holding it grows too
    EXPECT_EQ(defs.Varsizes()[0].value, 5);
    // At another base the count comes from the byte there.
    defs.Reevaluate(data.Reader(1));
    EXPECT_EQ(defs.Defs()[0].members[2].count, 1);
}
