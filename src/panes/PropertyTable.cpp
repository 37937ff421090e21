// The properties pane's six categories and their properties.
#include "panes/PropertyTable.h"

namespace {

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kHexDigits = QStringLiteral("0123456789ABCDEF");
const QString kDecimalDigits = QStringLiteral("0123456789");
const QString kAddressMask = QStringLiteral("________-________");

std::vector<PROPERTYDEF> MakeDefinitions()
{
    const QStringList order = {S("リトルエンディアン"), S("ビッグエンディアン")};
    QStringList searchCodes = CharCodeNames();
    searchCodes.removeFirst(); // no ASCII among the search codes
    std::vector<PROPERTYDEF> defs = {
        {PropViewCode, 0, S("文字コード"), S("Shift-JIS"), {}, {}, CharCodeNames(), {}, false, AddressMenu::None},
        {PropViewOrder, 0, S("バイトオーダー"), order[0], S("構造体編集や情報ウィンドウで反映されます。"), {}, order, {}, false, AddressMenu::None},
        {PropSyncScroll, 0, S("同期スクロール"), S("OFF"), S("並べて表示しているウィンドウと同期します。"), {}, {S("OFF"), S("ON")}, {}, false, AddressMenu::None},

        {PropSearchForm, 1, S("形式"), order[0], S("文字列を入力した場合はビッグエンディアン固定"), {}, order, {}, false, AddressMenu::None},
        {PropSearchDecimal, 1, S("10進数"), {}, {}, kDecimalDigits, {}, {}, false, AddressMenu::None},
        {PropSearchHex, 1, S("16進数"), {}, S("ワイルドカードの?を使用できます。\n(例 0?FF??D0"), kHexDigits + QLatin1Char('?'), {}, {}, true, AddressMenu::None},
        {PropSearchText, 1, S("文字列"), {}, {}, {}, {}, {}, false, AddressMenu::None},
        {PropSearchCode, 1, S("文字コード"), S("Shift-JIS"), {}, {}, searchCodes, {}, false, AddressMenu::None},

        {PropReplaceNumber, 2, S("数値"), {}, S("16進数は0xを入力　(例 999->0x3E7\n空で検索データを削除します。"), S("0123456789abcdefABCDEFx"), {}, {}, false, AddressMenu::None},
        {PropReplaceText, 2, S("文字列"), {}, S("検索と同じ文字コードを使用します。"), {}, {}, {}, false, AddressMenu::None},
        {PropReplaceScope, 2, S("置換範囲"), S("現在位置から下"), {}, {}, {S("現在位置から上"), S("現在位置から下"), S("全体"), S("選択範囲内")}, {}, false, AddressMenu::None},

        {PropJumpType, 3, S("設定"), S("絶対値"), {}, {}, {S("絶対値"), S("下相対値"), S("上相対値")}, {}, false, AddressMenu::None},
        {PropJumpAddress, 3, S("アドレス"), S("00000000-00000000"), S("16進数"), kHexDigits, {}, kAddressMask, true, AddressMenu::None},

        {PropSameBytes, 4, S("バイト数"), S("0"), {}, kDecimalDigits, {}, {}, true, AddressMenu::None},
        {PropSameStart, 4, S("開始アドレス"), S("00000000-00000000"), {}, kHexDigits, {}, kAddressMask, true, AddressMenu::Head},
        {PropSameRange, 4, S("範囲"), S("00010000"), {}, kHexDigits, {}, QStringLiteral("________"), true, AddressMenu::Range},
        {PropSameLimit, 4, S("1グループ件数"), S("50"), S("1グループの最大検索件数、件数を超えたら次を検索します。"), kDecimalDigits, {}, {}, false, AddressMenu::None},

        {PropSumStart, 5, S("開始アドレス"), S("00000000-00000000"), {}, kHexDigits, {}, kAddressMask, true, AddressMenu::Head},
        {PropSumEnd, 5, S("終了アドレス"), S("00000000-00000001"), {}, kHexDigits, {}, kAddressMask, true, AddressMenu::Tail},
        {PropSumMethod, 5, S("計算方法"), S("加算"), {}, {}, {S("加算"), S("減算"), S("XOR"), S("CRC32"), S("MD5"), S("SHA-256"), S("SHA-384"), S("SHA-512")}, {}, false, AddressMenu::None},
        {PropSumInitial, 5, S("初期値"), S("0"), S("16進数"), kHexDigits, {}, {}, true, AddressMenu::None},
    };
    return defs;
}

} // namespace

const QStringList& CharCodeNames()
{
    static const QStringList names = {
        QStringLiteral("ASCII"), QStringLiteral("JIS"), QStringLiteral("Shift-JIS"), QStringLiteral("EUC"), QStringLiteral("Unicode"),
        QStringLiteral("UnicodeBE"), QStringLiteral("UTF-8"), QStringLiteral("EBCDIC"), QStringLiteral("EBCDIK"),
    };
    return names;
}

const std::vector<PROPERTYCATEGORY>& PropertyCategories()
{
    static const std::vector<PROPERTYCATEGORY> categories = {
        {S("表示"), {}, true},
        {S("検索"), {}, true},
        {S("置換"), S("置換元のデータは上の検索を使用、数値はリトルエンディアン固定です。"), true},
        {S("アドレスジャンプ"), S("選択状態なら指定したアドレスまで選択範囲を拡大します。"), true},
        {S("同一検索"), {}, false},
        {S("SUM計算"), {}, false},
    };
    return categories;
}

const std::vector<PROPERTYDEF>& PropertyDefinitions()
{
    static const std::vector<PROPERTYDEF> defs = MakeDefinitions();
    return defs;
}

const PROPERTYDEF& PropertyDefinition(PropId id)
{
    return PropertyDefinitions().at(static_cast<size_t>(id));
}
