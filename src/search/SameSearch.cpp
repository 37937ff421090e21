// Same search by hashing every window of the range, sorting the hashes and confirming equal
// hashes byte by byte.
#include "search/SameSearch.h"

#include "document/AlignedBuffer.h"
#include "search/HexFormat.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr uint64_t kMersenne = (uint64_t(1) << 61) - 1;

uint64_t MulMod(uint64_t a, uint64_t b)
{
    const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
    uint64_t r = static_cast<uint64_t>(p & kMersenne) + static_cast<uint64_t>(p >> 61);
    if (r >= kMersenne)
        r -= kMersenne;
    return r;
}

uint32_t Mix32(uint64_t h)
{
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return static_cast<uint32_t>(h >> 32);
}

// Stable LSD radix sort on the high 32 bits: entries with equal hashes keep their ascending offsets.
void SortByHash(std::vector<uint64_t>& v, std::vector<uint64_t>& tmp, const std::atomic<bool>& stop)
{
    const int shifts[] = {32, 43, 54};
    const int widths[] = {11, 11, 10};
    for (int pass = 0; pass < 3 && !stop.load(std::memory_order_relaxed); ++pass) {
        const int shift = shifts[pass];
        const uint64_t mask = (uint64_t(1) << widths[pass]) - 1;
        std::vector<size_t> count(size_t(1) << widths[pass], 0);
        for (uint64_t x : v)
            ++count[(x >> shift) & mask];
        size_t sum = 0;
        for (size_t& c : count) {
            const size_t k = c;
            c = sum;
            sum += k;
        }
        for (uint64_t x : v)
            tmp[count[(x >> shift) & mask]++] = x;
        v.swap(tmp);
    }
}

struct GroupSpan
{
    uint32_t first; // offset of the first occurrence
    uint32_t begin; // index of its offsets in the flat list
    uint32_t count;
};

} // namespace

QString SameSearchKey(const uint8_t* bytes, size_t n)
{
    QString key;
    key.reserve(static_cast<qsizetype>(3 * n));
    for (size_t i = 0; i < n; ++i) {
        hexfmt::AppendBytes(key, bytes + i, 1);
        key += QLatin1Char(' ');
    }
    return key;
}

