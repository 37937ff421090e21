// Pattern scanning: SIMD candidate filtering on two anchor bytes, whole-pattern verification,
// and block-wise reading of byte sources.
#include "search/PatternScanner.h"

#include "document/AlignedReader.h"

#include <algorithm>
#include <cstring>
#include <memory>

// The vector paths use GCC/Clang's per-function target attribute and CPU check (also MinGW and
// clang-cl on Windows); other compilers take the portable loop.
#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QV_X86 1
#endif

namespace {

#if QV_X86
bool CpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

struct Anchors
{
    uint8_t vf, mf, vl, ml;
    size_t f, l;
};

template <typename Verify>
__attribute__((target("avx2"))) size_t FirstAvx2(const uint8_t* buf, size_t count, size_t& p,
                                                 const Anchors& a, const Verify& verify)
{
    const __m256i vf = _mm256_set1_epi8(static_cast<char>(a.vf));
    const __m256i mf = _mm256_set1_epi8(static_cast<char>(a.mf));
    const __m256i vl = _mm256_set1_epi8(static_cast<char>(a.vl));
    const __m256i ml = _mm256_set1_epi8(static_cast<char>(a.ml));
    if (a.mf == 0xFF && a.ml == 0xFF) {
        // Both anchors are whole bytes: no masking, and 64 candidates per step with one test
        // for the usual case of no candidate at all.
        for (; p + 64 <= count; p += 64) {
            const uint8_t* q = buf + p;
            const __m256i e0 = _mm256_and_si256(
                _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + a.f)), vf),
                _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + a.l)), vl));
            const __m256i e1 = _mm256_and_si256(
                _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 32 + a.f)), vf),
                _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 32 + a.l)), vl));
            if (_mm256_testz_si256(_mm256_or_si256(e0, e1), _mm256_or_si256(e0, e1)))
                continue;
            uint64_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(e0))
                          | static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(e1))) << 32;
            while (bits) {
                const unsigned j = static_cast<unsigned>(__builtin_ctzll(bits));
                if (verify(q + j))
                    return p + j;
                bits &= bits - 1;
            }
        }
    }
    for (; p + 32 <= count; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + p + a.f));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + p + a.l));
        const __m256i eq = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_and_si256(x, mf), vf),
                                            _mm256_cmpeq_epi8(_mm256_and_si256(y, ml), vl));
        uint32_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(eq));
        while (bits) {
            const unsigned j = static_cast<unsigned>(__builtin_ctz(bits));
            if (verify(buf + p + j))
                return p + j;
            bits &= bits - 1;
        }
    }
    return PatternScanner::npos;
}

template <typename Verify>
size_t FirstSse2(const uint8_t* buf, size_t count, size_t& p, const Anchors& a, const Verify& verify)
{
    const __m128i vf = _mm_set1_epi8(static_cast<char>(a.vf));
    const __m128i mf = _mm_set1_epi8(static_cast<char>(a.mf));
    const __m128i vl = _mm_set1_epi8(static_cast<char>(a.vl));
    const __m128i ml = _mm_set1_epi8(static_cast<char>(a.ml));
    for (; p + 16 <= count; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + p + a.f));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + p + a.l));
        const __m128i eq = _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(x, mf), vf),
                                         _mm_cmpeq_epi8(_mm_and_si128(y, ml), vl));
        uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(eq));
        while (bits) {
            const unsigned j = static_cast<unsigned>(__builtin_ctz(bits));
            if (verify(buf + p + j))
                return p + j;
            bits &= bits - 1;
        }
    }
    return PatternScanner::npos;
}

