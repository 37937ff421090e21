// Editing through the hex view with real key events: digits, characters, Insert, Delete,
// Backspace, the clipboard commands, undo and redo, the edit lock, direct edit mode.
#include "view/QuorvaneView.h"

#include "RecordingFrame.h"
#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"
#include "app/CommandIds.h"
#include "app/Messages.h"
#include "document/QuorvaneDoc.h"
#include "view/ClipboardBytes.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct EditFixture
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    QString path;
    CQuorvaneDoc doc;
    std::unique_ptr<RecordingFrame> frame;
    CQuorvaneView* view = nullptr;

    explicit EditFixture(const QByteArray& bytes, bool direct = false)
    {
        settings->WriteDefaultGroup();
        settings->SetGroupFontName(QStringLiteral("*.*"), QStringLiteral("DejaVu Sans Mono"));
        path = files.Write("edit.bin", bytes);
        EXPECT_TRUE(doc.OnOpenDocument(path, direct));
        frame = std::make_unique<RecordingFrame>();
        auto* layout = new QVBoxLayout(frame.get());
        layout->setContentsMargins(0, 0, 0, 0);
        view = new CQuorvaneView(&doc, frame.get());
        layout->addWidget(view);
        view->OnInitialUpdate();
        frame->resize(900, 400);
        frame->show();
        view->setFocus();
        QApplication::processEvents();
    }
    ~EditFixture()
    {
        frame.reset();
        doc.OnCloseDocument();
    }

    QByteArray Bytes()
    {
        if (doc.IsDirectEdit())
            return TempFiles::Read(path);
        QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
        return out;
    }
    void Keys(const char* text) { QTest::keyClicks(view, QString::fromLatin1(text)); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(view, key, mods); }
    // Clicks the first byte's cell in the text column, which puts the caret there.
    void ToTextColumn()
    {
        const CViewLayout& l = view->Layout();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(l.CharCellX(0) + 1, l.TextY(0) + 2));
        ASSERT_TRUE(view->InCharColumn());
    }
};

} // namespace

