// Reading and writing a whole settings group, the colour rows and the pattern check.
#include "base/SettingsGroupValues.h"

namespace {

struct ColorRow
{
    const char* label;
    SettingId text;
    SettingId background;
};

constexpr ColorRow kColorRows[10] = {
    {"アドレスバー", SettingId::Color_AddressTxt, SettingId::Color_AddressBk},
    {"テキスト", SettingId::Color_Text, SettingId::Color_TextBk},
    {"ブックマーク", SettingId::Color_BookmarkTxt, SettingId::Color_BookmarkBk},
    {"検索", SettingId::Color_FindTxt, SettingId::Color_FindBk},
    {"比較（大）", SettingId::Color_DiffpTxt, SettingId::Color_DiffpBk},
    {"比較（小）", SettingId::Color_DiffmTxt, SettingId::Color_DiffmBk},
    {"EOF", SettingId::Color_EOFTxt, SettingId::Color_EOFBk},
    {"選択", SettingId::Color_SelTxt, SettingId::Color_SelBk},
    {"構造体範囲", SettingId::Color_StructRangeTxt, SettingId::Color_StructRangeBk},
    {"構造体選択", SettingId::Color_StructSelTxt, SettingId::Color_StructSelBk},
};

} // namespace

SettingsGroupValues SettingsGroupValues::Read(const CSettingsStore& store, const QString& group)
{
    SettingsGroupValues v;
    for (int i = 0; i < kSettingCount; ++i)
        v.values[size_t(i)] = store.GetGroupSetting(static_cast<SettingId>(i), group);
    v.fontName = store.GetGroupFontName(group);
    return v;
}

void SettingsGroupValues::Write(CSettingsStore& store, const QString& group) const
{
    for (int i = 0; i < kSettingCount; ++i) {
        const auto id = static_cast<SettingId>(i);
        if (id == SettingId::FontName)
            store.SetGroupFontName(group, fontName);
        else
            store.SetGroupSetting(id, values[size_t(i)], group);
    }
}

SettingId SettingsGroupValues::ColorSetting(int i)
{
    const ColorRow& row = kColorRows[(i / 2) % 10];
    return i % 2 == 0 ? row.text : row.background;
}

QString SettingsGroupValues::ColorRowLabel(int r)
{
    return QString::fromUtf8(kColorRows[r % 10].label);
}

QString GroupPatternProblem(const QString& pattern)
{
    // Key names cannot hold the separators of key paths, nor control characters.
    for (QChar c : pattern) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("パターンに「/」や「\\」は使えません。");
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("パターンに制御文字は使えません。");
    }
    if (pattern.size() > 255)
        return QStringLiteral("パターンが長すぎます。");
    return {};
}
