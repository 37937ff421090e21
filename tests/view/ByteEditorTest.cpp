// Typing, deleting and pasting through the editing rules, in memory (with undo) and on disk.
#include "view/ByteEditor.h"

#include "document/FileGrowth.h"
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

struct Editing
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    CQuorvaneDoc doc;
    CByteEditor editor{doc};
    EditCaret caret;
    QString path;

    explicit Editing(const QByteArray& bytes, bool direct = false)
    {
        path = files.Write("e.bin", bytes);
        EXPECT_TRUE(doc.OnOpenDocument(path, direct));
        if (direct) {
            doc.ToggleEditLock(); // direct edit documents open locked
            doc.LoadWindow(0, 20);
        }
    }
    QByteArray Bytes()
    {
        if (doc.IsDirectEdit())
            return TempFiles::Read(path);
        QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
        return out;
    }
    void Hex(const char* digits)
    {
        for (const char* p = digits; *p; ++p)
            ASSERT_TRUE(editor.TypeInput(caret, static_cast<uint32_t>(QByteArray(1, *p).toInt(nullptr, 16))));
    }
    void Char(char16_t c)
    {
        caret.inCharColumn = true;
        ASSERT_TRUE(editor.TypeInput(caret, c));
        caret.lowNibble = !caret.lowNibble; // the character handler flips it back
    }
    void UndoAll()
    {
        while (doc.CanUndo())
            doc.Undo();
    }
    void RedoAll()
    {
        while (doc.CanRedo())
            doc.Redo();
    }
};

} // namespace

TEST(ByteEditor, HexDigitsInOverwriteAndInsertMode)
{
    Editing e(QByteArray("\x00\x11", 2));
    e.Hex("4");
    EXPECT_TRUE(e.caret.lowNibble);
    EXPECT_EQ(e.Bytes(), QByteArray("\x40\x11", 2));
    e.Hex("1");
    EXPECT_EQ(e.caret.cursor, 1u);
    EXPECT_EQ(e.Bytes(), QByteArray("\x41\x11", 2));
    EXPECT_EQ(e.doc.UndoJournal().size(), 2u);

    e.caret.insertMode = true;
    e.Hex("7");
    EXPECT_EQ(e.Bytes(), QByteArray("\x41\x70\x11", 3));
    EXPECT_EQ(e.caret.cursor, 1u);
    e.Hex("F");
    EXPECT_EQ(e.Bytes(), QByteArray("\x41\x7F\x11", 3));
    e.UndoAll();
    EXPECT_EQ(e.Bytes(), QByteArray("\x00\x11", 2));
    e.RedoAll();
    EXPECT_EQ(e.Bytes(), QByteArray("\x41\x7F\x11", 3));
}

TEST(ByteEditor, DigitOnTheEndOfFileCellAppends)
{
    Editing e("ab");
    e.caret.cursor = 2; // overwrite mode on the end-of-file cell
    e.Hex("9");
    EXPECT_EQ(e.Bytes(), QByteArray("ab\x90", 3));
    e.Hex("C");
    EXPECT_EQ(e.Bytes(), QByteArray("ab\x9C", 3));
    EXPECT_EQ(e.caret.cursor, 3u);
}

TEST(ByteEditor, DigitOverASelectionIsOneUndo)
{
    Editing e("012345");
    e.caret.selStart = 1;
    e.caret.selEnd = 4;
    e.caret.cursor = 4;
    e.Hex("A");
    EXPECT_EQ(e.Bytes(), QByteArray("0\xA0" "5", 3));
    EXPECT_EQ(e.caret.cursor, 1u);
    EXPECT_FALSE(e.caret.HasSelection());
    ASSERT_EQ(e.doc.UndoJournal().size(), 1u);
    e.doc.Undo();
    EXPECT_EQ(e.Bytes(), "012345");
    e.doc.Redo();
    EXPECT_EQ(e.Bytes(), QByteArray("0\xA0" "5", 3));
}

TEST(ByteEditor, CharactersInTheTextColumn)
{
    Editing e("xxxx");
    e.caret.charCode = CharCode::Unicode;
    e.Char(u'A'); // one byte below 0x100 in every code
    EXPECT_EQ(e.Bytes(), "Axxx");
    EXPECT_FALSE(e.caret.lowNibble);
    e.caret.charCode = CharCode::UnicodeBE;
    e.Char(u'\u3042');
    EXPECT_EQ(e.Bytes(), QByteArray("A\x30\x42x", 4));
    EXPECT_EQ(e.caret.cursor, 3u);
    e.caret.charCode = CharCode::ShiftJis;
    e.caret.insertMode = true;
    e.Char(u'\u3042'); // あ is 82 A0 in Shift-JIS
    EXPECT_EQ(e.Bytes(), QByteArray("A\x30\x42\x82\xA0x", 6));
    e.UndoAll();
    EXPECT_EQ(e.Bytes(), "xxxx");
}

