// Windows virtual-key numbers of Qt keys (US and Japanese keyboards), key names and macro labels.
#include "base/MacroKeys.h"

#include <Qt>
#include <array>

namespace {

struct NamedKey
{
    int qtKey;
    int vkey;
};

// Keys with a Qt name of their own. The first entry of a virtual-key number is the one that
// playback delivers for it.
constexpr NamedKey kNamedKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09}, {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D}, {Qt::Key_Shift, 0x10}, {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12}, {Qt::Key_AltGr, 0x12}, {Qt::Key_Pause, 0x13}, {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Kana_Lock, 0x15}, {Qt::Key_Kanji, 0x19}, {Qt::Key_Escape, 0x1B}, {Qt::Key_Henkan, 0x1C},
    {Qt::Key_Muhenkan, 0x1D}, {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23}, {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27}, {Qt::Key_Down, 0x28}, {Qt::Key_Select, 0x29}, {Qt::Key_Printer, 0x2A},
    {Qt::Key_Execute, 0x2B}, {Qt::Key_Print, 0x2C}, {Qt::Key_SysReq, 0x2C}, {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E}, {Qt::Key_Help, 0x2F}, {Qt::Key_Meta, 0x5B}, {Qt::Key_Super_L, 0x5B},
    {Qt::Key_Super_R, 0x5C}, {Qt::Key_Menu, 0x5D}, {Qt::Key_Sleep, 0x5F}, {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91}, {Qt::Key_Eisu_toggle, 0xF0}, {Qt::Key_Eisu_Shift, 0xF0},
    {Qt::Key_Katakana, 0xF1}, {Qt::Key_Hiragana_Katakana, 0xF2}, {Qt::Key_Hiragana, 0xF2},
    {Qt::Key_Zenkaku_Hankaku, 0xF3}, {Qt::Key_Hankaku, 0xF3}, {Qt::Key_Zenkaku, 0xF4},
    {Qt::Key_Romaji, 0xF5},
};

// The keypad's own keys (Qt reports them with the keypad modifier).
constexpr NamedKey kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Comma, 0x6C}, {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E}, {Qt::Key_Slash, 0x6F}, {Qt::Key_Enter, 0x0D}, {Qt::Key_Equal, 0x92},
};

// One punctuation key: its physical place, the symbols it gives (plain and with Shift) on a US
// and on a Japanese keyboard, and the virtual-key number each layout gives it. 0 where a layout
// has no symbol.
struct PunctKey
{
    int evdev;
    char usPlain, usShift;
    int usVk;
    char jpPlain, jpShift;
    int jpVk;
};

constexpr PunctKey kPunctKeys[] = {
    {2, '1', '!', 0x31, '1', '!', 0x31},
    {3, '2', '@', 0x32, '2', '"', 0x32},
    {4, '3', '#', 0x33, '3', '#', 0x33},
    {5, '4', '$', 0x34, '4', '$', 0x34},
    {6, '5', '%', 0x35, '5', '%', 0x35},
    {7, '6', '^', 0x36, '6', '&', 0x36},
    {8, '7', '&', 0x37, '7', '\'', 0x37},
    {9, '8', '*', 0x38, '8', '(', 0x38},
    {10, '9', '(', 0x39, '9', ')', 0x39},
    {11, '0', ')', 0x30, '0', 0, 0x30},
    {12, '-', '_', 0xBD, '-', '=', 0xBD},
    {13, '=', '+', 0xBB, '^', '~', 0xDE},
    {26, '[', '{', 0xDB, '@', '`', 0xC0},
    {27, ']', '}', 0xDD, '[', '{', 0xDB},
    {39, ';', ':', 0xBA, ';', '+', 0xBB},
    {40, '\'', '"', 0xDE, ':', '*', 0xBA},
    {41, '`', '~', 0xC0, 0, 0, 0},
    {43, '\\', '|', 0xDC, ']', '}', 0xDD},
    {51, ',', '<', 0xBC, ',', '<', 0xBC},
    {52, '.', '>', 0xBE, '.', '>', 0xBE},
    {53, '/', '?', 0xBF, '/', '?', 0xBF},
    {86, '\\', '|', 0xE2, 0, 0, 0},
    {89, 0, 0, 0, '\\', '_', 0xE2},
    {124, 0, 0, 0, '\\', '|', 0xDC},
};

// Qt's codes of the printable ASCII symbols are the characters themselves.
bool Gives(char plain, char shifted, int qtKey)
{
    return qtKey > 0 && ((plain && qtKey == plain) || (shifted && qtKey == shifted));
}

int PunctuationVk(int qtKey, int evdev)
{
    if (qtKey == Qt::Key_yen)
        return 0xDC; // the Japanese yen key
    if (evdev >= 0) {
        for (const PunctKey& k : kPunctKeys) {
            if (k.evdev != evdev)
                continue;
            if (Gives(k.usPlain, k.usShift, qtKey))
                return k.usVk;
            if (Gives(k.jpPlain, k.jpShift, qtKey))
                return k.jpVk;
        }
    }
    // Without the physical key: the US place of the symbol, else its Japanese one.
    for (const PunctKey& k : kPunctKeys)
        if (Gives(k.usPlain, k.usShift, qtKey))
            return k.usVk;
    for (const PunctKey& k : kPunctKeys)
        if (Gives(k.jpPlain, k.jpShift, qtKey))
            return k.jpVk;
    return 0;
}

} // namespace

