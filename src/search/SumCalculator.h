// SUM計算: 32-bit accumulations at three read widths, CRC32 and message digests over a range.
#pragma once

#include "document/ByteSource.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <optional>

// The 計算方法 codes, in the order of the choice list.
enum class SumMethod : int { Add = 0, Subtract = 1, Xor = 2, Crc32 = 3, Md5 = 4, Sha256 = 5, Sha384 = 6, Sha512 = 7 };

struct SumRequest
{
    uint64_t start = 0;
    uint64_t end = 0;     // inclusive; cut to the last byte of the document
    uint64_t initial = 0; // the accumulations start at its low 32 bits
};

struct SumResult
{
    bool computed = false; // false for an empty document: nothing is shown
    QStringList lines;     // the SUM結果 lines, ending with an empty line
    QString errorText;     // a read failure, to be shown in an "エラー" box; empty when none
};

// "加算", "減算", "XOR", "CRC32", "MD5", "SHA-256", "SHA-384", "SHA-512".
QString SumMethodName(SumMethod method);
std::optional<SumMethod> SumMethodFromName(const QString& name);

// Computes `method` over request.start .. request.end (end cut to the source's last byte, which
// the request then holds). Words of the accumulations start at every 2nd and 4th byte of the
// range, read little-endian, and may reach past its end as far as the source has bytes.
SumResult RunSum(ByteSource& source, SumRequest& request, SumMethod method);

// The CRC-32 of ISO 3309 (reflected 0xEDB88320). Feed `state` from Crc32Begin() through
// Crc32Update, then Crc32End.
inline uint32_t Crc32Begin() { return 0xFFFFFFFFu; }
uint32_t Crc32Update(uint32_t state, const uint8_t* data, size_t n);
inline uint32_t Crc32End(uint32_t state) { return ~state; }
