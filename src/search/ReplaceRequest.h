// The replacement of a replace command: its bytes (or none) and its scope.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// 現在位置から上, 現在位置から下, 全体, 選択範囲内.
enum class ReplaceScope : uint8_t { Upward = 0, Downward = 1, Whole = 2, Selection = 3 };

struct ReplaceRequest
{
    // False: the hits are deleted (the 数値 text was empty).
    bool hasReplacement = false;
    std::vector<uint8_t> bytes; // written into the document in this order
    ReplaceScope scope = ReplaceScope::Downward;

    // Builds the request from the 数値 text of the 置換 category. A text that does not begin with
    // "0x" is a decimal number (leading digits, clamped to 2147483647) written as hexadecimal;
    // after "0x" come hexadecimal digits. The digits become bytes in written order when
    // `fromString` (the 置換 文字列 was filled), else in reversed order (little-endian).
    // Returns nothing when the digits after "0x" are not hexadecimal.
    static std::optional<ReplaceRequest> Build(const QString& numberText, bool fromString, ReplaceScope scope);
};

// The signed 32-bit value of a decimal field: the leading digits (an empty text is 0), values
// above 2147483647 read as 2147483647.
int32_t ReadDecimalField(const QString& text);