int VirtualKeyFromQtKey(int qtKey, bool keypad, const NativeKey& native)
{
    if (native.windowsVirtualKey > 0 && native.windowsVirtualKey < 0x100)
        return native.windowsVirtualKey;
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return 0x60 + (qtKey - Qt::Key_0);
        for (const NamedKey& k : kKeypadKeys)
            if (k.qtKey == qtKey)
                return k.vkey;
        // Keypad keys with NumLock off report Home, End, the arrows...: the named keys below.
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey; // the same numbers in both numberings
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    for (const NamedKey& k : kNamedKeys)
        if (k.qtKey == qtKey)
            return k.vkey;
    return PunctuationVk(qtKey, native.evdevCode);
}

QtKeyOfVirtualKey QtKeyFromVirtualKey(int vkey)
{
    if ((vkey >= 'A' && vkey <= 'Z') || (vkey >= '0' && vkey <= '9'))
        return {vkey, false};
    if (vkey >= 0x60 && vkey <= 0x69)
        return {Qt::Key_0 + (vkey - 0x60), true};
    if (vkey >= 0x70 && vkey <= 0x87)
        return {Qt::Key_F1 + (vkey - 0x70), false};
    for (const NamedKey& k : kKeypadKeys)
        if (k.vkey == vkey && vkey != 0x0D)
            return {k.qtKey, true};
    for (const NamedKey& k : kNamedKeys)
        if (k.vkey == vkey)
            return {k.qtKey, false};
    for (const PunctKey& k : kPunctKeys) {
        if (k.usVk == vkey && k.usPlain)
            return {k.usPlain, false};
    }
    for (const PunctKey& k : kPunctKeys) {
        if (k.jpVk == vkey && k.jpPlain)
            return {k.jpPlain, false};
    }
    return {};
}

QString MacroKeyName(int vkey)
{
    // The names the labels of the accelerators are built with.
    switch (vkey) {
    case 0x0D: return QStringLiteral("Enter");
    case 0x13: return QStringLiteral("Pause");
    case 0x21: return QStringLiteral("Page up");
    case 0x22: return QStringLiteral("Page down");
    case 0x23: return QStringLiteral("End");
    case 0x24: return QStringLiteral("Home");
    case 0x25: return QStringLiteral("Left");
    case 0x26: return QStringLiteral("Up");
    case 0x27: return QStringLiteral("Right");
    case 0x28: return QStringLiteral("Down");
    case 0x2D: return QStringLiteral("Insert");
    case 0x2E: return QStringLiteral("Delete");
    case 0x6F: return QStringLiteral("NumPad /");
    default: break;
    }
    if ((vkey >= 'A' && vkey <= 'Z') || (vkey >= '0' && vkey <= '9'))
        return QString(QChar(vkey));
    if (vkey >= 0x60 && vkey <= 0x69)
        return QStringLiteral("Num %1").arg(vkey - 0x60);
    if (vkey >= 0x70 && vkey <= 0x87)
        return QStringLiteral("F%1").arg(vkey - 0x70 + 1);
    QString name;
    switch (vkey) {
    case 0x08: name = QStringLiteral("Backspace"); break;
    case 0x09: name = QStringLiteral("Tab"); break;
    case 0x0C: name = QStringLiteral("Clear"); break;
    case 0x10: name = QStringLiteral("Shift"); break;
    case 0x11: name = QStringLiteral("Ctrl"); break;
    case 0x12: name = QStringLiteral("Alt"); break;
    case 0x14: name = QStringLiteral("Caps Lock"); break;
    case 0x15: name = QStringLiteral("かな"); break;
    case 0x19: name = QStringLiteral("漢字"); break;
    case 0x1B: name = QStringLiteral("Esc"); break;
    case 0x1C: name = QStringLiteral("変換"); break;
    case 0x1D: name = QStringLiteral("無変換"); break;
    case 0x20: name = QStringLiteral("Space"); break;
    case 0x29: name = QStringLiteral("Select"); break;
    case 0x2A: name = QStringLiteral("Print"); break;
    case 0x2B: name = QStringLiteral("Execute"); break;
    case 0x2C: name = QStringLiteral("PrtScn"); break;
    case 0x2F: name = QStringLiteral("Help"); break;
    case 0x5B: name = QStringLiteral("Left Win"); break;
    case 0x5C: name = QStringLiteral("Right Win"); break;
    case 0x5D: name = QStringLiteral("Menu"); break;
    case 0x5F: name = QStringLiteral("Sleep"); break;
    case 0x6A: name = QStringLiteral("Num *"); break;
    case 0x6B: name = QStringLiteral("Num +"); break;
    case 0x6C: name = QStringLiteral("Num ,"); break;
    case 0x6D: name = QStringLiteral("Num -"); break;
    case 0x6E: name = QStringLiteral("Num ."); break;
    case 0x90: name = QStringLiteral("Num Lock"); break;
    case 0x91: name = QStringLiteral("Scroll"); break;
    case 0x92: name = QStringLiteral("Num ="); break;
    case 0xF0: name = QStringLiteral("英数"); break;
    case 0xF1: name = QStringLiteral("カタカナ"); break;
    case 0xF2: name = QStringLiteral("ひらがな"); break;
    case 0xF3: case 0xF4: name = QStringLiteral("半角/全角"); break;
    case 0xF5: name = QStringLiteral("ローマ字"); break;
    default: {
        // Punctuation keys are named by their plain US symbol, or the Japanese one.
        const QtKeyOfVirtualKey k = QtKeyFromVirtualKey(vkey);
        if (k.key > 0x20 && k.key < 0x7F)
            name = QString(QChar(k.key));
        break;
    }
    }
    return name.left(9);
}

QString MacroKeyLabel(int vkey, bool ctrl, bool shift, bool alt)
{
    const QString name = MacroKeyName(vkey);
    if (name.isEmpty())
        return {};
    QString label;
    if (ctrl)
        label += QStringLiteral("Ctrl+");
    if (shift)
        label += QStringLiteral("Shift+");
    if (alt)
        label += QStringLiteral("Alt+");
    return label + name;
}
