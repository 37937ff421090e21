// 指定範囲をファイル出力: checking the typed range and copying its bytes into a new file.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class ByteSource;

// The typed fields of the dialog (or the command line) and the facts they are checked against.
struct RangeOutputInput
{
    QString startText;
    QString endText;
    QString destination;
    uint64_t fileSize = 0;
};

// A checked range: bytes start through end inclusive, into `destination`.
struct RangeOutputRequest
{
    uint64_t start = 0;
    uint64_t end = 0;
    QString destination;
};

// Checks the fields in the dialog's order and returns the first failure's message ("" when the
// request is good): a start or end that is not hexadecimal (or needs more than 16 digits) is
// "開始アドレスが正しくありません。" / "終了アドレスが正しくありません。"; start > end is
// "開始アドレスが不正な値です。"; an end at or past the file size is
// "終了アドレスがファイルサイズを超えています。"; an empty destination "出力先が未入力です。".
// Lower-case digits are accepted; an empty address is 0.
QString ValidateRangeOutput(const RangeOutputInput& input, RangeOutputRequest& request);

// The value of an address field: hexadecimal digits (either case), at most 16 significant ones,
// empty = 0. False for anything else.
bool ParseAddressField(const QString& text, uint64_t& value);

// Progress of a copy: bytes done of the total; return false to cancel.
using CopyProgress = std::function<bool(uint64_t done, uint64_t total)>;

// Copies the request's bytes from `source` into its destination in large blocks, through the
// program's safe writer: the destination is replaced only by the complete, synced copy; a read or
// write failure or a cancel leaves it as it was, and devices, folders and pipes are refused.
// False with the system's text in `error` (empty after a cancel).
bool WriteRangeToFile(ByteSource& source, const RangeOutputRequest& request, const CopyProgress& progress,
                      QString* error);
