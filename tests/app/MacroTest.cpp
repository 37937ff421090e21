// Keystroke macros in the program: recording keys in one view and playing them into another.
#include "app/ChildFrame.h"
#include "base/CommandIds.h"
#include "base/KeyMacro.h"
#include "app/MainFrame.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"

#include "FrameTest.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MacroTest : public FrameTest
{
protected:

    void SetUp() override
    {
        ShowFrame();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    void TearDown() override
    {
        if (CKeyMacro::Program().IsRecording())
            CKeyMacro::Program().ToggleRecording();
        FrameTest::TearDown();
    }

    static QByteArray Counting(int n)
    {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b.append(char(i));
        return b;
    }
    static QByteArray Bytes(CQuorvaneDoc* doc)
    {
        QByteArray b(int(doc->GetFileSize()), 0);
        doc->ReadBytes(0, reinterpret_cast<uint8_t*>(b.data()), size_t(b.size()));
        return b;
    }
    // A key that no accelerator wants goes straight to the view, as the window system would.
    static void Send(QWidget* w, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers mods = {})
    {
        QKeyEvent e(type, key, mods);
        QApplication::sendEvent(w, &e);
    }
    bool Enabled(int id)
    {
        frame->UpdateCommandUI();
        return frame->CommandAction(id)->isEnabled();
    }
};

} // namespace

TEST_F(MacroTest, KeysRecordedInOneViewReplayIntoAnother)
{
    ASSERT_NE(frame->OpenDocumentFile(files.Write("a.bin", Counting(64))), nullptr);
    CQuorvaneView* a = frame->ActiveView();
    a->setFocus();
    EXPECT_FALSE(Enabled(ID_MACRO_PLAY));

    // The default keys give the labels the playback compares with.
    const auto labels = frame->MacroCommandLabels();
    EXPECT_EQ(labels[0], (CKeyMacro::CommandLabel{ID_EDIT_CUT, "Ctrl+X"}));
    EXPECT_EQ(labels[2], (CKeyMacro::CommandLabel{ID_COPY_AS_TEXT, ""}));
    EXPECT_EQ(labels[4], (CKeyMacro::CommandLabel{ID_BOOKMARK, "Shift+F1"}));
    EXPECT_EQ(labels[15], (CKeyMacro::CommandLabel{ID_JUMP_TOP, "Home"}));

    frame->CommandAction(ID_MACRO_RECORD)->trigger();
    frame->UpdateCommandUI();
    EXPECT_TRUE(frame->CommandAction(ID_MACRO_RECORD)->isChecked());
    EXPECT_FALSE(Enabled(ID_MACRO_PLAY));

    // 4 1 typed over the first byte, then Shift held over two Right keys, then Ctrl+X.
    QTest::keyClick(a, Qt::Key_4);
    QTest::keyClick(a, Qt::Key_1);
    Send(a, QEvent::KeyPress, Qt::Key_Shift);
    for (int i = 0; i < 2; ++i) {
        Send(a, QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
        Send(a, QEvent::KeyRelease, Qt::Key_Right, Qt::ShiftModifier);
    }
    Send(a, QEvent::KeyRelease, Qt::Key_Shift);
    QTest::keyClick(a, Qt::Key_X, Qt::ControlModifier);
    frame->CommandAction(ID_MACRO_RECORD)->trigger();

    // The press of X went to the accelerator: only its release is in the macro.
    using Ev = CKeyMacro::MACROEVENT;
    EXPECT_EQ(CKeyMacro::Program().Events(),
              (std::vector<Ev>{{0x34, true}, {0x34, false}, {0x31, true}, {0x31, false},
                               {0x10, true}, {0x27, true}, {0x27, false}, {0x27, true}, {0x27, false},
                               {0x10, false}, {0x11, true}, {0x58, false}, {0x11, false}}));
    CQuorvaneDoc* docA = a->GetDocument();
    QByteArray expected = Counting(64);
    expected[0] = 0x41;
    expected.remove(1, 2); // the selection from 1 up to the cursor was cut
    ASSERT_EQ(Bytes(docA), expected);
    const uint64_t cursorA = a->Cursor();

    // Played into a second file: the same bytes and the same cursor, cut run once.
    ASSERT_NE(frame->OpenDocumentFile(files.Write("b.bin", Counting(64))), nullptr);
    CQuorvaneView* b = frame->ActiveView();
    ASSERT_NE(b, a);
    EXPECT_TRUE(Enabled(ID_MACRO_PLAY));
    frame->CommandAction(ID_MACRO_PLAY)->trigger();
    EXPECT_EQ(Bytes(b->GetDocument()), expected);
    EXPECT_EQ(b->Cursor(), cursorA);
    EXPECT_EQ(Bytes(docA), expected); // the recording view is left alone

    // Into a locked view nothing changes.
    ASSERT_NE(frame->OpenDocumentFile(files.Write("c.bin", Counting(64))), nullptr);
    CQuorvaneView* c = frame->ActiveView();
    c->GetDocument()->SetEditLock(1);
    frame->PlayMacro();
    EXPECT_EQ(Bytes(c->GetDocument()), Counting(64));
}

TEST_F(MacroTest, AcceleratorKeysReplayAsTheirCommandsAndAnEmptyMacroCannotPlay)
{
    ASSERT_NE(frame->OpenDocumentFile(files.Write("d.bin", Counting(40))), nullptr);
    CQuorvaneView* v = frame->ActiveView();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    v->setFocus();
    // Stopping at once leaves an empty macro: 再生 stays disabled.
    frame->ExecuteCommand(ID_MACRO_RECORD);
    frame->ExecuteCommand(ID_MACRO_RECORD);
    EXPECT_FALSE(Enabled(ID_MACRO_PLAY));

    // End (ファイル末尾) and F12 (編集禁止) are accelerators: recorded by their
    // releases, replayed as the commands.
    frame->ExecuteCommand(ID_MACRO_RECORD);
    QTest::keyClick(v, Qt::Key_Right); // a release is kept only after the first event
    QTest::keyClick(v, Qt::Key_End);
    QTest::keyClick(v, Qt::Key_F12);
    frame->ExecuteCommand(ID_MACRO_RECORD);
    using Ev = CKeyMacro::MACROEVENT;
    EXPECT_EQ(CKeyMacro::Program().Events(), (std::vector<Ev>{{0x27, true}, {0x27, false}, {0x23, false}, {0x7B, false}}));
    EXPECT_EQ(v->Cursor(), 40u);
    EXPECT_EQ(v->GetDocument()->EditLock(), 1u);
    v->GetDocument()->SetEditLock(0);
    v->MoveCursor(0, v->Cursor(), false);
    frame->PlayMacro();
    EXPECT_EQ(v->Cursor(), 40u);
    EXPECT_EQ(v->GetDocument()->EditLock(), 1u);
}
