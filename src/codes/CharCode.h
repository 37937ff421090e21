// The nine character codes of the text column: values, display names, menu ids and menu texts.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// The value is what a view stores in one byte and what the settings value "CharCode" holds; the
// order is the order of the 文字コード menu.
enum class CharCode : uint8_t {
    Ascii = 0,
    Jis = 1,
    ShiftJis = 2,
    Euc = 3,
    Unicode = 4,
    UnicodeBE = 5,
    Utf8 = 6,
    Ebcdic = 7,
    Ebcdik = 8,
};

inline constexpr int kCharCodeCount = 9;
// Menu command of the first code; the command of a code is this plus its value.
inline constexpr int kCharCodeMenuBase = 32837;

// True for the values 0 to 8.
bool IsCharCodeValue(int value);
// The code of a stored value; values outside 0 to 8 read as Shift-JIS, the default of a new view,
// so that a damaged setting still gives a usable view.
CharCode CharCodeFromValue(int value);

// "ASCII", "JIS", "Shift-JIS", "EUC", "Unicode", "UnicodeBE", "UTF-8", "EBCDIC", "EBCDIK".
QString CharCodeName(CharCode code);
// The display name of a stored value; an unknown value names "Shift-JIS".
QString CharCodeNameFromValue(int value);
// The code a request names. Exact, case-sensitive comparison with the names of JIS, Shift-JIS,
// EUC, UnicodeBE, UTF-8, EBCDIC and EBCDIK; every other name ("Unicode", "ASCII", "", "sjis")
// reads as Unicode, which is how requests between the panes have always been understood.
CharCode CharCodeFromName(QStringView name);

// The 文字コード menu: command id (32837 + value) and item text ("ASCII(&A)", "JIS(&J)", ...).
int CharCodeMenuId(CharCode code);
// The code of a menu command id; false when the id is not one of the nine.
bool CharCodeFromMenuId(int id, CharCode& code);
QString CharCodeMenuText(CharCode code);
