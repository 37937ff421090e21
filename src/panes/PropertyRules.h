// What a change of a property of the properties pane does to the other properties and to the
// active view, and how the pane reads its fields into requests.
#pragma once

#include "panes/PropertyTable.h"
#include "search/SameSearch.h"
#include "search/SearchPattern.h"
#include "search/SumCalculator.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The current text of a property.
using PropertyReader = std::function<QString(PropId)>;

// The consequences of one value changed by the user.
struct PropertyChangeEffect
{
    std::vector<std::pair<PropId, QString>> writes; // values the pane writes back
    bool discardPattern = false;                     // the search pattern goes
    std::optional<int> viewCharCode;                 // UM_SETCHARCODE to the active view
    std::optional<int> viewByteOrder;                // 0 little endian, 1 big endian
    std::optional<bool> syncScroll;                  // the synchronised-scrolling switch
};

namespace PropertyRules {

PropertyChangeEffect OnChanged(PropId id, const QString& value, const PropertyReader& valueOf);

// True when every character of `text` is one the property accepts (a property without a set of
// accepted characters takes anything; a masked one also takes its "-").
bool Accepts(const PROPERTYDEF& def, const QString& text);

// "%08X-%08X" of the high and low 32 bits.
QString AddressText(uint64_t address);
// The 範囲 menu's length from `start` to `end` inclusive: "%08X" of the low 32 bits of
// end - start + 1, or "00000001" when the end is not beyond the start.
QString RangeLengthText(uint64_t start, uint64_t end);
// An address or hexadecimal field: "-" and leading "0" characters removed, the rest read as
// hexadecimal (an unreadable text reads as 0).
uint64_t ReadHexField(const QString& text);

// 0-8 for a character code name, -1 for anything else.
int CharCodeOfName(const QString& name);
// The name shown for a code: codes outside 0-8 show "Shift-JIS".
QString NameOfCharCode(int code);
// 設定 of アドレスジャンプ: 絶対値 0, 下相対値 1, 上相対値 2.
int JumpTypeOf(const QString& name);

// The search pattern of the 検索 category's 16進数 text: written order when 文字列 is filled or
// 形式 is ビッグエンディアン. Nothing for an empty or unreadable text.
std::optional<SearchPattern> BuildSearchPattern(const PropertyReader& valueOf);

// The 同一検索 request; nothing when バイト数 is 0 (no search is started).
std::optional<SameSearchRequest> BuildSameSearchRequest(const PropertyReader& valueOf);

// The SUM計算 request and its method; nothing when the end is below the start.
std::optional<std::pair<SumRequest, int>> BuildSumRequest(const PropertyReader& valueOf);

} // namespace PropertyRules
