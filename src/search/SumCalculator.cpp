// Accumulations, CRC32 and OpenSSL digests over an address range, and their result lines.
#include "search/SumCalculator.h"

#include "document/AlignedReader.h"
#include "search/HexFormat.h"
#include "search/PatternScanner.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Tables for slicing-by-16: table k maps a byte that lies k bytes before the end of a 16-byte step.
struct CrcTables
{
    std::array<std::array<uint32_t, 256>, 16> t{};
    CrcTables()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int k = 1; k < 16; ++k)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
};

const CrcTables& Tables()
{
    static const CrcTables tables;
    return tables;
}

uint32_t Load32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Sums (or XORs) of the 1-, 2- and 4-byte reads of one stretch of the range. `p` holds `count`
// range bytes followed by up to 3 look-ahead bytes; `avail` counts all bytes that exist from p.
// The stretch starts at a range offset that is a multiple of 4.
struct Partial
{
    uint32_t s1 = 0, s2 = 0, s4 = 0;
};

template <bool Xor>
void Accumulate(const uint8_t* p, size_t count, size_t avail, Partial& acc)
{
    auto op = [](uint32_t a, uint32_t v) { return Xor ? a ^ v : a + v; };
    // Words that lie whole among the existing bytes; the last ones are handled one by one.
    const size_t full4 = avail >= 4 ? std::min(count, avail - 3) : 0;
    const size_t full2 = avail >= 2 ? std::min(count, avail - 1) : 0;
    uint32_t s1 = acc.s1, s2 = acc.s2, s4 = acc.s4;
    for (size_t j = 0; j < count; ++j)
        s1 = op(s1, p[j]);
    size_t j = 0;
    for (; j < full2; j += 2)
        s2 = op(s2, uint32_t(p[j]) | uint32_t(p[j + 1]) << 8);
    for (; j < count; j += 2) // the word would reach past the document: the byte alone
        s2 = op(s2, p[j]);
    j = 0;
    for (; j < full4; j += 4)
        s4 = op(s4, Load32(p + j));
    for (; j < count; j += 4) {
        uint32_t v = 0;
        for (size_t t = 0; t < 4 && j + t < avail; ++t)
            v |= uint32_t(p[j + t]) << (8 * t);
        s4 = op(s4, v);
    }
    acc.s1 = s1;
    acc.s2 = s2;
    acc.s4 = s4;
}

QString Lower(uint64_t v)
{
    return QString::number(v, 16);
}

QString Upper8(uint32_t v)
{
    QString s;
    hexfmt::AppendHex(s, v, 8);
    return s;
}

const EVP_MD* DigestOf(SumMethod m)
{
    switch (m) {
    case SumMethod::Md5: return EVP_md5();
    case SumMethod::Sha256: return EVP_sha256();
    case SumMethod::Sha384: return EVP_sha384();
    case SumMethod::Sha512: return EVP_sha512();
    default: return nullptr;
    }
}

// One byte-wide step of the table algorithm over a zero byte, as a linear map of the register.
uint32_t CrcZeroStep(uint32_t c)
{
    return (c >> 8) ^ Tables().t[0][c & 0xFF];
}

// A linear map of the 32-bit register over GF(2), held as the images of the 32 unit vectors.
using CrcMatrix = std::array<uint32_t, 32>;

uint32_t Apply(const CrcMatrix& m, uint32_t v)
{
    uint32_t r = 0;
    for (int i = 0; v; ++i, v >>= 1)
        if (v & 1)
            r ^= m[i];
    return r;
}

CrcMatrix Compose(const CrcMatrix& outer, const CrcMatrix& inner)
{
    CrcMatrix r;
    for (int i = 0; i < 32; ++i)
        r[i] = Apply(outer, inner[i]);
    return r;
}

// The register after `n` more zero bytes, in about 64 small matrix products instead of n steps:
// a hole of a sparse file costs nothing to read and next to nothing to checksum.
uint32_t Crc32ZeroBytes(uint32_t crc, uint64_t n)
{
    CrcMatrix power;
    for (int i = 0; i < 32; ++i)
        power[i] = CrcZeroStep(uint32_t(1) << i);
    while (n) {
        if (n & 1)
            crc = Apply(power, crc);
        n >>= 1;
        if (n)
            power = Compose(power, power);
    }
    return crc;
}

