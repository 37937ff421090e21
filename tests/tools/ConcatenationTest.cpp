// File concatenation: positions, insert and overwrite, one undo step, refusals.
#include "tools/Concatenation.h"

#include "document/FileGrowth.h"

#include "ToolsTestSupport.h"

#include <cerrno>

TEST(ConcatenationTest, InsertAndOverwriteAtEveryPositionUndoInOneStep)
{
    ToolDoc t(QByteArray("0123456789"));
    const QString three = t.files.Write("three.bin", "abc");
    const QString four = t.files.Write("four.bin", "WXYZ");

    EXPECT_TRUE(ConcatenateFile(t.doc, three, ConcatPosition::End, ConcatAction::Insert, 0));
    EXPECT_EQ(t.Bytes(), "0123456789abc");
    EXPECT_TRUE(t.doc.IsModified());
    t.doc.Undo();
    EXPECT_EQ(t.Bytes(), "0123456789");

    EXPECT_TRUE(ConcatenateFile(t.doc, four, ConcatPosition::Start, ConcatAction::Overwrite, 7));
    EXPECT_EQ(t.Bytes(), "WXYZ456789");
    t.doc.Undo();
    EXPECT_EQ(t.Bytes(), "0123456789");

    // At the cursor two bytes before the end: two replaced, two appended.
    EXPECT_TRUE(ConcatenateFile(t.doc, four, ConcatPosition::Cursor, ConcatAction::Overwrite, 8));
    EXPECT_EQ(t.Bytes(), "01234567WXYZ");
    t.doc.Undo();
    // On the last byte: exactly that byte replaced by a one-byte file.
    const QString one = t.files.Write("one.bin", "!");
    EXPECT_TRUE(ConcatenateFile(t.doc, one, ConcatPosition::Cursor, ConcatAction::Overwrite, 9));
    EXPECT_EQ(t.Bytes(), "012345678!");
    t.doc.Undo();
    // Insert at the cursor; overwrite at the end is an append.
    EXPECT_TRUE(ConcatenateFile(t.doc, three, ConcatPosition::Cursor, ConcatAction::Insert, 5));
    EXPECT_EQ(t.Bytes(), "01234abc56789");
    t.doc.Undo();
    EXPECT_TRUE(ConcatenateFile(t.doc, three, ConcatPosition::End, ConcatAction::Overwrite, 0));
    EXPECT_EQ(t.Bytes(), "0123456789abc");
    t.doc.Undo();
    EXPECT_EQ(t.Bytes(), "0123456789");
    EXPECT_TRUE(t.prompts.asked.empty());
}

TEST(ConcatenationTest, RefusalsChangeNothing)
{
    ToolDoc empty{QByteArray()};
    const QString four = empty.files.Write("four.bin", "WXYZ");
    EXPECT_FALSE(ConcatenateFile(empty.doc, four, ConcatPosition::Start, ConcatAction::Overwrite, 0));
    EXPECT_EQ(empty.doc.GetFileSize(), 0u);

    ToolDoc t(QByteArray("0123"));
    EXPECT_FALSE(ConcatenateFile(t.doc, t.files.Path("missing.bin"), ConcatPosition::End, ConcatAction::Insert, 0));
    ASSERT_EQ(t.prompts.asked.size(), 1u);
    EXPECT_EQ(t.prompts.asked[0].caption, QStringLiteral("エラー"));
    // A source of 4 GiB (sparse) is refused, never cut to its low 32 bits.
    const QString huge = t.files.Sparse("huge.bin", 0x100000001ull, "T");
    EXPECT_FALSE(ConcatenateFile(t.doc, huge, ConcatPosition::End, ConcatAction::Insert, 0));
    EXPECT_EQ(t.prompts.asked.size(), 2u);
    EXPECT_EQ(t.Bytes(), "0123");
    EXPECT_FALSE(t.doc.IsModified());

    // Direct edit: the file itself changes, no undo.
    ToolDoc d(QByteArray("0123456789"), true);
    const QString abc = d.files.Write("abc.bin", "abc");
    EXPECT_TRUE(ConcatenateFile(d.doc, abc, ConcatPosition::Cursor, ConcatAction::Overwrite, 8));
    EXPECT_EQ(d.Bytes(), "01234567abc");
    EXPECT_TRUE(ConcatenateFile(d.doc, abc, ConcatPosition::Start, ConcatAction::Insert, 0));
    EXPECT_EQ(d.Bytes(), "abc01234567abc");
    EXPECT_EQ(d.doc.GetFileSize(), 14u);
}

TEST(ConcatenationTest, DirectEditWithoutRoomToGrowLeavesTheFileAsItWas)
{
    // Overwriting near the end writes over two bytes and appends two more. Before, the two bytes
    // were written first, and the failing growth left the file half changed.
    ToolDoc d(QByteArray("0123456789"), true);
    const QString four = d.files.Write("four.bin", "WXYZ");
    g_reserveFileLengthHook = [](uint64_t) { return ENOSPC; };
    const bool changed = ConcatenateFile(d.doc, four, ConcatPosition::Cursor, ConcatAction::Overwrite, 8);
    g_reserveFileLengthHook = nullptr;
    EXPECT_FALSE(changed);
    EXPECT_EQ(d.Bytes(), "0123456789");
    EXPECT_EQ(d.prompts.asked.size(), 1u);
}