// Walks blocks of 16 from the top; `p` is the end of the part still to scan.
template <typename Verify>
size_t LastSse2(const uint8_t* buf, size_t& p, const Anchors& a, const Verify& verify)
{
    const __m128i vf = _mm_set1_epi8(static_cast<char>(a.vf));
    const __m128i mf = _mm_set1_epi8(static_cast<char>(a.mf));
    const __m128i vl = _mm_set1_epi8(static_cast<char>(a.vl));
    const __m128i ml = _mm_set1_epi8(static_cast<char>(a.ml));
    while (p >= 16) {
        const size_t q = p - 16;
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + q + a.f));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + q + a.l));
        const __m128i eq = _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(x, mf), vf),
                                         _mm_cmpeq_epi8(_mm_and_si128(y, ml), vl));
        uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(eq));
        while (bits) {
            const unsigned j = 31u - static_cast<unsigned>(__builtin_clz(bits));
            if (verify(buf + q + j))
                return q + j;
            bits &= ~(1u << j);
        }
        p = q;
    }
    return PatternScanner::npos;
}
#endif

// A scan straight through Data() reads a mapped file; had the file been cut shorter meanwhile,
// the missing part read as zeros and the outcome is a failure instead.
ScanResult CheckedAfterDirectRead(const ByteSource& source, ScanResult r)
{
    if (SourceFailed(source)) {
        r.status = ScanResult::Failed;
        r.address = ~uint64_t(0);
        r.errorText = source.ErrorText();
    }
    return r;
}

} // namespace

PatternScanner::PatternScanner(const SearchPattern& pattern)
{
    m_n = pattern.Length();
    m_value.resize(m_n);
    m_mask.resize(m_n);
    m_literal = true;
    m_anyByte = true;
    for (size_t i = 0; i < m_n; ++i) {
        const uint16_t e = pattern.Entry(i);
        m_value[i] = static_cast<uint8_t>(e & 0xFF);
        m_mask[i] = SearchPattern::MaskOf(e);
        if (m_mask[i] != 0xFF)
            m_literal = false;
        // A value bit under a cleared mask bit can never match; keep such an entry as an anchor.
        if (m_mask[i] != 0 || m_value[i] != 0)
            m_anyByte = false;
    }
    // Anchors: prefer fully fixed bytes, then any entry that constrains something.
    auto pick = [&](bool fromFront) -> size_t {
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t k = 0; k < m_n; ++k) {
                const size_t i = fromFront ? k : m_n - 1 - k;
                if (pass == 0 ? m_mask[i] == 0xFF : (m_mask[i] != 0 || m_value[i] != 0))
                    return i;
            }
        }
        return 0;
    };
    if (m_n) {
        m_first = pick(true);
        m_last = pick(false);
    }
}

bool PatternScanner::MatchesAt(const uint8_t* p) const
{
    if (m_literal)
        return std::memcmp(p, m_value.data(), m_n) == 0;
    for (size_t i = 0; i < m_n; ++i)
        if ((p[i] & m_mask[i]) != m_value[i])
            return false;
    return true;
}

size_t PatternScanner::FindFirstScalar(const uint8_t* buf, size_t count) const
{
    for (size_t p = 0; p < count; ++p)
        if ((buf[p + m_first] & m_mask[m_first]) == m_value[m_first] && MatchesAt(buf + p))
            return p;
    return npos;
}

size_t PatternScanner::FindFirst(const uint8_t* buf, size_t count) const
{
    if (count == 0 || m_n == 0)
        return npos;
    if (m_anyByte)
        return 0;
    size_t p = 0;
#if QV_X86
    const Anchors a{m_value[m_first], m_mask[m_first], m_value[m_last], m_mask[m_last], m_first, m_last};
    auto verify = [this](const uint8_t* q) { return MatchesAt(q); };
    size_t hit = CpuHasAvx2() ? FirstAvx2(buf, count, p, a, verify) : FirstSse2(buf, count, p, a, verify);
    if (hit != npos)
        return hit;
#endif
    const size_t tail = FindFirstScalar(buf + p, count - p);
    return tail == npos ? npos : p + tail;
}

