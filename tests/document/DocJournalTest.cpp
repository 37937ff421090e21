// Undo and redo: records of the edits, applying them both ways, and what blocks them.
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

namespace {

struct Fixture
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    CQuorvaneDoc doc;

    explicit Fixture(const QByteArray& bytes) { EXPECT_TRUE(doc.OnOpenDocument(files.Write("j.bin", bytes))); }

    QByteArray Bytes()
    {
        QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
        return out;
    }
    // Overwrite one byte the way the typing code journals it.
    void OverwriteByte(uint32_t at, uint8_t value)
    {
        const uint8_t old = doc.ByteAt(at);
        ASSERT_EQ(doc.Record(false, at, &old, 1, 0), CQuorvaneDoc::RecordOutcome::Recorded);
        doc.OverwriteBytes(at, &value, 1);
        doc.SyncFileSize();
    }
    void InsertByte(uint32_t at, uint8_t value)
    {
        ASSERT_EQ(doc.Record(false, at, nullptr, 0, 1), CQuorvaneDoc::RecordOutcome::Recorded);
        doc.InsertBytes(at, &value, 1);
        doc.SyncFileSize();
    }
    void Delete(uint32_t at, int n)
    {
        QByteArray old = Bytes().mid(at, n);
        ASSERT_EQ(doc.Record(true, at, reinterpret_cast<const uint8_t*>(old.constData()), n, 0),
                  CQuorvaneDoc::RecordOutcome::Recorded);
        doc.RemoveBytes(at, static_cast<size_t>(n));
        doc.SyncFileSize();
    }
};

} // namespace

TEST(DocJournal, TwoDigitsOverAByteUndoOneAtATime)
{
    Fixture f(QByteArray(1, '\0'));
    f.OverwriteByte(0, 0x40); // "4"
    f.OverwriteByte(0, 0x41); // "1"
    EXPECT_EQ(f.doc.UndoJournal().size(), 2u);
    EXPECT_TRUE(f.doc.IsModified());
    auto r = f.doc.Undo();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->cursor, 0u);
    EXPECT_EQ(f.Bytes(), QByteArray(1, '\x40'));
    f.doc.Undo();
    EXPECT_EQ(f.Bytes(), QByteArray(1, '\0'));
    EXPECT_FALSE(f.doc.CanUndo());
    f.doc.Redo();
    f.doc.Redo();
    EXPECT_EQ(f.Bytes(), QByteArray(1, '\x41'));
}

TEST(DocJournal, InsertThenOverwriteUndoesToTheOriginal)
{
    Fixture f(QByteArray(1, '\0'));
    f.InsertByte(0, 0x40);    // "4" in insert mode: one new byte
    f.OverwriteByte(0, 0x41); // "1" completes it
    EXPECT_EQ(f.Bytes(), QByteArray("\x41\x00", 2));
    f.doc.Undo();
    f.doc.Undo();
    EXPECT_EQ(f.Bytes(), QByteArray(1, '\0'));
    EXPECT_EQ(f.doc.GetFileSize(), 1u);
    f.doc.Redo();
    f.doc.Redo();
    EXPECT_EQ(f.Bytes(), QByteArray("\x41\x00", 2));
}

TEST(DocJournal, DeletedSelectionComesBackAndGoesAgain)
{
    Fixture f("abcdefg");
    f.Delete(2, 3);
    EXPECT_EQ(f.Bytes(), "abfg");
    auto r = f.doc.Undo();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->cursor, 2u);
    EXPECT_EQ(f.Bytes(), "abcdefg");
    f.doc.Redo();
    EXPECT_EQ(f.Bytes(), "abfg");
    f.doc.Undo();
    // A new edit after an undo empties the redo journal.
    f.OverwriteByte(0, 'Z');
    EXPECT_FALSE(f.doc.CanRedo());
    EXPECT_FALSE(f.doc.Redo());
}

TEST(DocJournal, PasteOverBytesIsOneRecord)
{
    Fixture f("0123456789");
    // Paste of 4 bytes in overwrite mode replacing 2: insert true, count 2, remove 4.
    const QByteArray old = f.Bytes().mid(3, 2);
    ASSERT_EQ(f.doc.Record(true, 3, reinterpret_cast<const uint8_t*>(old.constData()), 2, 4),
              CQuorvaneDoc::RecordOutcome::Recorded);
    f.doc.RemoveBytes(3, 2);
    f.doc.InsertBytes(3, reinterpret_cast<const uint8_t*>("WXYZ"), 4);
    f.doc.SyncFileSize();
    EXPECT_EQ(f.Bytes(), "012WXYZ56789");
    f.doc.Undo();
    EXPECT_EQ(f.Bytes(), "0123456789");
    f.doc.Redo();
    EXPECT_EQ(f.Bytes(), "012WXYZ56789");
    f.doc.Undo();
    EXPECT_EQ(f.Bytes(), "0123456789");
}

TEST(DocJournal, LockedDocumentsKeepTheirJournals)
{
    Fixture f("ab");
    f.OverwriteByte(0, 'x');
    f.doc.ToggleEditLock();
    EXPECT_FALSE(f.doc.Undo());
    EXPECT_EQ(f.doc.UndoJournal().size(), 1u);
    EXPECT_EQ(f.Bytes(), "xb");
    f.doc.ToggleEditLock();
    EXPECT_TRUE(f.doc.Undo());

    // バッファクリア asks first; No keeps the journals.
    f.OverwriteByte(1, 'y');
    f.prompts.answers = {PromptAnswer::No};
    EXPECT_FALSE(f.doc.AskClearJournals());
    EXPECT_TRUE(f.doc.CanUndo());
    f.prompts.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(f.doc.AskClearJournals());
    EXPECT_FALSE(f.doc.CanUndo());
    EXPECT_FALSE(f.doc.CanRedo());
    EXPECT_EQ(f.prompts.asked.back().text, "Undo/Redoバッファを削除しますか？");
    EXPECT_EQ(f.prompts.asked.back().caption, "確認");
}
