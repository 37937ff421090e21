// Structure edits in a document: one undo record each, undone and redone with the typed edits
// around them; the store's change announced first; locked and direct-edit documents.
#include "structs/DocStructBytes.h"

#include "document/QuorvaneDoc.h"
#include "structs/StructSession.h"
#include "view/ByteEditor.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct DocEdits : ::testing::Test
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    CQuorvaneDoc doc;
    CByteEditor editor{doc};
    EditCaret caret;
    QString path;

    void Open(const QByteArray& bytes, bool direct = false)
    {
        path = files.Write("s.bin", bytes);
        ASSERT_TRUE(doc.OnOpenDocument(path, direct));
        doc.WaitForLoader();
        if (direct) {
            doc.ToggleEditLock(); // direct edit documents open locked
            doc.LoadWindow(0, 20);
        }
    }
    QByteArray Bytes()
    {
        if (doc.IsDirectEdit())
            return TempFiles::Read(path);
        QByteArray out(qsizetype(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), size_t(out.size()));
        return out;
    }
    static QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }
    // Writes `text` into the level-0 field `label` of `def` laid at `base`.
    CStructValues::Commit Edit(const char* def, uint64_t base, const QString& label, const QString& text)
    {
        DocStructBytes bytes(&doc);
        CStructSession session;
        session.SetBase(base);
        EXPECT_TRUE(session.LoadDefinitionFile(files.Write("e.def", def), bytes));
        session.ChooseStructure(0);
        for (int64_t i = 0; i < session.Tree().RowCount(); ++i)
            if (session.Tree().Row(i).label == label)
                return session.CommitValueEdit(i, text, bytes);
        ADD_FAILURE() << "no field " << label.toStdString();
        return CStructValues::Commit::Refused;
    }
};

const char kDef[] = "struct S\n{\nbyte a;\nWORD w;\ndword far;\n}\n";

} // namespace

TEST_F(DocEdits, AnEditPastTheEndIsOneRecordAndOlderRecordsStayValid)
{
    Open(Hex("10203040"));
    // Typed "AB" in insert mode at 0: an insertion, then the low digit over the new byte.
    caret.insertMode = true;
    ASSERT_TRUE(editor.TypeInput(caret, 0xA));
    ASSERT_TRUE(editor.TypeInput(caret, 0xB));
    ASSERT_EQ(Bytes(), Hex("ab10203040"));
    ASSERT_EQ(doc.UndoJournal().size(), 2u);

    // The structure at 3: "far" is at 6, one byte past the end of the 5-byte file.
    ASSERT_EQ(Edit(kDef, 3, "far", "11223344"), CStructValues::Commit::Written);
    EXPECT_EQ(Bytes(), Hex("ab102030400044332211"));
    EXPECT_EQ(doc.UndoJournal().size(), 3u);
    EXPECT_TRUE(doc.IsModified());

    // Each undo takes back one edit, newest first; the typed bytes come back at their addresses.
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Bytes(), Hex("ab10203040"));
    EXPECT_EQ(doc.GetFileSize(), 5u);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Bytes(), Hex("a010203040"));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Bytes(), Hex("10203040"));
    EXPECT_FALSE(doc.CanUndo());
    // And redo brings the whole history back.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(Bytes(), Hex("ab102030400044332211"));

    // A field across the end: the bytes before the end are overwritten, the rest appended, and one
    // undo restores both.
    ASSERT_EQ(Edit(kDef, 8, "w", "BEEF"), CStructValues::Commit::Written);
    EXPECT_EQ(Bytes(), Hex("ab1020304000443322beef"));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Bytes(), Hex("ab102030400044332211"));
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(Bytes(), Hex("ab1020304000443322beef"));
    // Inside the file: a plain overwrite.
    ASSERT_EQ(Edit(kDef, 0, "w", "0102"), CStructValues::Commit::Written);
    EXPECT_EQ(Bytes().left(3), Hex("ab0102"));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Bytes(), Hex("ab1020304000443322beef"));
}

TEST_F(DocEdits, TheChangeIsAnnouncedBeforeTheStoreGrowsAndLockedOrDirectDocumentsMakeNoRecord)
{
    Open(Hex("0102"));
    std::vector<uint64_t> sizesSeen;
    QObject listening; // goes before sizesSeen does
    QObject::connect(&doc, &CQuorvaneDoc::bytesAboutToChange, &listening, [&] { sizesSeen.push_back(doc.StoreSize()); });
    ASSERT_EQ(Edit(kDef, 0, "far", "01020304"), CStructValues::Commit::Written);
    // The view's workers stop while the store still has its old size.
    ASSERT_FALSE(sizesSeen.empty());
    EXPECT_EQ(sizesSeen.front(), 2u);
    EXPECT_EQ(doc.GetFileSize(), 7u);

    // Edit prohibited: nothing is written and no record is made.
    doc.ToggleEditLock();
    const QByteArray before = Bytes();
    EXPECT_EQ(Edit(kDef, 0, "a", "FF"), CStructValues::Commit::Failed);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(doc.UndoJournal().size(), 1u);
}

TEST_F(DocEdits, DirectEditWritesTheFileWithoutRecords)
{
    Open(Hex("0102"), true);
    ASSERT_EQ(Edit(kDef, 0, "far", "01020304"), CStructValues::Commit::Written);
    EXPECT_EQ(Bytes(), Hex("01020004030201"));
    EXPECT_FALSE(doc.CanUndo());
}

TEST_F(DocEdits, AVanishedDirectEditFileIsReportedOnceAndAfterTheCurrentEvent)
{
    Open(Hex("0102030405"), true);
    ASSERT_TRUE(QFile::remove(path));
    DocStructBytes bytes(&doc);
    bytes.ReportAfterEvent(true);
    // Reads while a list paints: no box opens inside them, the values read as zeros.
    EXPECT_EQ(bytes.ReadValue(0, 2, false), 0u);
    EXPECT_EQ(bytes.ReadValue(2, 2, false), 0u);
    EXPECT_TRUE(prompts.asked.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "エラー");
    bytes.ReadValue(0, 4, false);
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.asked.size(), 1u);
}
