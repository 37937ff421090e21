// The conversions between the search fields (10進数, 16進数, 文字列) and the 置換 数値 field.
#pragma once

#include <QString>

// 10進数 → 16進数: the digits as a signed 32-bit number (empty is 0, above 2147483647 is
// 2147483647), upper-case hexadecimal without leading zeros, a "0" in front for an odd count:
// "999" gives "03E7", "" gives "00".
QString SearchDecimalToHex(const QString& decimal);
// 16進数 → 10進数: the value of the digits after the last "?", in decimal.
QString SearchHexToDecimal(const QString& hex);

// 文字列 → 16進数 and 10進数, in the 検索 文字コード named `codeName`.
struct EncodedSearchText
{
    QString hex;
    QString decimal; // the hexadecimal text read as one unsigned 64-bit number
};
EncodedSearchText EncodeSearchString(const QString& text, const QString& codeName);
// 置換 文字列 → 数値: "0x" followed by the encoded bytes.
QString EncodeReplaceString(const QString& text, const QString& codeName);

// True for the names of the nine character codes, exactly as the choice lists write them.
bool IsCharCodeName(const QString& name);