SameSearchResult RunSameSearch(ByteSource& source, const SameSearchRequest& request,
                               const std::atomic<bool>& stop, const std::function<void(double)>& progress)
{
    SameSearchResult result;
    auto report = [&](double f) {
        if (progress)
            progress(f);
    };
    auto stopped = [&] { return stop.load(std::memory_order_relaxed); };
    if (SourceFailed(source)) {
        result.status = ScanResult::Failed;
        result.errorText = source.ErrorText();
        return result;
    }
    const uint64_t size = source.Size();
    const uint64_t end = std::min(request.end, size);
    if (request.n <= 0 || request.groupLimit <= 0 || request.start >= end
        || end - request.start < static_cast<uint64_t>(request.n)) {
        report(1.0);
        return result;
    }
    const size_t n = static_cast<size_t>(request.n);
    uint64_t span = end - request.start;
    if (span - n + 1 > 0xFFFFFFFFull) {
        result.status = ScanResult::Failed;
        result.errorText = QStringLiteral("検索範囲が大きすぎます。");
        return result;
    }
    const uint64_t cap = std::max<int64_t>(request.groupLimit, 2);

    try {
        // The bytes of the range, contiguous, read from the page that holds its start.
        AlignedBuffer copy;
        const uint8_t* data = source.Data();
        if (data) {
            data += request.start;
        } else {
            const uint64_t at = AlignedBuffer::AlignDown(request.start);
            const size_t lead = static_cast<size_t>(request.start - at);
            copy.Reserve(lead + static_cast<size_t>(span));
            uint64_t done = 0; // bytes of the range read
            uint64_t pos = at;
            while (done < span) {
                if (stopped()) {
                    result.status = ScanResult::Stopped;
                    return result;
                }
                const size_t want = static_cast<size_t>(std::min<uint64_t>(PatternScanner::kBlockSize,
                                                                           request.start + span - pos));
                const int64_t got = source.Read(pos, copy.Data() + (pos - at), want);
                if (got < 0) {
                    result.status = ScanResult::Failed;
                    result.errorText = source.ErrorText();
                    return result;
                }
                if (got == 0)
                    break; // the file shrank: the range ends where its data end
                pos += static_cast<uint64_t>(got);
                done = pos > request.start ? pos - request.start : 0;
                report(0.2 * static_cast<double>(done) / static_cast<double>(span));
            }
            if (done < n) {
                report(1.0);
                return result;
            }
            span = done;
            data = copy.Data() + lead;
        }
        const uint64_t windows = span - n + 1;

        // Hash of every window: the bytes themselves up to 4 bytes, else a polynomial hash
        // modulo 2^61-1 rolled from window to window.
        const size_t count = static_cast<size_t>(windows);
        std::vector<uint64_t> keys(count);
        if (n <= 4) {
            for (size_t i = 0; i < count; ++i) {
                uint32_t h = 0;
                for (size_t k = 0; k < n; ++k)
                    h = (h << 8) | data[i + k];
                keys[i] = (static_cast<uint64_t>(h) << 32) | i;
                if ((i & 0xFFFFF) == 0 && stopped())
                    break;
            }
        } else {
            const uint64_t base = 0x1F3D5B79A3C1E5ull % kMersenne;
            uint64_t top = 1; // base^(n-1)
            for (size_t k = 1; k < n; ++k)
                top = MulMod(top, base);
            uint64_t h = 0;
            for (size_t k = 0; k < n; ++k)
                h = (MulMod(h, base) + data[k] + 1) % kMersenne;
            for (size_t i = 0;; ++i) {
                keys[i] = (static_cast<uint64_t>(Mix32(h)) << 32) | i;
                if (i + 1 == count)
                    break;
                // Remove the leaving byte, shift, add the entering byte.
                h = (h + kMersenne - MulMod(data[i] + 1, top)) % kMersenne;
                h = (MulMod(h, base) + data[i + n] + 1) % kMersenne;
                if ((i & 0xFFFFF) == 0) {
                    if (stopped())
                        break;
                    report(0.2 + 0.3 * static_cast<double>(i) / static_cast<double>(count));
                }
            }
        }
        if (stopped()) {
            result.status = ScanResult::Stopped;
            return result;
        }
        report(0.5);
        {
            std::vector<uint64_t> tmp(count);
            SortByHash(keys, tmp, stop);
        }
        if (stopped()) {
            result.status = ScanResult::Stopped;
            return result;
        }
        report(0.8);

        // Runs of equal hashes: split by content, keep sequences that occur twice or more.
        std::vector<uint32_t> flat;
        std::vector<GroupSpan> spans;
        std::vector<uint32_t> rest, next;
        size_t i = 0;
        size_t runs = 0;
        while (i < count) {
            size_t j = i + 1;
            const uint64_t h = keys[i] >> 32;
            while (j < count && (keys[j] >> 32) == h)
                ++j;
            if (j - i >= 2) {
                rest.clear();
                for (size_t k = i; k < j; ++k)
                    rest.push_back(static_cast<uint32_t>(keys[k]));
                while (rest.size() >= 2) {
                    // The first remaining offset is its sequence's first occurrence in this run.
                    const uint32_t rep = rest[0];
                    const size_t begin = flat.size();
                    uint64_t found = 1;
                    flat.push_back(rep);
                    next.clear();
                    for (size_t k = 1; k < rest.size(); ++k) {
                        const uint32_t off = rest[k];
                        if (std::memcmp(data + rep, data + off, n) == 0) {
                            if (found < cap)
                                flat.push_back(off);
                            ++found;
                        } else {
                            next.push_back(off);
                        }
                    }
                    if (found >= 2)
                        spans.push_back({rep, static_cast<uint32_t>(begin), static_cast<uint32_t>(flat.size() - begin)});
                    else
                        flat.resize(begin);
                    rest.swap(next);
                }
            }
            i = j;
            if ((++runs & 0xFFFF) == 0 && stopped()) {
                result.status = ScanResult::Stopped;
                return result;
            }
        }
        keys = {};
        std::sort(spans.begin(), spans.end(), [](const GroupSpan& a, const GroupSpan& b) { return a.first < b.first; });
        report(0.9);

        result.groups.reserve(spans.size());
        for (size_t g = 0; g < spans.size(); ++g) {
            if ((g & 0xFFFF) == 0 && stopped()) {
                result.status = ScanResult::Stopped;
                return result;
            }
            const GroupSpan& s = spans[g];
            SAMESEARCHLIST group;
            group.key = SameSearchKey(data + s.first, n);
            group.addresses.resize(s.count);
            for (uint32_t k = 0; k < s.count; ++k)
                group.addresses[k] = request.start + flat[s.begin + k];
            result.groups.push_back(std::move(group));
        }
        if (SourceFailed(source)) {
            // A mapped file was cut shorter during the search: its groups cannot be trusted.
            result.groups.clear();
            result.status = ScanResult::Failed;
            result.errorText = source.ErrorText();
            return result;
        }
    } catch (const std::bad_alloc&) {
        result.groups.clear();
        result.status = ScanResult::Failed;
        result.errorText = QStringLiteral("メモリが不足しています。");
        return result;
    }
    report(1.0);
    return result;
}

QStringList SameSearchAllLines(const std::vector<SAMESEARCHLIST>& groups)
{
    QStringList lines;
    qint64 total = 0;
    for (const SAMESEARCHLIST& g : groups) {
        for (uint64_t a : g.addresses) {
            QString line;
            line.reserve(19 + g.key.size());
            hexfmt::AppendAddress(line, a, true);
            line += QLatin1String("  ");
            line += g.key;
            lines.push_back(std::move(line));
            ++total;
        }
    }
    lines.push_back(QString());
    lines.push_back(QStringLiteral("%1件").arg(total));
    return lines;
}

QStringList SameSearchGroupLines(const SAMESEARCHLIST& group)
{
    QStringList lines;
    for (uint64_t a : group.addresses)
        lines.push_back(hexfmt::Address(a, true));
    lines.push_back(QString());
    lines.push_back(QStringLiteral("%1件").arg(group.addresses.size()));
    return lines;
}

QString SameSearchGroupCountEntry(qint64 groups)
{
    return QStringLiteral("%1グループ").arg(groups);
}

QString SameSearchStoppedLine()
{
    return QStringLiteral("検索を中止しました。");
}
