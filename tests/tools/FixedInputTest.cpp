// Fixed-form input: address lists, data, and the writes with their undo steps, in memory and on disk.
#include "tools/FixedInput.h"

#include "document/FileGrowth.h"

#include "ToolsTestSupport.h"

#include <cerrno>

TEST(FixedInputTest, AddressListsAndData)
{
    std::vector<uint64_t> a;
    QString error;
    // An empty line in the middle and "0000" are address 0; trailing white space goes.
    ASSERT_TRUE(ParseFixedAddresses("10\r\n\r\n0000\r\n20 \t\r\nffffffffff\r\n\r\n", a, &error));
    EXPECT_EQ(a, (std::vector<uint64_t>{0x10, 0, 0, 0x20, 0xFFFFFFFFFFull}));
    ASSERT_TRUE(ParseFixedAddresses("", a, &error));
    EXPECT_EQ(a, (std::vector<uint64_t>{0})); // no address: address 0
    // A mistyped line is refused, naming the line, rather than written at a made-up address.
    EXPECT_FALSE(ParseFixedAddresses("10\r\n1O\r\n", a, &error));
    EXPECT_TRUE(a.empty());
    EXPECT_TRUE(error.contains("2")) << error.toStdString();
    EXPECT_FALSE(ParseFixedAddresses("000000000123456789ABCDEF01", a, &error)); // 17 digits

    EXPECT_EQ(FixedInputData(false, "41 42 43", CharCode::ShiftJis), QByteArray("ABC"));
    EXPECT_EQ(FixedInputData(false, "ABC", CharCode::ShiftJis), QByteArray("\xAB", 1)); // unpaired digit dropped
    EXPECT_EQ(FixedInputData(true, "AB", CharCode::UnicodeBE), QByteArray("\0A\0B", 4));
    EXPECT_EQ(FixedInputData(true, QStringLiteral("あ"), CharCode::ShiftJis), QByteArray("\x82\xA0"));
}

TEST(FixedInputTest, OverwriteAndInsertInMemoryWithOneUndoStepPerAddress)
{
    ToolDoc t(QByteArray(0x100, '\0'));
    const QByteArray abc("ABC");
    auto out = ApplyFixedInput(t.doc, {0x10, 0x20}, abc, false);
    EXPECT_EQ(out.written, 2u);
    QByteArray expect(0x100, '\0');
    expect.replace(0x10, 3, abc).replace(0x20, 3, abc);
    EXPECT_EQ(t.Bytes(), expect);
    EXPECT_EQ(t.doc.UndoJournal().size(), 2u);
    EXPECT_TRUE(t.doc.IsModified());

    // Two bytes before the end with four bytes: two replaced, the file grows by two.
    ApplyFixedInput(t.doc, {0xFE}, QByteArray("WXYZ"), false);
    EXPECT_EQ(t.doc.GetFileSize(), 0x102u);
    EXPECT_EQ(t.Bytes().right(4), "WXYZ");
    // Past the end in overwrite mode: zeros up to the address, then the data.
    ApplyFixedInput(t.doc, {0x110}, QByteArray("Q"), false);
    EXPECT_EQ(t.doc.GetFileSize(), 0x111u);
    EXPECT_EQ(t.Bytes().mid(0x102), QByteArray(14, '\0') + "Q");

    // Undo: newest address first, one step each, back to the start.
    t.doc.Undo();
    EXPECT_EQ(t.doc.GetFileSize(), 0x102u);
    t.doc.Undo();
    EXPECT_EQ(t.Bytes(), expect);
    t.doc.Undo();
    t.doc.Undo();
    EXPECT_EQ(t.Bytes(), QByteArray(0x100, '\0'));

    // Insert mode: the file grows by the data at every address; beyond the end zero-filled.
    out = ApplyFixedInput(t.doc, {0, 0x105}, QByteArray("\xAA\xBB", 2), true);
    EXPECT_EQ(out.written, 2u);
    EXPECT_EQ(t.doc.GetFileSize(), 0x107u);
    EXPECT_EQ(t.Bytes().left(3), QByteArray("\xAA\xBB\0", 3));
    EXPECT_EQ(t.Bytes().mid(0x102), QByteArray("\0\0\0\xAA\xBB", 5));
    t.doc.Undo();
    t.doc.Undo();
    EXPECT_EQ(t.Bytes(), QByteArray(0x100, '\0'));
    EXPECT_TRUE(t.doc.CanRedo());
    ApplyFixedInput(t.doc, {1}, QByteArray("z"), false);
    EXPECT_FALSE(t.doc.CanRedo()); // the redo journal empties
}

TEST(FixedInputTest, RefusedWhileLockedAndWrittenOnDiskInDirectEdit)
{
    ToolDoc t(QByteArray(16, '.'));
    t.doc.ToggleEditLock();
    auto out = ApplyFixedInput(t.doc, {0}, QByteArray("x"), false);
    EXPECT_TRUE(out.stopped);
    EXPECT_EQ(t.Bytes(), QByteArray(16, '.'));
    EXPECT_FALSE(t.prompts.asked.empty());

    ToolDoc d(QByteArray(16, '.'), true);
    out = ApplyFixedInput(d.doc, {2, 0x12}, QByteArray("ab"), false);
    EXPECT_EQ(out.written, 2u) << d.prompts.LastText().toStdString();
    EXPECT_EQ(d.Bytes(), QByteArray("..ab............\0\0ab", 20));
    EXPECT_FALSE(d.doc.CanUndo()); // direct edit keeps no undo
    ApplyFixedInput(d.doc, {0}, QByteArray("I"), true);
    EXPECT_EQ(d.Bytes().left(4), "I..a");
}

TEST(FixedInputTest, DirectEditWithoutRoomToGrowLeavesTheBytesInsideAsTheyWere)
{
    ToolDoc d(QByteArray(16, '.'), true);
    g_reserveFileLengthHook = [](uint64_t) { return ENOSPC; };
    const auto out = ApplyFixedInput(d.doc, {14}, QByteArray("abcd"), false); // "ab" inside, "cd" past the end
    g_reserveFileLengthHook = nullptr;
    EXPECT_EQ(out.written, 0u);
    EXPECT_EQ(d.Bytes(), QByteArray(16, '.'));
}