size_t PatternScanner::FindLast(const uint8_t* buf, size_t count) const
{
    if (count == 0 || m_n == 0)
        return npos;
    if (m_anyByte)
        return count - 1;
    size_t p = count;
#if QV_X86
    const Anchors a{m_value[m_first], m_mask[m_first], m_value[m_last], m_mask[m_last], m_first, m_last};
    auto verify = [this](const uint8_t* q) { return MatchesAt(q); };
    const size_t hit = LastSse2(buf, p, a, verify);
    if (hit != npos)
        return hit;
#endif
    while (p > 0) {
        --p;
        if (MatchesAt(buf + p))
            return p;
    }
    return npos;
}

ScanResult PatternScanner::FindForward(ByteSource& source, uint64_t from, uint64_t endLimit,
                                      size_t firstBlock) const
{
    ScanResult r;
    const uint64_t end = std::min(endLimit, source.Size());
    if (m_n == 0 || from >= end || end - from < m_n)
        return r;
    const uint64_t candidates = end - from - m_n + 1;
    if (const uint8_t* data = source.Data()) {
        const size_t hit = FindFirst(data + from, static_cast<size_t>(candidates));
        if (hit != npos) {
            r.status = ScanResult::Found;
            r.address = from + hit;
        }
        return CheckedAfterDirectRead(source, r);
    }
    // Blocks grow from `firstBlock`, so a hit close by costs a short read only. Each read starts
    // at the page that holds the next candidate (a few bytes read twice keep the reads aligned).
    size_t block = std::clamp<size_t>(firstBlock, 64, kBlockSize);
    AlignedBuffer buf;
    uint64_t pos = from;
    while (pos + m_n <= end) {
        const uint64_t at = AlignedBuffer::AlignDown(pos);
        const size_t want = static_cast<size_t>(std::min<uint64_t>(pos - at + block + m_n - 1, end - at));
        buf.Reserve(want);
        const int64_t got = source.Read(at, buf.Data(), want);
        if (got < 0) {
            r.status = ScanResult::Failed;
            r.errorText = source.ErrorText();
            return r;
        }
        if (static_cast<uint64_t>(got) < pos - at + m_n)
            break; // the file ended early
        const size_t count = static_cast<size_t>(at + static_cast<uint64_t>(got) - pos) - m_n + 1;
        const size_t hit = FindFirst(buf.Data() + (pos - at), count);
        if (hit != npos) {
            r.status = ScanResult::Found;
            r.address = pos + hit;
            return r;
        }
        if (static_cast<size_t>(got) < want)
            break;
        pos += count;
        block = std::min(block * 2, kBlockSize);
    }
    return r;
}

ScanResult PatternScanner::FindBackward(ByteSource& source, uint64_t lastStart, uint64_t endLimit,
                                       size_t firstBlock) const
{
    ScanResult r;
    const uint64_t end = std::min(endLimit, source.Size());
    if (m_n == 0 || end < m_n)
        return r;
    uint64_t hi = std::min<uint64_t>(lastStart, end - m_n);
    if (const uint8_t* data = source.Data()) {
        const size_t hit = FindLast(data, static_cast<size_t>(hi + 1));
        if (hit != npos) {
            r.status = ScanResult::Found;
            r.address = hit;
        }
        return CheckedAfterDirectRead(source, r);
    }
    size_t block = std::clamp<size_t>(firstBlock, 64, kBlockSize);
    AlignedBuffer buf;
    for (;;) {
        // The read starts on a page boundary at or below the block's first candidate.
        const uint64_t lo = hi >= block - 1 ? hi - (block - 1) : 0;
        const uint64_t at = AlignedBuffer::AlignDown(lo);
        const size_t count = static_cast<size_t>(hi - lo + 1);
        const size_t want = static_cast<size_t>(lo - at) + count + m_n - 1;
        buf.Reserve(want);
        const int64_t got = source.Read(at, buf.Data(), want);
        if (got < 0) {
            r.status = ScanResult::Failed;
            r.errorText = source.ErrorText();
            return r;
        }
        // A file that shrank since it was opened: only what was read can hold a hit.
        const size_t have = static_cast<size_t>(got) > lo - at ? static_cast<size_t>(got) - static_cast<size_t>(lo - at) : 0;
        const size_t usable = have >= m_n ? have - m_n + 1 : 0;
        const size_t hit = FindLast(buf.Data() + (lo - at), std::min(count, usable));
        if (hit != npos) {
            r.status = ScanResult::Found;
            r.address = lo + hit;
            return r;
        }
        if (lo == 0)
            return r;
        hi = lo - 1;
        block = std::min(block * 2, kBlockSize);
    }
}

