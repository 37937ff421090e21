// The structure editor without its window: rows, value texts, edits, base moves and expansion.
#include "structs/StructSession.h"

#include "ScriptedPrompter.h"
#include "StructTestSupport.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

namespace {

struct Session : ::testing::Test
{
    TempFiles files;
    ScriptedPrompter prompter;
    BufferBytes bytes;
    CStructSession s;

    void Load(const QString& text, int structure = 0)
    {
        const QString path = files.Write(QStringLiteral("t.def"), text.toUtf8());
        ASSERT_TRUE(s.LoadDefinitionFile(path, bytes)) << s.ErrorMessage().toStdString();
        s.ChooseStructure(structure);
    }
    QStringList Lines()
    {
        QStringList lines;
        for (int64_t i = 0; i < s.Tree().RowCount(); ++i)
            lines << CStructValues::RowLine(s.Tree(), s.Tree().Row(i), bytes, s.Base(), bytes.Size());
        return lines;
    }
    int64_t Find(const QString& label)
    {
        for (int64_t i = 0; i < s.Tree().RowCount(); ++i)
            if (s.Tree().Row(i).label == label)
                return i;
        return -1;
    }
};

} // namespace

TEST_F(Session, ValuesOfEveryKindInBothByteOrders)
{
    bytes.data = Bytes({0x41, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, // byte, byte, dword, DWORD
                        0x00, 0x00, 0xC0, 0x3F,                                     // float 1.5
                        0x40, 0x04, 0, 0, 0, 0, 0, 0,                               // DOUBLE 2.5
                        'A', 'B', 'C', 0, 0, 0, 0, 0,                               // char[8]
                        0xE5, 0x65, 0x2C, 0x67, 0, 0,                               // wchar[3] 日本
                        0x30, 0xAB,                                                 // WCHAR カ
                        0x34, 0x12});                                               // varsize 2
    Load(QStringLiteral("struct K\n{\nbyte a;\nbyte zero;\ndword d;\nDWORD D;\nfloat f;\nDOUBLE g;\n"
                        "char s[8];\nwchar w[3];\nWCHAR k;\nvarsize 2;\n}\n"));
    EXPECT_EQ(Lines(), (QStringList{
                           "a\t41 'A'\tbyte",
                           "zero\t00\tbyte",
                           "d\t00010000\tdword",
                           "D\t00000100\tDWORD",
                           "f\t1.500000e+00\tfloat",
                           "g\t2.500000e+00\tDOUBLE",
                           "s[8]\tABC\tchar",
                           QStringLiteral("w[3]\t日本\twchar"),
                           QStringLiteral("k\t30AB 'カ'\tWCHAR"),
                           "2\t1234\tvarsize",
                       }));
    // Past the end of the file everything reads as zeros, and text stops there.
    s.SetBase(0x30);
    s.Reevaluate(bytes);
    EXPECT_EQ(Lines()[0], "a\t00\tbyte");
    EXPECT_EQ(Lines()[6], "s[8]\t\tchar");
    // Control characters never break the one-line form.
    bytes.data[0] = '\t';
    s.SetBase(0);
    EXPECT_EQ(Lines()[0], "a\t09 '.'\tbyte");
}

