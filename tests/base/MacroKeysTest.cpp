// Keystroke macro rules: virtual-key numbers of Qt keys, key labels, recording and playback plans.
#include "base/CommandIds.h"
#include "base/KeyMacro.h"
#include "base/MacroKeys.h"

#include <gtest/gtest.h>

namespace {

using Step = CKeyMacro::Step;
using Ev = CKeyMacro::MACROEVENT;

// The labels of the program's own keys, as the frame builds them.
std::vector<CKeyMacro::CommandLabel> DefaultLabels()
{
    std::vector<CKeyMacro::CommandLabel> l;
    for (int id : CKeyMacro::ReplayableCommands()) {
        QString label;
        switch (id) {
        case ID_EDIT_CUT: label = "Ctrl+X"; break;
        case ID_EDIT_COPY: label = "Ctrl+C"; break;
        case ID_EDIT_PASTE: label = "Ctrl+V"; break;
        case ID_BOOKMARK: label = "Shift+F1"; break;
        case ID_SEARCH: label = "F1"; break;
        case ID_JUMP_TOP: label = "Home"; break;
        case ID_MACRO_PLAY: label = "F9"; break; // a user who gave 再生 a key
        default: break;
        }
        l.emplace_back(id, label);
    }
    return l;
}

} // namespace

TEST(MacroKeys, QtKeysGetWindowsNumbersOnUsAndJapaneseKeyboards)
{
    // Letters, digits, function keys, navigation and modifiers.
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_A, false), 0x41);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Z, false), 0x5A);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_0, false), 0x30);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F1, false), 0x70);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F12, false), 0x7B);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F24, false), 0x87);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Shift, false), 0x10);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Control, false), 0x11);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Alt, false), 0x12);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Return, false), 0x0D);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_PageUp, false), 0x21);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Home, false), 0x24);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Down, false), 0x28);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Delete, false), 0x2E);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Backtab, false), 0x09);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Zenkaku_Hankaku, false), 0xF3);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Henkan, false), 0x1C);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Muhenkan, false), 0x1D);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_VolumeUp, false), 0);

    // The keypad has numbers of its own; with NumLock off its keys are the navigation keys.
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_0, true), 0x60);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_9, true), 0x69);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Asterisk, true), 0x6A);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Plus, true), 0x6B);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Minus, true), 0x6D);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Period, true), 0x6E);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Slash, true), 0x6F);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter, true), 0x0D);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Home, true), 0x24);

    // Punctuation: the same symbol sits on different keys of the two layouts, so the physical
    // key decides where the platform tells it.
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Asterisk, false, {0, 9}), 0x38);  // US Shift+8
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Asterisk, false, {0, 40}), 0xBA); // JP Shift+:
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_At, false, {0, 3}), 0x32);       // US Shift+2
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_At, false, {0, 26}), 0xC0);      // JP @
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Plus, false, {0, 13}), 0xBB);    // US Shift+=
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Plus, false, {0, 39}), 0xBB);    // JP Shift+;
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_AsciiCircum, false, {0, 13}), 0xDE); // JP ^
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Backslash, false, {0, 89}), 0xE2);   // JP ろ
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Backslash, false, {0, 43}), 0xDC);   // US \ key
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Underscore, false, {0, 89}), 0xE2);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_yen, false), 0xDC);
    // Without the physical key the US place is taken.
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Semicolon, false), 0xBA);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_BracketLeft, false), 0xDB);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Exclam, false), 0x31);
    // Windows itself reports the number: it wins.
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Asterisk, false, {0xBA, -1}), 0xBA);

    // Playback gives every key a Qt key that maps back to the same number.
    for (int vk : {0x08, 0x09, 0x0D, 0x10, 0x11, 0x12, 0x1B, 0x20, 0x21, 0x24, 0x25, 0x28, 0x2D, 0x2E,
                   0x30, 0x39, 0x41, 0x5A, 0x60, 0x69, 0x6A, 0x6B, 0x6D, 0x6E, 0x6F, 0x70, 0x87,
                   0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE, 0xF3}) {
        const QtKeyOfVirtualKey k = QtKeyFromVirtualKey(vk);
        EXPECT_EQ(VirtualKeyFromQtKey(k.key, k.keypad), vk) << std::hex << vk;
    }
    EXPECT_EQ(QtKeyFromVirtualKey(0xFF).key, 0);
}

