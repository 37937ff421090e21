// The nine character codes of the text column: values, display names, menu ids and menu texts.
#include "CharCode.h"

#include <array>

namespace {

struct CodeNames
{
    const char16_t* name;
    const char16_t* menuText;
};

// In value order, which is the order of the menu and of the properties pane's list.
constexpr std::array<CodeNames, kCharCodeCount> kNames = {{
    {u"ASCII", u"ASCII(&A)"},
    {u"JIS", u"JIS(&J)"},
    {u"Shift-JIS", u"Shift-JIS(&S)"},
    {u"EUC", u"EUC(&E)"},
    {u"Unicode", u"Unicode(&L)"},
    {u"UnicodeBE", u"UnicodeBE(&B)"},
    {u"UTF-8", u"UTF-8(&U)"},
    {u"EBCDIC", u"EBCDIC(&C)"},
    {u"EBCDIK", u"EBCDIK(&K)"},
}};

} // namespace

bool IsCharCodeValue(int value)
{
    return value >= 0 && value < kCharCodeCount;
}

CharCode CharCodeFromValue(int value)
{
    return IsCharCodeValue(value) ? static_cast<CharCode>(value) : CharCode::ShiftJis;
}

QString CharCodeName(CharCode code)
{
    return CharCodeNameFromValue(static_cast<int>(code));
}

QString CharCodeNameFromValue(int value)
{
    if (!IsCharCodeValue(value))
        return QStringLiteral("Shift-JIS");
    return QString::fromUtf16(kNames[static_cast<size_t>(value)].name);
}

CharCode CharCodeFromName(QStringView name)
{
    // "ASCII" is deliberately not among the names compared: a request naming it is read as
    // Unicode, like every other name that is not listed.
    static constexpr std::array<CharCode, 7> kCompared = {
        CharCode::ShiftJis, CharCode::Utf8,   CharCode::Jis,      CharCode::Euc,
        CharCode::Ebcdic,   CharCode::Ebcdik, CharCode::UnicodeBE,
    };
    for (CharCode code : kCompared) {
        if (name == QStringView(kNames[static_cast<size_t>(code)].name))
            return code;
    }
    return CharCode::Unicode;
}

int CharCodeMenuId(CharCode code)
{
    return kCharCodeMenuBase + static_cast<int>(code);
}

bool CharCodeFromMenuId(int id, CharCode& code)
{
    if (!IsCharCodeValue(id - kCharCodeMenuBase))
        return false;
    code = static_cast<CharCode>(id - kCharCodeMenuBase);
    return true;
}

QString CharCodeMenuText(CharCode code)
{
    const int value = static_cast<int>(code);
    if (!IsCharCodeValue(value))
        return {};
    return QString::fromUtf16(kNames[static_cast<size_t>(value)].menuText);
}
