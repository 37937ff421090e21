// Keys of the keystroke macro: Windows virtual-key numbers for Qt keys and back, key names and labels.
#pragma once

#include <QString>
#include <cstdint>

// Windows virtual-key numbers the macro rules name.
inline constexpr int VK_MACRO_SHIFT = 0x10;
inline constexpr int VK_MACRO_CONTROL = 0x11;
inline constexpr int VK_MACRO_MENU = 0x12; // Alt

// What a platform tells about a pressed key besides Qt's key code.
struct NativeKey
{
    int windowsVirtualKey = 0; // the key's own virtual-key number where the platform has one (Windows)
    int evdevCode = -1;        // the physical key (Linux input code) where the platform gives it
};

// The Windows virtual-key number of a key as Qt reports it; `keypad` is Qt's keypad modifier.
// Letters, digits, the keypad, function keys, navigation, modifiers and the punctuation keys of
// US and Japanese keyboards are covered. Punctuation is taken from the physical key when the
// platform tells it (the same symbol sits on different keys on the two layouts). 0 when unknown.
int VirtualKeyFromQtKey(int qtKey, bool keypad, const NativeKey& native = {});

// The Qt key to deliver for a recorded virtual-key number at playback, with its keypad flag.
struct QtKeyOfVirtualKey
{
    int key = 0; // Qt::Key; 0 when the number stands for no key Qt knows
    bool keypad = false;
};
QtKeyOfVirtualKey QtKeyFromVirtualKey(int vkey);

// The name of a key in macro labels ("Enter", "Page up", "NumPad /", "X", "F1", ...), at most
// 9 characters; empty for a number that names no key.
QString MacroKeyName(int vkey);

// "Ctrl+" "Shift+" "Alt+" (those held) followed by the key's name. A key without a name gets an
// empty label whatever the modifiers, and an empty label matches no command.
QString MacroKeyLabel(int vkey, bool ctrl, bool shift, bool alt);
