// Same search by hashing every window of the range, sorting the hashes and confirming equal
// hashes byte by byte.
#include "search/SameSearch.h"

#include "document/AlignedBuffer.h"
#include "search/HexFormat.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <unistd.h>

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

// The hash of each window in turn: up to 4 bytes the bytes themselves (left-aligned, so that
// their first byte picks the bucket), else a polynomial hash modulo 2^61-1 rolled from window to
// window and mixed down to 32 bits.
class WindowHasher
{
public:
    WindowHasher(const uint8_t* data, size_t n) : m_data(data), m_n(n)
    {
        if (n <= 4) {
            for (size_t k = 0; k < n; ++k)
                m_value = (m_value << 8) | data[k];
            m_shift = static_cast<int>(8 * (4 - n));
            m_mask = n == 4 ? 0xFFFFFFFFu : (uint32_t(1) << (8 * n)) - 1;
            return;
        }
        const uint64_t base = 0x1F3D5B79A3C1E5ull % kMersenne;
        for (size_t k = 1; k < n; ++k)
            m_top = MulMod(m_top, base);
        m_base = base;
        for (size_t k = 0; k < n; ++k)
            m_h = (MulMod(m_h, base) + data[k] + 1) % kMersenne;
    }

    uint32_t Hash() const { return m_n <= 4 ? m_value << m_shift : Mix32(m_h); }

    // Moves from window i to window i + 1 (whose last byte must exist).
    void Advance(size_t i)
    {
        if (m_n <= 4) {
            m_value = ((m_value << 8) | m_data[i + m_n]) & m_mask;
            return;
        }
        // Remove the leaving byte, shift, add the entering byte.
        m_h = (m_h + kMersenne - MulMod(m_data[i] + 1, m_top)) % kMersenne;
        m_h = (MulMod(m_h, m_base) + m_data[i + m_n] + 1) % kMersenne;
    }

private:
    const uint8_t* m_data;
    size_t m_n;
    uint32_t m_value = 0;
    uint32_t m_mask = 0;
    int m_shift = 0;
    uint64_t m_h = 0;
    uint64_t m_top = 1;
    uint64_t m_base = 0;
};

// Thrown out of a sort when the stop flag is seen; the table is given up then.
struct SortStopped {};

constexpr int kBucketBits = 8; // few enough write streams for the placing pass to stay in cache
constexpr size_t kBuckets = size_t(1) << kBucketBits;
constexpr uint64_t kMaxPasses = 16;
constexpr size_t kPollMask = 0xFFFF; // windows between two looks at the stop flag
constexpr size_t kPublishBlock = 256;

// Stable LSD radix sort of one bucket on the hash bits below the bucket's own, 8 bits a pass.
void SortBucket(uint64_t* v, size_t count, uint64_t* tmp)
{
    uint64_t* from = v;
    uint64_t* to = tmp;
    int passes = 0;
    for (int shift = 32; shift < 64 - kBucketBits; shift += 8, ++passes) {
        size_t counts[256] = {};
        for (size_t i = 0; i < count; ++i)
            ++counts[(from[i] >> shift) & 0xFF];
        size_t sum = 0;
        for (size_t& c : counts) {
            const size_t k = c;
            c = sum;
            sum += k;
        }
        for (size_t i = 0; i < count; ++i)
            to[counts[(from[i] >> shift) & 0xFF]++] = from[i];
        std::swap(from, to);
    }
    if (from != v)
        std::memcpy(v, from, count * sizeof(uint64_t));
}