TEST_F(Session, EditsWriteTheKindsBytesInTheFieldsOrder)
{
    bytes.data = QByteArray(16, '\0');
    Load(QStringLiteral("struct E\n{\nWORD W;\nword w;\nbyte b;\nfloat f;\nDOUBLE g;\nchar c[2];\n}\n"));
    using C = CStructValues::Commit;
    EXPECT_EQ(s.CommitValueEdit(Find("W"), "1", bytes), C::Written);
    EXPECT_EQ(s.CommitValueEdit(Find("w"), "1", bytes), C::Written);
    // A digit the field cannot hold is refused, not cut off; zeros in front of it are harmless.
    EXPECT_EQ(s.CommitValueEdit(Find("b"), "1FF", bytes), C::Refused);
    EXPECT_EQ(s.CommitValueEdit(Find("b"), "01F", bytes), C::Written);
    EXPECT_EQ(s.CommitValueEdit(Find("f"), "-2.5", bytes), C::Written);
    EXPECT_EQ(bytes.data.left(9), Bytes({0x00, 0x01, 0x01, 0x00, 0x1F, 0x00, 0x00, 0x20, 0xC0}));
    // Past the end: the file grows to hold the field (the double ends at 17).
    EXPECT_EQ(s.CommitValueEdit(Find("g"), "1E0", bytes), C::Written);
    EXPECT_EQ(bytes.data.size(), 17);
    EXPECT_EQ(bytes.data.mid(9, 8), Bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
    // Text that is no value of the kind is refused with a message, and nothing is written.
    const QByteArray before = bytes.data;
    EXPECT_EQ(s.CommitValueEdit(Find("W"), "1.5", bytes), C::Refused);
    EXPECT_EQ(prompter.LastText(), QStringLiteral("16進数で入力してください。"));
    EXPECT_EQ(s.CommitValueEdit(Find("f"), "E", bytes), C::Refused);
    EXPECT_EQ(s.CommitValueEdit(Find("c[2]"), "41", bytes), C::Refused); // a whole array
    EXPECT_EQ(bytes.data, before);
    // The edit box starts with the value without its character.
    EXPECT_EQ(CStructValues::EditText(QStringLiteral("41 'A'")), "41");
}

TEST_F(Session, EditingTheCountReevaluatesTheRows)
{
    bytes.data = Bytes({2, 0xAA, 0xBB, 0xCC, 0xDD});
    Load(QStringLiteral("struct V\n{\nvarsize 1;\nbyte data[varsize];\nbyte after;\n}\n"));
    EXPECT_EQ(s.StructSize(), 4u);
    EXPECT_EQ(Lines()[2], "after\tCC '\u00CC'\tbyte");
    ASSERT_EQ(s.CommitValueEdit(0, "3", bytes), CStructValues::Commit::Written);
    EXPECT_EQ(bytes.data[0], 3);
    EXPECT_EQ(s.Tree().Row(1).label, "data[3]");
    EXPECT_EQ(s.StructSize(), 5u);
    EXPECT_EQ(Lines()[2], "after\tDD '\u00DD'\tbyte");
    // A count of 0 leaves an empty array that covers no bytes and cannot be edited.
    ASSERT_EQ(s.CommitValueEdit(0, "0", bytes), CStructValues::Commit::Written);
    EXPECT_EQ(s.Tree().RowLength(s.Tree().Row(1)), 0u);
    EXPECT_FALSE(CStructValues::IsEditable(s.Tree(), s.Tree().Row(1)));
    EXPECT_EQ(Lines()[2], "after\tAA '\u00AA'\tbyte");
}

TEST_F(Session, BaseButtonsStayInsideTheAddressSpace)
{
    bytes.data = QByteArray(64, '\0');
    Load(QStringLiteral("struct R\n{\ndword a[4];\n}\n"));
    EXPECT_EQ(CStructBase::AddressText(s.Base()), "0x00000000-00000000");
    s.MoveBase(CStructBase::Move::BackByte, 0, bytes);
    EXPECT_EQ(s.Base(), 0u);
    s.MoveBase(CStructBase::Move::ForwardRecord, 0, bytes);
    EXPECT_EQ(CStructBase::AddressText(s.Base()), "0x00000000-00000010");
    s.MoveBase(CStructBase::Move::BackByte, 0, bytes);
    s.MoveBase(CStructBase::Move::BackRecord, 0, bytes); // 15 < 16: to 0
    EXPECT_EQ(s.Base(), 0u);
    s.MoveBase(CStructBase::Move::ToCursor, 0x123456789ULL, bytes);
    EXPECT_EQ(CStructBase::AddressText(s.Base()), "0x00000001-23456789");
    s.SetBase(~uint64_t(0) - 3);
    s.MoveBase(CStructBase::Move::ForwardRecord, 0, bytes);
    EXPECT_EQ(s.Base(), ~uint64_t(0)); // stops at the end, never wraps to 0
    uint64_t start = 0, end = 0;
    s.StructRange(start, end);
    EXPECT_EQ(end, ~uint64_t(0));
    // Without a chosen structure the buttons do nothing.
    CStructSession empty;
    EXPECT_FALSE(empty.MoveBase(CStructBase::Move::ForwardByte, 0, bytes));
}

TEST_F(Session, ExpandingArraysAndStructuresAndCollapsingThemAgain)
{
    bytes.data = QByteArray(64, '\0');
    Load(QStringLiteral("struct P\n{\nword x;\nword y;\n}\nstruct S\n{\nbyte head;\nP pts[3];\nP one;\nbyte b[2];\n}\n"), 1);
    CStructTree& t = s.Tree();
    EXPECT_EQ(t.RowCount(), 4);
    EXPECT_FALSE(CStructTree::IsExpandable(t.Row(0)));
    EXPECT_EQ(t.RowLength(t.Row(1)), 12u);
    EXPECT_EQ(t.Expand(1), 3);
    EXPECT_EQ(t.Row(3).label, "pts[1]");
    EXPECT_EQ(t.Row(3).offset, 5u);
    EXPECT_EQ(t.RowLength(t.Row(3)), 4u);
    EXPECT_EQ(t.Expand(3), 2); // a structure element shows its fields
    EXPECT_EQ(t.Row(5).label, "y");
    EXPECT_EQ(t.Row(5).offset, 7u);
    EXPECT_EQ(t.Row(5).level, 2);
    EXPECT_EQ(t.Row(7).label, "one");
    EXPECT_EQ(t.Expand(7), 2);
    EXPECT_EQ(t.Row(9).offset, 15u);
    EXPECT_EQ(t.Row(10).label, "b[2]");
    // Collapsing the array removes the expanded element's fields too.
    EXPECT_EQ(t.Collapse(1), 5);
    EXPECT_EQ(t.RowCount(), 6);
    EXPECT_EQ(t.Row(2).label, "one");
    EXPECT_EQ(t.Row(4).label, "y");
    EXPECT_FALSE(t.Row(1).expanded);
    EXPECT_EQ(t.Expand(1), 3);
    EXPECT_FALSE(t.Row(3).expanded); // expanded again from scratch
}

TEST_F(Session, AMillionElementsAreRowsOnDemand)
{
    bytes.data = Bytes({0x40, 0x42, 0x0F, 0x00}); // 1,000,000
    Load(QStringLiteral("struct P\n{\nword x;\nword y;\n}\nstruct BIG\n{\nvarsize 4;\nP p[varsize];\nbyte end;\n}\n"), 1);
    CStructTree& t = s.Tree();
    EXPECT_EQ(t.Expand(1), 1000000);
    EXPECT_EQ(t.RowCount(), 3 + 1000000);
    EXPECT_EQ(t.Row(1000001).label, "p[999999]");
    EXPECT_EQ(t.Row(1000001).offset, 4u + 999999u * 4u);
    EXPECT_EQ(t.Row(1000002).label, "end");
    // An element far down expands in place; rows after it move down.
    EXPECT_EQ(t.Expand(500002), 2);
    EXPECT_EQ(t.Row(500003).label, "x");
    EXPECT_EQ(t.Row(500003).offset, 4u + 500000u * 4u);
    EXPECT_EQ(t.Row(500005).label, "p[500001]");
    EXPECT_EQ(t.RowsBelow(1), 1000002);
    // A limit shows the head of the array only.
    EXPECT_EQ(t.Collapse(1), 1000002);
    EXPECT_EQ(t.Expand(1, 1000), 1000);
    EXPECT_EQ(t.Row(1001).label, "p[999]");
    EXPECT_EQ(t.Row(1002).label, "end");
}

TEST_F(Session, EveryLookupOfAStaleRowIsHarmless)
{
    bytes.data = Bytes({1, 2, 3, 4, 5, 6});
    Load(QStringLiteral("struct P\n{\nword x;\n}\nstruct H\n{\nP p;\nvarsize 1;\nbyte d[varsize];\n}\n"), 1);
    const CStructTree& tree = s.Tree();
    // A failed row lookup gives a default row; rows of another file or of a rebuilt list can name
    // definitions and fields that are not there any more.
    CStructTree::LISTOPTION unknownField;
    unknownField.definition = 1;
    unknownField.member = 99;
    CStructTree::LISTOPTION unknownDefinition;
    unknownDefinition.definition = 99;
    unknownDefinition.member = 0;
    CStructTree::LISTOPTION unknownType;
    unknownType.structType = 99;
    for (const CStructTree::LISTOPTION& row :
         {tree.Row(-1), tree.Row(tree.RowCount()), CStructTree::LISTOPTION{}, unknownField, unknownDefinition, unknownType}) {
        EXPECT_EQ(CStructValues::FormatValue(tree, row, bytes, s.Base(), bytes.Size()), "");
        EXPECT_FALSE(CStructValues::IsEditable(tree, row));
        EXPECT_EQ(tree.RowLength(row), 0u);
        EXPECT_EQ(CStructValues::TypeText(tree, row), "");
        EXPECT_EQ(CStructValues::EditDigits(tree.Field(row)), 0);
        EXPECT_EQ(tree.ChildCount(row), 0);
        uint64_t start = 1, end = 0;
        s.RowRange(row, start, end);
        EXPECT_EQ(start, end);
        EXPECT_EQ(CStructValues::CommitValueEdit(tree, row, "12", bytes, s.Base()), CStructValues::Commit::Refused);
    }
    EXPECT_EQ(bytes.data, Bytes({1, 2, 3, 4, 5, 6}));
    // Row indexes outside the list.
    for (int64_t index : {int64_t(-1), s.Tree().RowCount(), int64_t(1) << 40}) {
        EXPECT_FALSE(s.EditRebuildsRows(index));
        int64_t after = 0;
        EXPECT_EQ(s.CommitValueEdit(index, "1", bytes, &after), CStructValues::Commit::Refused);
        EXPECT_EQ(s.Tree().Expand(index), 0);
        EXPECT_EQ(s.Tree().Collapse(index), 0);
        EXPECT_EQ(s.Tree().RowsBelow(index), 0);
        EXPECT_TRUE(s.Tree().KeyOf(index).empty());
    }
    EXPECT_EQ(s.Tree().IndexOf({}), -1);
    EXPECT_EQ(s.Tree().IndexOf({{7, -1}}), -1);
    EXPECT_EQ(s.Tree().IndexOf({{0, -1}, {5, -1}}), -1); // p is not expanded
}

TEST_F(Session, AVarsizeEditKeepsTheExpandedRowsAndFindsTheEditedRowAgain)
{
    // head (4 bytes), the first count 2, d[2], the second count 1, e[1], tail[2] of P.
    bytes.data = Bytes({1, 0, 2, 0, 2, 0xA1, 0xA2, 1, 0xB1, 5, 0, 6, 0, 7, 0, 8, 0});
    Load(QStringLiteral("struct P\n{\nword x;\nword y;\n}\n"
                        "struct H\n{\nP head;\nvarsize 1;\nbyte d[varsize];\nvarsize 1;\nbyte e[varsize];\nP tail[2];\n}\n"),
         1);
    const auto labels = [&] {
        QStringList l;
        for (int64_t i = 0; i < s.Tree().RowCount(); ++i)
            l << s.Tree().Row(i).label;
        return l;
    };
    s.Tree().Expand(Find("head"));
    s.Tree().Expand(Find("d[2]"));
    s.Tree().Expand(Find("tail[2]"));
    s.Tree().Expand(Find("tail[1]"));
    ASSERT_EQ(labels(), (QStringList{"head", "x", "y", "1", "d[2]", "d[0]", "d[1]", "1", "e[1]", "tail[2]", "tail[0]",
                                     "tail[1]", "x", "y"}));
    // The second count, below two expanded rows: e grows, the rows below shift, nothing closes.
    const int64_t second = 7;
    ASSERT_EQ(s.Tree().Row(second).member, 3);
    ASSERT_TRUE(s.EditRebuildsRows(second));
    int64_t after = -1;
    ASSERT_EQ(s.CommitValueEdit(second, "3", bytes, &after), CStructValues::Commit::Written);
    EXPECT_EQ(after, second);
    EXPECT_EQ(labels(), (QStringList{"head", "x", "y", "1", "d[2]", "d[0]", "d[1]", "1", "e[3]", "tail[2]", "tail[0]",
                                     "tail[1]", "x", "y"}));
    EXPECT_EQ(s.Tree().Row(12).offset, 4u + 1 + 2 + 1 + 3 + 4);
    // The first count: d shrinks to one element, its expansion shows what is left, and the second
    // count is now read from the byte after it (A2).
    ASSERT_EQ(s.CommitValueEdit(3, "1", bytes, &after), CStructValues::Commit::Written);
    EXPECT_EQ(after, 3);
    EXPECT_EQ(labels(), (QStringList{"head", "x", "y", "1", "d[1]", "d[0]", "1", "e[162]", "tail[2]", "tail[0]",
                                     "tail[1]", "x", "y"}));
    // A plain field is written without rebuilding anything.
    EXPECT_FALSE(s.EditRebuildsRows(1));
    ASSERT_EQ(s.CommitValueEdit(1, "ABCD", bytes, &after), CStructValues::Commit::Written);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(labels().size(), 13);
}

TEST_F(Session, ChangedVarsizeValuesAreNoticedAndTheRowsRebuiltInPlace)
{
    bytes.data = Bytes({2, 0xA1, 0xA2, 1, 0xB1});
    Load(QStringLiteral("struct H\n{\nvarsize 1;\nbyte d[varsize];\nvarsize 1;\nbyte e[varsize];\n}\n"));
    EXPECT_FALSE(s.VarsizeValuesChanged(bytes));
    s.Tree().Expand(Find("e[1]"));
    bytes.data[3] = 2; // the second count, changed outside the editor
    EXPECT_TRUE(s.VarsizeValuesChanged(bytes));
    int64_t row = Find("e[0]");
    s.RebuildKeepingRows(bytes, &row, 1000, 1000);
    EXPECT_EQ(row, 4);
    EXPECT_EQ(s.Tree().Row(row).label, "e[0]");
    EXPECT_EQ(s.Tree().Row(3).label, "e[2]");
    EXPECT_EQ(s.Tree().RowCount(), 6);
    EXPECT_FALSE(s.VarsizeValuesChanged(bytes));
}
