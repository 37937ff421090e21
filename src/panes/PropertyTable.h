// The properties pane's six categories and their properties: names, defaults, descriptions,
// accepted characters, choices and masks.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Every property of the grid, in the grid's order.
enum PropId : int {
    PropViewCode, PropViewOrder, PropSyncScroll,                                        // 表示
    PropSearchForm, PropSearchDecimal, PropSearchHex, PropSearchText, PropSearchCode,  // 検索
    PropReplaceNumber, PropReplaceText, PropReplaceScope,                               // 置換
    PropJumpType, PropJumpAddress,                                                      // アドレスジャンプ
    PropSameBytes, PropSameStart, PropSameRange, PropSameLimit,                         // 同一検索
    PropSumStart, PropSumEnd, PropSumMethod, PropSumInitial,                            // SUM計算
    PropCount
};

// The menus of the address buttons: 先頭, 末尾, 範囲.
enum class AddressMenu : int { None = 0, Head = 1, Tail = 2, Range = 3 };

struct PROPERTYDEF
{
    PropId id;
    int category;          // index into PropertyCategories()
    QString name;
    QString value;         // the default
    QString description;   // may be empty
    QString accepted;      // characters an entry takes; empty: any (or a choice list)
    QStringList options;   // a drop-down list when not empty
    QString mask;          // "________-________": 8 or 16 hexadecimal digits; empty: none
    bool upperCase = false;
    AddressMenu menu = AddressMenu::None;
};

struct PROPERTYCATEGORY
{
    QString name;
    QString description;
    bool expanded;
};

const std::vector<PROPERTYCATEGORY>& PropertyCategories();
const std::vector<PROPERTYDEF>& PropertyDefinitions();
const PROPERTYDEF& PropertyDefinition(PropId id);

// The nine character code names in the order of their values 0-8.
const QStringList& CharCodeNames();