uint64_t CeilPow2(uint64_t v)
{
    uint64_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

QString MegaBytes(uint64_t bytes)
{
    return QString::number((bytes + (1u << 20) - 1) >> 20);
}

// One run over the windows of the range [data, data + span).
class SameScan
{
public:
    SameScan(const uint8_t* data, uint64_t span, uint64_t rangeStart, size_t n, uint64_t cap,
             const std::atomic<bool>& stop, const SameSearchOptions& options, std::vector<SAMESEARCHLIST>& groups)
        : m_data(data), m_windows(span - n + 1), m_start(rangeStart), m_n(n), m_cap(cap), m_stop(stop),
          m_options(options), m_groups(groups)
    {
    }

    // Finds the groups whose hashes fall in share `part` of `parts`. False when stopped.
    bool Pass(uint64_t part, uint64_t parts, double from, double to);

private:
    bool Stopped() const { return m_stop.load(std::memory_order_relaxed); }
    void Report(double f) const
    {
        if (m_options.progress)
            m_options.progress(f);
    }
    bool InPart(uint32_t h, uint64_t part, uint64_t parts) const
    {
        return parts == 1 || (Mix32(h) & (parts - 1)) == part;
    }
    // Splits a run of equal hashes by content and keeps the sequences that occur twice or more.
    bool GroupRun(const uint64_t* run, size_t count);
    void Publish(bool all);

    const uint8_t* m_data;
    uint64_t m_windows;
    uint64_t m_start;
    size_t m_n;
    uint64_t m_cap;
    const std::atomic<bool>& m_stop;
    const SameSearchOptions& m_options;
    std::vector<SAMESEARCHLIST>& m_groups;
    size_t m_published = 0; // groups handed to groupsFound so far
    std::vector<uint32_t> m_rest, m_next;
};

bool SameScan::Pass(uint64_t part, uint64_t parts, double from, double to)
{
    const size_t windows = static_cast<size_t>(m_windows);
    auto at = [&](double f) { return from + (to - from) * f; };
    // Count the windows of each bucket, then place them: the table ends up bucketed by the high
    // hash bits with the windows of a bucket in ascending order, and needs no second table.
    std::vector<size_t> next(kBuckets + 1, 0);
    {
        WindowHasher hasher(m_data, m_n);
        for (size_t w = 0; w < windows; ++w) {
            const uint32_t h = hasher.Hash();
            if (InPart(h, part, parts))
                ++next[(h >> (32 - kBucketBits)) + 1];
            if (w + 1 < windows)
                hasher.Advance(w);
            if ((w & kPollMask) == 0) {
                if (Stopped())
                    return false;
                Report(at(0.3 * static_cast<double>(w) / static_cast<double>(windows)));
            }
        }
    }
    for (size_t b = 1; b <= kBuckets; ++b)
        next[b] += next[b - 1];
    const size_t total = next[kBuckets];
    std::vector<size_t> bucketStart(next.begin(), next.end());
    // Left uninitialised: every entry is written below, and zero-filling first would cost a
    // second pass over the pages.
    std::unique_ptr<uint64_t[]> table(new uint64_t[std::max<size_t>(total, 1)]);
    {
        WindowHasher hasher(m_data, m_n);
        for (size_t w = 0; w < windows; ++w) {
            const uint32_t h = hasher.Hash();
            if (InPart(h, part, parts))
                table[next[h >> (32 - kBucketBits)]++] = (static_cast<uint64_t>(h) << 32) | w;
            if (w + 1 < windows)
                hasher.Advance(w);
            if ((w & kPollMask) == 0) {
                if (Stopped())
                    return false;
                Report(at(0.3 + 0.3 * static_cast<double>(w) / static_cast<double>(windows)));
            }
        }
    }
    size_t compared = 0;
    auto less = [&](uint64_t a, uint64_t b) {
        if ((++compared & kPollMask) == 0 && Stopped())
            throw SortStopped();
        return a < b;
    };
    // A radix pass over a bucket does not look at the stop flag: buckets above 4 Mi windows
    // (about 50 ms) go to the sort that does.
    const size_t radixLimit = std::min<size_t>(std::max<size_t>(total / 8, 1 << 16), 1 << 22);
    std::vector<uint64_t> scratch;
    for (size_t b = 0; b < kBuckets; ++b) {
        uint64_t* first = table.get() + bucketStart[b];
        uint64_t* last = table.get() + bucketStart[b + 1];
        if (last - first < 2)
            continue;
        // Hash first, then window: equal hashes keep their windows ascending.
        if (!std::is_sorted(first, last)) {
            const size_t count = static_cast<size_t>(last - first);
            if (count <= radixLimit) {
                // The windows of a bucket are ascending already: a stable sort on the rest of
                // the hash keeps them so, in a scratch table the size of one bucket.
                if (scratch.size() < count)
                    scratch.resize(count);
                SortBucket(first, count, scratch.data());
            } else {
                // One bucket holds a large share of the range (few distinct sequences): sorted
                // in place, so the scratch table never grows to the size of the range.
                try {
                    std::sort(first, last, less);
                } catch (const SortStopped&) {
                    return false;
                }
            }
        }
        for (uint64_t* i = first; i < last;) {
            uint64_t* j = i + 1;
            while (j < last && (*j >> 32) == (*i >> 32))
                ++j;
            if (j - i >= 2 && !GroupRun(i, static_cast<size_t>(j - i)))
                return false;
            i = j;
        }
        {
            if (Stopped())
                return false;
            Report(at(0.6 + 0.4 * static_cast<double>(b) / static_cast<double>(kBuckets)));
        }
        Publish(false);
    }
    Publish(true);
    return !Stopped();
}

bool SameScan::GroupRun(const uint64_t* run, size_t count)
{
    m_rest.clear();
    for (size_t k = 0; k < count; ++k)
        m_rest.push_back(static_cast<uint32_t>(run[k]));
    size_t compared = 0;
    while (m_rest.size() >= 2) {
        // The first remaining window is its sequence's first occurrence.
        const uint32_t rep = m_rest[0];
        SAMESEARCHLIST group;
        group.addresses.push_back(m_start + rep);
        uint64_t found = 1;
        m_next.clear();
        for (size_t k = 1; k < m_rest.size(); ++k) {
            const uint32_t off = m_rest[k];
            if (std::memcmp(m_data + rep, m_data + off, m_n) == 0) {
                if (found < m_cap)
                    group.addresses.push_back(m_start + off);
                ++found;
            } else {
                m_next.push_back(off);
            }
            if ((++compared & 0xFFF) == 0 && Stopped())
                return false;
        }
        if (found >= 2) {
            group.key = SameSearchKey(m_data + rep, m_n);
            m_groups.push_back(std::move(group));
        }
        m_rest.swap(m_next);
    }
    return true;
}

void SameScan::Publish(bool all)
{
    if (!m_options.groupsFound || m_groups.size() - m_published < (all ? 1 : kPublishBlock))
        return;
    const std::vector<SAMESEARCHLIST> block(m_groups.begin() + static_cast<std::ptrdiff_t>(m_published), m_groups.end());
    m_published = m_groups.size();
    m_options.groupsFound(block);
}

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

uint64_t SameSearchFreeMemory()
{
#if defined(__linux__)
    if (FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        unsigned long long kb = 0;
        bool found = false;
        while (std::fgets(line, sizeof line, f)) {
            if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
                found = true;
                break;
            }
        }
        std::fclose(f);
        if (found)
            return static_cast<uint64_t>(kb) * 1024;
    }
#endif
#if defined(_SC_AVPHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
#endif
    return 0;
}