// Calls `feed(bytes, count, avail)` for the range in order, from memory or in blocks of 1 MiB
// read at page-aligned offsets; every call but the last covers a multiple of 4 bytes, so words
// keep their places. `extra` look-ahead bytes past the end are included where they exist (the
// accumulations). The interior of a hole goes to `zeros(count)` (count a multiple of 4) unread.
template <typename Feed, typename Zeros>
bool ForRange(ByteSource& source, uint64_t start, uint64_t end, size_t extra, QString& error, const Feed& feed,
              const Zeros& zeros)
{
    if (SourceFailed(source)) {
        error = source.ErrorText();
        return false;
    }
    if (start > end)
        return true;
    const uint64_t size = source.Size();
    if (const uint8_t* data = source.Data()) {
        const uint64_t count = end - start + 1;
        const size_t avail = static_cast<size_t>(std::min<uint64_t>(count + extra, size - start));
        feed(data + start, static_cast<size_t>(count), avail);
        if (SourceFailed(source)) { // a mapped file was cut shorter while it was read
            error = source.ErrorText();
            return false;
        }
        return true;
    }
    const uint64_t rangeEnd = end + 1; // end < size here
    const uint64_t readEnd = std::min<uint64_t>(size, rangeEnd + extra);
    AlignedReader reader(source, start, readEnd, 8);
    reader.SetSkipHoles(true);
    static const std::vector<uint8_t> zeroBlock(8 + 3, 0);
    uint64_t pos = start; // the first range byte not fed yet
    while (pos < rangeEnd && reader.Next(pos)) {
        const uint64_t stop = std::min(reader.End(), rangeEnd);
        if (reader.End() >= readEnd) {
            // The last window: the rest of the range and what exists of the look-ahead.
            const size_t count = static_cast<size_t>(rangeEnd - pos);
            const size_t avail = static_cast<size_t>(readEnd - pos);
            if (reader.IsZero()) {
                const uint64_t whole = count & ~uint64_t(3);
                zeros(whole);
                pos += whole;
                feed(zeroBlock.data(), count - static_cast<size_t>(whole), avail - static_cast<size_t>(whole));
            } else {
                feed(reader.Data() + (pos - reader.Start()), count, avail);
            }
            pos = rangeEnd;
            break;
        }
        const uint64_t whole = (stop - pos) & ~uint64_t(3);
        if (whole == 0)
            continue;
        if (reader.IsZero())
            zeros(whole);
        else
            feed(reader.Data() + (pos - reader.Start()), static_cast<size_t>(whole), static_cast<size_t>(whole));
        pos += whole;
    }
    if (pos < rangeEnd || reader.Failed() || reader.CutShort()) {
        error = reader.Failed() || reader.CutShort() ? reader.ErrorText()
                                                     : QStringLiteral("ファイルを最後まで読み込めませんでした。");
        if (error.isEmpty())
            error = QStringLiteral("ファイルを最後まで読み込めませんでした。");
        return false;
    }
    return true;
}

} // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* p, size_t n)
{
    const auto& t = Tables().t;
    while (n >= 16) {
        const uint32_t a = Load32(p) ^ crc;
        const uint32_t b = Load32(p + 4);
        const uint32_t c = Load32(p + 8);
        const uint32_t d = Load32(p + 12);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24]
            ^ t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24]
            ^ t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24]
            ^ t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
        p += 16;
        n -= 16;
    }
    while (n--)
        crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
    return crc;
}

QString SumMethodName(SumMethod method)
{
    switch (method) {
    case SumMethod::Add: return QStringLiteral("加算");
    case SumMethod::Subtract: return QStringLiteral("減算");
    case SumMethod::Xor: return QStringLiteral("XOR");
    case SumMethod::Crc32: return QStringLiteral("CRC32");
    case SumMethod::Md5: return QStringLiteral("MD5");
    case SumMethod::Sha256: return QStringLiteral("SHA-256");
    case SumMethod::Sha384: return QStringLiteral("SHA-384");
    case SumMethod::Sha512: return QStringLiteral("SHA-512");
    }
    return {};
}

std::optional<SumMethod> SumMethodFromName(const QString& name)
{
    for (int m = 0; m <= 7; ++m)
        if (SumMethodName(static_cast<SumMethod>(m)) == name)
            return static_cast<SumMethod>(m);
    return std::nullopt;
}