TEST(MacroKeys, LabelsNameTheKeyAfterTheHeldModifiers)
{
    EXPECT_EQ(MacroKeyLabel(0x58, true, false, false), "Ctrl+X");
    EXPECT_EQ(MacroKeyLabel(0x70, false, true, false), "Shift+F1");
    EXPECT_EQ(MacroKeyLabel(0x41, true, true, true), "Ctrl+Shift+Alt+A");
    EXPECT_EQ(MacroKeyLabel(0x21, false, false, false), "Page up");
    EXPECT_EQ(MacroKeyLabel(0x22, false, false, false), "Page down");
    EXPECT_EQ(MacroKeyLabel(0x6F, false, false, false), "NumPad /");
    EXPECT_EQ(MacroKeyLabel(0x0D, false, false, false), "Enter");
    EXPECT_EQ(MacroKeyLabel(0x13, false, false, false), "Pause");
    EXPECT_EQ(MacroKeyLabel(0x65, false, false, false), "Num 5");
    EXPECT_EQ(MacroKeyLabel(0xBA, false, false, false), ";");
    // Names never pass 9 characters, and a key without a name has no label at all.
    for (int vk = 0; vk < 0x100; ++vk)
        EXPECT_LE(MacroKeyName(vk).size(), 9) << vk;
    EXPECT_EQ(MacroKeyLabel(0xFF, true, true, false), "");
    EXPECT_EQ(MacroKeyLabel(0x07, false, false, false), "");
}

TEST(KeyMacro, RecordingKeepsPressesAndOnlyReleasesAfterTheFirstEvent)
{
    CKeyMacro m;
    EXPECT_FALSE(m.CanPlay());
    m.OnKeyPress(0x41); // not recording: ignored
    m.ToggleRecording();
    EXPECT_TRUE(m.IsRecording());
    m.OnKeyRelease(0x70); // the release of a key pressed before the start
    m.OnKeyPress(0x34);
    m.OnKeyPress(0x34); // auto-repeat, one by one
    m.OnKeyRelease(0x34);
    EXPECT_FALSE(m.CanPlay()); // not while recording
    m.ToggleRecording();
    EXPECT_EQ(m.Events(), (std::vector<Ev>{{0x34, true}, {0x34, true}, {0x34, false}}));
    EXPECT_TRUE(m.CanPlay());
    // A new recording discards the old macro; stopping at once leaves it empty.
    m.ToggleRecording();
    m.ToggleRecording();
    EXPECT_TRUE(m.Events().empty());
    EXPECT_FALSE(m.CanPlay());
}

TEST(KeyMacro, PlaybackTurnsAcceleratorReleasesIntoCommandsAndReleasesHeldModifiers)
{
    const auto labels = DefaultLabels();
    // Ctrl+X as recorded: Ctrl down, (X down taken by the accelerator), X up, Ctrl up.
    EXPECT_EQ(CKeyMacro::PlanPlayback({{0x11, true}, {0x58, false}, {0x11, false}}, labels),
              (std::vector<Step>{{Step::KeyPress, 0x11, 0, true, false, false},
                                 {Step::Command, 0x58, ID_EDIT_CUT, true, false, false},
                                 {Step::KeyRelease, 0x11, 0, false, false, false}}));
    // Digits go to the view as keys; F1's release runs the search.
    EXPECT_EQ(CKeyMacro::PlanPlayback({{0x34, true}, {0x34, false}, {0x70, false}}, labels),
              (std::vector<Step>{{Step::KeyPress, 0x34}, {Step::KeyRelease, 0x34}, {Step::Command, 0x70, ID_SEARCH}}));
    // Shift held at the end is let go, and a Shift+F1 release is the bookmark command; Ctrl
    // and Alt still down are released after it, Ctrl first.
    const auto held = CKeyMacro::PlanPlayback({{0x12, true}, {0x11, true}, {0x10, true}, {0x27, true}}, labels);
    ASSERT_EQ(held.size(), 7u);
    EXPECT_EQ(held[3], (Step{Step::KeyPress, 0x27, 0, true, true, true}));
    EXPECT_EQ(held[4].vkey, 0x11);
    EXPECT_EQ(held[5].vkey, 0x10);
    EXPECT_EQ(held[6].vkey, 0x12);
    for (int i = 4; i < 7; ++i)
        EXPECT_EQ(held[i].kind, Step::KeyRelease);
    EXPECT_EQ(CKeyMacro::PlanPlayback({{0x10, true}, {0x70, false}, {0x10, false}}, labels)[1],
              (Step{Step::Command, 0x70, ID_BOOKMARK, false, true, false}));
    // A key of the macro commands themselves does nothing; a key without a name matches no
    // command (not even those without a key) and goes to the view.
    EXPECT_EQ(CKeyMacro::PlanPlayback({{0x78, false}, {0xFF, true}}, labels),
              (std::vector<Step>{{Step::KeyPress, 0xFF}}));
    // Home by itself is ファイル先頭, Ctrl+Home is not an accelerator and goes to the view.
    EXPECT_EQ(CKeyMacro::PlanPlayback({{0x24, true}}, labels)[0].kind, Step::Command);
    EXPECT_EQ(CKeyMacro::PlanPlayback({{0x11, true}, {0x24, true}}, labels)[1].kind, Step::KeyPress);
}