TEST(ByteEditor, CharacterOverTheEndOfTheFileUndoesAndRedoesExactly)
{
    Editing e("abc");
    e.caret.cursor = 2;
    e.caret.charCode = CharCode::Utf8;
    e.Char(u'\u3042'); // E3 81 82: one byte overwritten, two appended
    EXPECT_EQ(e.Bytes(), QByteArray("ab\xE3\x81\x82", 5));
    EXPECT_EQ(e.caret.cursor, 5u);
    ASSERT_EQ(e.doc.UndoJournal().size(), 1u);
    e.doc.Undo();
    EXPECT_EQ(e.Bytes(), "abc");
    e.doc.Redo();
    EXPECT_EQ(e.Bytes(), QByteArray("ab\xE3\x81\x82", 5));
    e.doc.Undo();
    EXPECT_EQ(e.Bytes(), "abc");
}

TEST(ByteEditor, DeleteAndBackspace)
{
    Editing e("abcdef");
    e.caret.cursor = 6; // Delete on the end-of-file cell takes the last byte
    ASSERT_TRUE(e.editor.DeleteKey(e.caret));
    EXPECT_EQ(e.Bytes(), "abcde");
    e.caret.cursor = 4;
    e.caret.selStart = 1;
    e.caret.selEnd = 2; // Backspace with a selection deletes the selection
    ASSERT_TRUE(e.editor.BackspaceKey(e.caret));
    EXPECT_EQ(e.Bytes(), "ade");
    EXPECT_EQ(e.caret.cursor, 1u);
    e.caret.cursor = 0;
    EXPECT_FALSE(e.editor.BackspaceKey(e.caret));
    e.UndoAll();
    EXPECT_EQ(e.Bytes(), "abcdef");

    // Locked: nothing changes, Backspace still moves back.
    e.doc.ToggleEditLock();
    e.caret.cursor = 3;
    EXPECT_FALSE(e.editor.BackspaceKey(e.caret));
    EXPECT_EQ(e.caret.cursor, 2u);
    EXPECT_FALSE(e.editor.TypeInput(e.caret, 1));
    EXPECT_EQ(e.Bytes(), "abcdef");

    Editing empty("");
    EXPECT_FALSE(empty.editor.DeleteKey(empty.caret));
}

TEST(ByteEditor, PasteInBothModes)
{
    Editing e("0123456789");
    const QByteArray four = "WXYZ";
    auto paste = [&](const QByteArray& b) {
        return e.editor.PasteBytes(e.caret, reinterpret_cast<const uint8_t*>(b.constData()), static_cast<size_t>(b.size()));
    };
    // Overwrite, no selection, two bytes before the end: two overwritten, two appended.
    e.caret.cursor = 8;
    ASSERT_TRUE(paste(four));
    EXPECT_EQ(e.Bytes(), "01234567WXYZ");
    EXPECT_EQ(e.caret.cursor, 12u);
    // Insert mode with a selection: the selected bytes stay behind the pasted ones.
    e.caret.insertMode = true;
    e.caret.selStart = 2;
    e.caret.selEnd = 3;
    ASSERT_TRUE(paste("ab"));
    EXPECT_EQ(e.Bytes(), "01ab234567WXYZ");
    // Overwrite over a selection: replaced whatever the lengths.
    e.caret.insertMode = false;
    e.caret.selStart = 0;
    e.caret.selEnd = 5;
    ASSERT_TRUE(paste("!"));
    EXPECT_EQ(e.Bytes(), "!4567WXYZ");
    e.UndoAll();
    EXPECT_EQ(e.Bytes(), "0123456789");
    e.RedoAll();
    EXPECT_EQ(e.Bytes(), "!4567WXYZ");
}

TEST(ByteEditor, CopyRangeAndHexText)
{
    Editing e(QByteArray("\x0A\xFF\x00\x41", 4));
    e.caret.cursor = 1;
    EXPECT_EQ(e.editor.ReadRange(e.caret).value(), QByteArray("\xFF", 1));
    e.caret.cursor = 4; // the end-of-file cell names no byte: nothing is read past the end
    EXPECT_FALSE(e.editor.ReadRange(e.caret).has_value());
    e.caret.selStart = 0;
    e.caret.selEnd = 1;
    EXPECT_EQ(BytesToHexText(e.editor.ReadRange(e.caret).value()), "0AFF");

    EXPECT_EQ(HexTextToBytes("0AFF", 1), QByteArray("\x0A\xFF", 2));
    // A blank as the high digit gives F; the lone last digit is dropped.
    EXPECT_EQ(HexTextToBytes("41 42", 1), QByteArray("\x41\xF4", 2));
    // Lower case counts as no digit: as the low digit it makes FF.
    EXPECT_EQ(HexTextToBytes("4a", 1), QByteArray("\xFF", 1));
    EXPECT_EQ(HexTextToBytes("", 1), QByteArray());
}