SumResult RunSum(ByteSource& source, SumRequest& request, SumMethod method)
{
    SumResult result;
    const uint64_t size = source.Size();
    const bool unreadable = SourceFailed(source); // the lines still show, with the initial values
    if (size == 0 && !unreadable)
        return result;
    result.computed = true;
    if (size > 0 && request.end >= size)
        request.end = size - 1;
    const uint64_t start = request.start;
    const uint64_t end = request.end;
    const QString range = Lower(start) + QStringLiteral(" - ") + Lower(end);
    const QString name = SumMethodName(method);
    QStringList& lines = result.lines;
    lines << QStringLiteral("----- %1 -----").arg(name);

    switch (method) {
    case SumMethod::Add:
    case SumMethod::Subtract:
    case SumMethod::Xor: {
        const uint32_t init = static_cast<uint32_t>(request.initial);
        Partial acc;
        QString error;
        const bool ok = ForRange(source, start, end, 3, error, [&](const uint8_t* p, size_t count, size_t avail) {
            if (method == SumMethod::Xor)
                Accumulate<true>(p, count, avail, acc);
            else
                Accumulate<false>(p, count, avail, acc);
        }, [](uint64_t) {}); // zeros add nothing and leave every XOR as it was
        uint32_t a1 = init, a2 = init, a4 = init;
        if (ok) {
            switch (method) {
            case SumMethod::Add: a1 += acc.s1; a2 += acc.s2; a4 += acc.s4; break;
            case SumMethod::Subtract: a1 -= acc.s1; a2 -= acc.s2; a4 -= acc.s4; break;
            default: a1 ^= acc.s1; a2 ^= acc.s2; a4 ^= acc.s4; break;
            }
        } else {
            result.errorText = error;
        }
        lines << QStringLiteral("初期値  %1 --- 計算範囲  ").arg(QString::number(init, 16).toUpper()) + range;
        lines << QStringLiteral("読み込み幅1Byte  ") + Upper8(a1);
        lines << QStringLiteral("読み込み幅2Byte  ") + Upper8(a2);
        lines << QStringLiteral("読み込み幅4Byte  ") + Upper8(a4);
        break;
    }
    case SumMethod::Crc32: {
        uint32_t crc = Crc32Begin();
        QString error;
        const bool ok = ForRange(source, start, end, 0, error, [&](const uint8_t* p, size_t count, size_t) {
            crc = Crc32Update(crc, p, count);
        }, [&](uint64_t n) { crc = Crc32ZeroBytes(crc, n); });
        if (!ok)
            result.errorText = error;
        lines << QStringLiteral("計算範囲  ") + range;
        lines << Upper8(ok ? Crc32End(crc) : 0);
        break;
    }
    default: {
        lines << QStringLiteral("計算範囲  ") + range;
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
        bool ok = ctx && EVP_DigestInit_ex(ctx.get(), DigestOf(method), nullptr) == 1;
        QString error;
        // A hole is hashed from a block of zeros in memory, not read.
        std::vector<uint8_t> zeroBlock;
        auto update = [&](const uint8_t* p, size_t count) {
            if (EVP_DigestUpdate(ctx.get(), p, count) != 1)
                error = QStringLiteral("ハッシュ値を計算できませんでした。");
        };
        if (ok)
            ok = ForRange(source, start, end, 0, error, [&](const uint8_t* p, size_t count, size_t) { update(p, count); },
                          [&](uint64_t n) {
                              zeroBlock.resize(size_t(256) << 10);
                              while (n && error.isEmpty()) {
                                  const size_t take = static_cast<size_t>(std::min<uint64_t>(n, zeroBlock.size()));
                                  update(zeroBlock.data(), take);
                                  n -= take;
                              }
                          }) && error.isEmpty();
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int len = 0;
        if (ok)
            ok = EVP_DigestFinal_ex(ctx.get(), md, &len) == 1;
        if (ok) {
            QString hex;
            hexfmt::AppendBytes(hex, md, len);
            lines << hex;
        } else {
            // No digest line: a digest of partly read data would be a wrong answer.
            lines << QStringLiteral("ハッシュ値を計算できませんでした。");
            result.errorText = error;
        }
        break;
    }
    }
    lines << QString();
    return result;
}