TEST(ViewEditing, HexDigitsOverwriteThenInsertAndUndo)
{
    EditFixture f(QByteArray("\x00\x11\x22", 3));
    f.Keys("41");
    EXPECT_EQ(f.Bytes(), QByteArray("\x41\x11\x22", 3));
    EXPECT_EQ(f.view->Cursor(), 1u);
    f.Key(Qt::Key_Insert);
    EXPECT_TRUE(f.view->IsInsertMode());
    EXPECT_TRUE(f.frame->log.contains(QStringLiteral("status3 挿入")));
    f.Keys("7");
    EXPECT_TRUE(f.view->LowNibble());
    // The keypad's operator keys are hex digits: "-" is C.
    QTest::keyClick(f.view, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(f.Bytes(), QByteArray("\x41\x7C\x11\x22", 4));
    EXPECT_EQ(f.view->Cursor(), 2u);
    // A single digit followed by a movement leaves 0xV0.
    f.Keys("9");
    f.Key(Qt::Key_Right);
    EXPECT_FALSE(f.view->LowNibble());
    EXPECT_EQ(f.Bytes(), QByteArray("\x41\x7C\x90\x11\x22", 5));
    f.Key(Qt::Key_Insert);
    EXPECT_TRUE(f.frame->log.contains(QStringLiteral("status3 上書")));

    f.view->OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(f.Bytes(), QByteArray("\x41\x7C\x11\x22", 4));
    EXPECT_EQ(f.view->Cursor(), 2u);
    while (f.doc.CanUndo())
        f.view->OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(f.Bytes(), QByteArray("\x00\x11\x22", 3));
    CmdUI ui;
    ASSERT_TRUE(f.view->OnUpdateCommand(ID_EDIT_UNDO, ui));
    EXPECT_FALSE(ui.enabled);
    ASSERT_TRUE(f.view->OnUpdateCommand(ID_EDIT_REDO, ui));
    EXPECT_TRUE(ui.enabled);
    while (f.doc.CanRedo())
        f.view->OnCommand(ID_EDIT_REDO);
    EXPECT_EQ(f.Bytes(), QByteArray("\x41\x7C\x90\x11\x22", 5));
}

TEST(ViewEditing, CharactersAndInputMethodInTheTextColumn)
{
    EditFixture f("........");
    f.ToTextColumn();
    f.Keys("Hi");
    EXPECT_EQ(f.Bytes(), "Hi......");
    // Ctrl+letter and Tab type nothing.
    f.Key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(f.Bytes(), "Hi......");
    // Japanese text composed by an input method arrives as committed characters (Shift-JIS here).
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("あい"));
    QApplication::sendEvent(f.view, &commit);
    EXPECT_EQ(f.Bytes(), QByteArray("Hi\x82\xA0\x82\xA2..", 8));
    EXPECT_EQ(f.view->Cursor(), 6u);
    EXPECT_FALSE(f.view->LowNibble());
    EXPECT_TRUE(f.view->inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_TRUE(f.view->inputMethodQuery(Qt::ImCursorRectangle).toRectF().isValid());
    // In the hex column the input method is off and characters do not type.
    f.Key(Qt::Key_Home);
    QTest::mouseClick(f.view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(f.view->Layout().HexCellX(0) + 2, f.view->Layout().TextY(0) + 2));
    EXPECT_FALSE(f.view->InCharColumn());
    EXPECT_FALSE(f.view->inputMethodQuery(Qt::ImEnabled).toBool());
    QApplication::sendEvent(f.view, &commit);
    EXPECT_EQ(f.Bytes(), QByteArray("Hi\x82\xA0\x82\xA2..", 8));
}

TEST(ViewEditing, DeleteBackspaceAndTheLock)
{
    EditFixture f("abcdef");
    f.Key(Qt::Key_End); // the end-of-file cell: Delete takes the last byte
    f.Key(Qt::Key_Delete);
    EXPECT_EQ(f.Bytes(), "abcde");
    f.Key(Qt::Key_Left);
    f.Key(Qt::Key_Left, Qt::ShiftModifier);
    f.Key(Qt::Key_Backspace); // with a selection: the selection goes
    EXPECT_EQ(f.Bytes(), "abce");
    EXPECT_EQ(f.view->Cursor(), 3u);
    // 編集禁止: typing and deleting change nothing, Backspace still moves back.
    f.doc.ToggleEditLock();
    f.Keys("12");
    f.Key(Qt::Key_Backspace);
    f.Key(Qt::Key_Delete);
    EXPECT_EQ(f.Bytes(), "abce");
    EXPECT_EQ(f.view->Cursor(), 2u);
    f.view->OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(f.Bytes(), "abce");
    CmdUI ui;
    f.view->OnUpdateCommand(ID_EDIT_PASTE, ui);
    EXPECT_FALSE(ui.enabled);
}

TEST(ViewEditing, ClipboardRoundTripsRawBytesAndHexText)
{
    EditFixture f(QByteArray("\x0A\xFF\x00\x41\x42", 5));
    // Copy with no selection takes exactly the byte under the caret.
    f.Key(Qt::Key_Right);
    f.view->OnCommand(ID_EDIT_COPY);
    std::optional<ClipBlock> block = CClipboardBytes::ReadSystem();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->bytes, QByteArray("\xFF", 1));
    EXPECT_EQ(block->format, ClipFormat::OemText);

    // A selection with a zero byte inside survives the clipboard unchanged.
    f.Key(Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.view->OnCommand(ID_EDIT_COPY);
    EXPECT_FALSE(f.view->SelStart() != CQuorvaneView::kNone);
    EXPECT_EQ(f.view->Cursor(), 0u);
    f.Key(Qt::Key_End);
    f.view->OnCommand(ID_EDIT_PASTE); // overwrite mode at the end: appended
    EXPECT_EQ(f.Bytes(), QByteArray("\x0A\xFF\x00\x41\x42\x0A\xFF\x00", 8));

    // 文字としてコピー gives upper-case hex; 数値として貼り付け writes it back as bytes.
    f.Key(Qt::Key_Home);
    f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.view->OnCommand(ID_COPY_AS_TEXT);
    EXPECT_EQ(QApplication::clipboard()->text(), "0AFF");
    f.Key(Qt::Key_Right);
    f.Key(Qt::Key_Right);
    f.view->OnCommand(ID_PASTE_AS_NUMBER);
    EXPECT_EQ(f.Bytes(), QByteArray("\x0A\xFF\x0A\xFF\x42\x0A\xFF\x00", 8));

    // Text from another program: "41 42" pastes 0x41 0xF4.
    QApplication::clipboard()->setText(QStringLiteral("41 42"));
    f.Key(Qt::Key_Home);
    f.view->OnCommand(ID_PASTE_AS_NUMBER);
    EXPECT_EQ(f.Bytes().left(2), QByteArray("\x41\xF4", 2));

    // Cut with no selection removes exactly that byte; undo brings it back.
    f.Key(Qt::Key_Home);
    f.view->OnCommand(ID_EDIT_CUT);
    EXPECT_EQ(f.Bytes().size(), 7);
    EXPECT_EQ(CClipboardBytes::ReadSystem()->bytes, QByteArray("\x41", 1));
    f.view->OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(f.Bytes().left(2), QByteArray("\x41\xF4", 2));
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(ViewEditing, ACopyTooLargeForMemoryFailsWithAMessageAndKeepsTheWindow)
{
    // A selection needs several copies of itself on the clipboard; with memory capped just above
    // what the program holds now, building them runs out. Before, std::bad_alloc ended the program.
    const qsizetype n = qsizetype(48) << 20;
    QByteArray bytes(n, 'q');
    EditFixture f(bytes);
    f.doc.WaitForLoader();
    um::SelectRange::Send(f.view, uint64_t(0), uint64_t(n - 1));
    ASSERT_EQ(f.view->SelStart(), 0u);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    bytes = QByteArray(); // only the document's copy stays

    long pages = 0;
    {
        QFile statm(QStringLiteral("/proc/self/statm"));
        ASSERT_TRUE(statm.open(QIODevice::ReadOnly));
        pages = statm.readLine().split(' ').value(0).toLong();
    }
    ASSERT_GT(pages, 0);
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &saved), 0);
    rlimit capped = saved;
    capped.rlim_cur = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + rlim_t(n) + (rlim_t(16) << 20);
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &capped), 0);
    const bool copied = f.view->CopyBytes();
    um::SelectRange::Send(f.view, uint64_t(0), uint64_t(n - 1));
    f.view->CutBytes(); // fails the same way, and then deletes nothing
    ::setrlimit(RLIMIT_AS, &saved);

    EXPECT_FALSE(copied);
    ASSERT_EQ(f.prompter.asked.size(), 2u);
    for (const auto& asked : f.prompter.asked)
        EXPECT_EQ(asked.text, QStringLiteral("クリップボードへの保存に失敗しました。"));
    EXPECT_EQ(f.doc.GetFileSize(), uint64_t(n));
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_TRUE(f.view->isVisible());
}
#endif