ScanResult PatternScanner::ForEachHit(ByteSource& source, uint64_t from, bool overlapping,
                                      const std::atomic<bool>* stop,
                                      const std::function<bool(uint64_t, const uint8_t*)>& onHit,
                                      AlignedBuffer* buffer) const
{
    ScanResult r;
    r.status = ScanResult::Found;
    const uint64_t end = source.Size();
    if (m_n == 0)
        return r;
    const size_t step = overlapping ? 1 : m_n;
    auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };

    // Scans one block holding `count` candidates; returns the offset of the next candidate
    // (count or beyond), or npos when onHit ended the walk.
    unsigned sinceCheck = 0;
    bool halted = false;
    auto scanBlock = [&](const uint8_t* buf, size_t count, uint64_t base) -> size_t {
        size_t q = 0;
        while (q < count) {
            const size_t hit = FindFirst(buf + q, count - q);
            if (hit == npos)
                return count;
            q += hit;
            if (!onHit(base + q, buf + q))
                return npos;
            q += step;
            if (++sinceCheck >= 4096) {
                sinceCheck = 0;
                if (stopped()) {
                    halted = true;
                    return npos;
                }
            }
        }
        return q;
    };

    if (const uint8_t* data = source.Data()) {
        // In memory: blocks only so that the stop flag is seen during long runs without hits.
        uint64_t pos = from;
        while (pos + m_n <= end) {
            if (stopped()) {
                r.status = ScanResult::Stopped;
                return r;
            }
            const size_t count = static_cast<size_t>(std::min<uint64_t>(kBlockSize * 16, end - pos - m_n + 1));
            source.WillRead(pos, count + m_n - 1);
            const size_t next = scanBlock(data + pos, count, pos);
            if (next == npos) {
                if (halted)
                    r.status = ScanResult::Stopped;
                return CheckedAfterDirectRead(source, r);
            }
            pos += next;
        }
        return CheckedAfterDirectRead(source, r);
    }

    AlignedReader reader(source, from, end, m_n - 1, buffer);
    reader.SetSkipHoles(true);
    // Candidates inside a hole are all zeros: they match alike, each or none.
    const bool zerosMatch = [&] {
        for (size_t i = 0; i < m_n; ++i)
            if (m_value[i] != 0)
                return false;
        return true;
    }();
    std::vector<uint8_t> zeros;
    uint64_t pos = from;
    while (reader.Next(pos)) {
        if (stopped()) {
            r.status = ScanResult::Stopped;
            return r;
        }
        pos = std::max(pos, reader.Start());
        if (reader.End() - pos < m_n)
            continue;
        const uint64_t last = reader.End() - m_n; // the last candidate that fits the window
        if (reader.IsZero()) {
            if (!zerosMatch) {
                pos = last + 1;
                continue;
            }
            zeros.assign(m_n, 0);
            for (; pos <= last; pos += step) {
                if (!onHit(pos, zeros.data()))
                    return r;
                if (++sinceCheck >= 4096) {
                    sinceCheck = 0;
                    if (stopped()) {
                        r.status = ScanResult::Stopped;
                        return r;
                    }
                }
            }
            continue;
        }
        const uint8_t* base = reader.Data() + (pos - reader.Start());
        const size_t next = scanBlock(base, static_cast<size_t>(last - pos + 1), pos);
        if (next == npos) {
            if (halted)
                r.status = ScanResult::Stopped;
            return r;
        }
        pos += next;
    }
    if (reader.Failed()) {
        r.status = ScanResult::Failed;
        r.errorText = reader.ErrorText();
    }
    return r;
}