SameSearchResult RunSameSearch(ByteSource& source, const SameSearchRequest& request,
                               const std::atomic<bool>& stop, const std::function<void(double)>& progress)
{
    SameSearchOptions options;
    options.progress = progress;
    return RunSameSearch(source, request, stop, options);
}

SameSearchResult RunSameSearch(ByteSource& source, const SameSearchRequest& request,
                               const std::atomic<bool>& stop, const SameSearchOptions& options)
{
    SameSearchResult result;
    auto report = [&](double f) {
        if (options.progress)
            options.progress(f);
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

    // What the run needs, decided before anything is allocated: a copy of the range when the
    // source is not in memory, and 8 bytes per window for the table of a pass.
    const uint8_t* data = source.Data();
    const uint64_t copyBytes = data ? 0 : span;
    const uint64_t tableBytes = (span - n + 1) * sizeof(uint64_t);
    uint64_t available = options.memoryBudget ? options.memoryBudget : SameSearchFreeMemory();
    if (available == 0)
        available = ~uint64_t(0) >> 2; // the system does not say: trust it
    uint64_t passes = kMaxPasses + 1;
    if (copyBytes <= available / 2) {
        // Half of what is left for the table, the rest for the groups and everything else.
        const uint64_t tableBudget = std::max<uint64_t>((available - copyBytes) / 2, 1);
        passes = CeilPow2((tableBytes + tableBudget - 1) / tableBudget);
    }
    if (passes > kMaxPasses) {
        const uint64_t needed = copyBytes + 2 * ((tableBytes + kMaxPasses - 1) / kMaxPasses);
        result.status = ScanResult::Failed;
        result.errorText = QStringLiteral("同一検索の範囲が大きすぎます。\n必要なメモリ: 約 %1 MB、空きメモリ: 約 %2 MB\n範囲を狭めてください。")
                               .arg(MegaBytes(needed), MegaBytes(available));
        return result;
    }

    try {
        // The bytes of the range, contiguous, read from the page that holds its start.
        AlignedBuffer copy;
        const double scanFrom = data ? 0.0 : 0.1;
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
                report(scanFrom * static_cast<double>(done) / static_cast<double>(span));
            }
            if (done < n) {
                report(1.0);
                return result;
            }
            span = done;
            data = copy.Data() + lead;
        }

        SameScan scan(data, span, request.start, n, cap, stop, options, result.groups);
        bool complete = true;
        for (uint64_t p = 0; p < passes && complete; ++p) {
            const double from = scanFrom + (1.0 - scanFrom) * static_cast<double>(p) / static_cast<double>(passes);
            const double to = scanFrom + (1.0 - scanFrom) * static_cast<double>(p + 1) / static_cast<double>(passes);
            complete = scan.Pass(p, passes, from, to);
        }
        // Found by hash; shown by first occurrence.
        std::sort(result.groups.begin(), result.groups.end(),
                  [](const SAMESEARCHLIST& a, const SAMESEARCHLIST& b) { return a.addresses.front() < b.addresses.front(); });
        if (!complete || stopped()) {
            result.status = ScanResult::Stopped;
            return result;
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