TEST(ViewEditing, TextColumnCopyIsPlainTextForOtherPrograms)
{
    EditFixture f(QByteArray("\x82\xA0" "AB", 4));
    f.ToTextColumn();
    for (int i = 0; i < 3; ++i)
        f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.view->OnCommand(ID_EDIT_COPY);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("あA"));
    EXPECT_EQ(CClipboardBytes::ReadSystem()->bytes, QByteArray("\x82\xA0" "A", 3));
}

TEST(ViewEditing, TextOfOtherProgramsPastesAsShiftJisAndLostCharactersAreReported)
{
    EditFixture f{QByteArray()};
    f.Key(Qt::Key_Insert); // insert mode
    QApplication::clipboard()->setText(QStringLiteral("Hello日本"));
    f.view->OnCommand(ID_EDIT_PASTE);
    EXPECT_EQ(f.Bytes(), QByteArray("Hello\x93\xFA\x96\x7B"));
    EXPECT_FALSE(f.frame->log.join('|').contains(QStringLiteral("置き換えて")));

    // The hex column's raw bytes also reach other programs, as code page 932 text.
    f.Key(Qt::Key_Home);
    for (int i = 0; i < 7; ++i)
        f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.view->OnCommand(ID_EDIT_COPY);
    EXPECT_EQ(QApplication::clipboard()->mimeData()->text(), QStringLiteral("Hello日"));

    // A character Shift-JIS lacks becomes "?", and the status bar says how many were replaced.
    f.frame->log.clear();
    QApplication::clipboard()->setText(QStringLiteral("?\U0001F600A"));
    f.Key(Qt::Key_End);
    f.view->OnCommand(ID_EDIT_PASTE);
    EXPECT_TRUE(f.Bytes().endsWith("??A"));
    EXPECT_TRUE(f.frame->log.contains(QStringLiteral("status0 Shift-JIS にない 1 文字を \"?\" に置き換えて貼り付けました。")))
        << f.frame->log.join('|').toStdString();
}

TEST(ViewEditing, DirectEditModeWritesThroughToTheFile)
{
    EditFixture f("abcdef", true);
    f.Keys("12"); // locked at first
    EXPECT_EQ(f.Bytes(), "abcdef");
    f.view->OnCommand(ID_EDIT_LOCK); // not a view command: the document toggles it
    f.doc.ToggleEditLock();
    f.Keys("31");
    EXPECT_EQ(f.Bytes(), "1bcdef");
    f.Key(Qt::Key_Delete);
    EXPECT_EQ(f.Bytes(), "1cdef");
    f.Key(Qt::Key_Insert);
    f.Keys("7A");
    EXPECT_EQ(f.Bytes(), "1zcdef");
    EXPECT_EQ(f.doc.ByteAt(1), 'z'); // the rows on screen follow the file
    EXPECT_FALSE(f.doc.CanUndo());
}

TEST(ViewEditing, ASecondViewFollowsEditsOfTheFirst)
{
    EditFixture f("0123456789");
    auto* second = new CQuorvaneView(&f.doc, f.frame.get());
    second->OnInitialUpdate();
    QTest::keyClick(second, Qt::Key_End); // its cursor on the end-of-file cell
    EXPECT_EQ(second->Cursor(), 10u);
    // The first view deletes half the file: the second's cursor stays inside it.
    f.Key(Qt::Key_Home);
    for (int i = 0; i < 5; ++i)
        f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.Key(Qt::Key_Delete);
    EXPECT_EQ(f.Bytes(), "56789");
    EXPECT_EQ(second->Cursor(), 5u);
    QTest::keyClicks(second, QStringLiteral("AB"));
    EXPECT_EQ(f.Bytes(), QByteArray("56789\xAB", 6));
    EXPECT_TRUE(f.prompter.asked.empty());
}