TEST(ByteEditor, DirectEditModeWritesTheFile)
{
    Editing e("abcdef", true);
    e.Hex("3");
    e.Hex("1");
    EXPECT_EQ(e.Bytes(), "1bcdef");
    EXPECT_EQ(e.caret.cursor, 1u);
    e.caret.insertMode = true;
    e.Hex("2");
    e.Hex("2");
    EXPECT_EQ(e.Bytes(), "1\x22" "bcdef");
    e.caret.insertMode = false;
    e.caret.cursor = 6;
    e.caret.charCode = CharCode::Utf8;
    e.Char(u'\u3042');
    EXPECT_EQ(e.Bytes(), "1\x22" "bcde\xE3\x81\x82");
    e.caret.selStart = 1;
    e.caret.selEnd = 2;
    ASSERT_TRUE(e.editor.DeleteBytes(e.caret));
    EXPECT_EQ(e.Bytes(), "1cde\xE3\x81\x82");
    e.caret.cursor = 0;
    ASSERT_TRUE(e.editor.PasteBytes(e.caret, reinterpret_cast<const uint8_t*>("XY"), 2));
    EXPECT_EQ(e.Bytes(), "XYde\xE3\x81\x82");
    EXPECT_FALSE(e.doc.CanUndo()); // direct edits are not journaled
    EXPECT_EQ(e.doc.ByteAt(0), 'X');
}

TEST(ByteEditor, DirectEditCharacterWithoutRoomToGrowWritesNothing)
{
    // A three-byte character typed over the last byte: one byte in place, two appended. Before,
    // the byte in place was written and then the growth failed.
    Editing e("abcdef", true);
    e.caret.cursor = 5;
    e.caret.charCode = CharCode::Utf8;
    e.caret.inCharColumn = true;
    g_reserveFileLengthHook = [](uint64_t) { return ENOSPC; };
    const bool typed = e.editor.TypeInput(e.caret, u'\u3042');
    g_reserveFileLengthHook = nullptr;
    EXPECT_FALSE(typed);
    EXPECT_EQ(e.Bytes(), "abcdef");
    EXPECT_EQ(e.caret.cursor, 5u);
    EXPECT_EQ(e.prompts.asked.size(), 1u);
}

TEST(ByteEditor, DirectEditDigitsKeepTheOtherNibbleOffScreen)
{
    // The cursor lies outside the rows held in memory: the nibble it keeps comes from the file.
    QByteArray bytes(4096, '\x5A');
    Editing e(bytes, true);
    e.doc.LoadWindow(0, 4); // rows 0-2 in memory
    e.caret.cursor = 3000;
    e.Hex("1");
    EXPECT_EQ(static_cast<uint8_t>(e.Bytes()[3000]), 0x1A);
    e.Hex("7");
    EXPECT_EQ(static_cast<uint8_t>(e.Bytes()[3000]), 0x17);
    EXPECT_EQ(e.Bytes().size(), 4096);
}

TEST(ByteEditor, CopiesThatPlainlyDoNotFitInMemoryAreRefusedBeforeAnythingIsBuilt)
{
    const qsizetype n = qsizetype(16) << 20;
    Editing e(QByteArray(n, 'm'));
    e.doc.WaitForLoader();
    e.caret.selStart = 0;
    e.caret.selEnd = uint64_t(n - 1);
    CByteEditor::s_availableMemoryHook = [n] { return int64_t(n) * 4; };
    EXPECT_FALSE(e.editor.ReadRange(e.caret, 8).has_value());
    ASSERT_EQ(e.prompts.asked.size(), 1u);
    EXPECT_EQ(e.prompts.LastText(), QStringLiteral("クリップボードへの保存に失敗しました。"));
    // Enough room for every copy, or a small selection (never checked): the bytes come back.
    const auto fits = e.editor.ReadRange(e.caret, 4);
    CByteEditor::s_availableMemoryHook = [] { return int64_t(0); };
    e.caret.selEnd = 99;
    const auto small = e.editor.ReadRange(e.caret, 8);
    CByteEditor::s_availableMemoryHook = nullptr;
    ASSERT_TRUE(fits.has_value());
    EXPECT_EQ(fits->size(), n);
    ASSERT_TRUE(small.has_value());
    EXPECT_EQ(small->size(), 100);
    EXPECT_EQ(e.prompts.asked.size(), 1u);
}
