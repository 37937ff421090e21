// Finding runs of differing bytes with block reads of both sources and wide compares.
#include "search/DiffRuns.h"

#include "document/AlignedBuffer.h"
#include "search/HexFormat.h"
#include "search/PatternScanner.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#define QV_SSE2 1
#endif

namespace {

constexpr size_t kBlock = size_t(1) << 20;

// 16-bit masks of the equal bytes of x and y at offset i.
#if QV_SSE2
inline uint32_t EqualMask(const uint8_t* x, const uint8_t* y)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)));
}
#endif

// The first i in [0, n) where (x[i] != y[i]) == wantDiff, or n.
size_t FirstIndex(const uint8_t* x, const uint8_t* y, size_t n, bool wantDiff)
{
    size_t i = 0;
    if (wantDiff) {
        // Mostly equal data: let memcmp skip equal stretches quickly.
        while (n - i >= 256 && std::memcmp(x + i, y + i, 256) == 0)
            i += 256;
    }
#if QV_SSE2
    for (; i + 16 <= n; i += 16) {
        uint32_t m = EqualMask(x + i, y + i);
        if (wantDiff)
            m = ~m & 0xFFFF;
        if (m)
            return i + static_cast<size_t>(std::countr_zero(m));
    }
#endif
    for (; i < n; ++i)
        if ((x[i] != y[i]) == wantDiff)
            return i;
    return n;
}

// The last i in [0, n) where (x[i] != y[i]) == wantDiff, or n when there is none.
size_t LastIndex(const uint8_t* x, const uint8_t* y, size_t n, bool wantDiff)
{
    size_t i = n;
#if QV_SSE2
    while (i >= 16) {
        uint32_t m = EqualMask(x + i - 16, y + i - 16);
        if (wantDiff)
            m = ~m & 0xFFFF;
        if (m)
            return i - 16 + (31 - static_cast<size_t>(std::countl_zero(m)));
        i -= 16;
    }
#endif
    while (i > 0) {
        --i;
        if ((x[i] != y[i]) == wantDiff)
            return i;
    }
    return n;
}

class PairScanner
{
public:
    PairScanner(ByteSource& a, ByteSource& b) : m_a(a), m_b(b), m_len(ComparedLength(a, b))
    {
        for (ByteSource* s : {&a, &b}) {
            if (SourceFailed(*s) && !m_failed) {
                m_failed = true;
                m_error = s->ErrorText();
                m_len = 0;
            }
        }
    }
    uint64_t Length() const { return m_len; }
    bool Failed() const { return m_failed; }
    QString ErrorText() const { return m_error; }

    // The first address in [from, m_len) whose bytes differ (wantDiff) or are equal; m_len when none.
    uint64_t Forward(uint64_t from, bool wantDiff)
    {
        for (uint64_t pos = from; pos < m_len;) {
            if (!Covers(pos) && !LoadAround(AlignedBuffer::AlignDown(pos)))
                return m_len;
            if (wantDiff && m_zeroA && m_zeroB) {
                pos = std::max(pos, m_bothZeroEnd); // a hole in both: equal throughout, unread
                continue;
            }
            const size_t off = static_cast<size_t>(pos - m_winStart);
            const size_t n = m_winLen - off;
            const size_t i = FirstIndex(m_x + off, m_y + off, n, wantDiff);
            if (i < n)
                return pos + i;
            pos += n;
        }
        return m_len;
    }
    // The last address in [0, below) whose bytes differ (wantDiff) or are equal; kNoAddress when none.
    uint64_t Backward(uint64_t below, bool wantDiff)
    {
        uint64_t hi = std::min(below, m_len);
        while (hi > 0) {
            if (!Covers(hi - 1)) {
                // The block that ends on the page boundary at or above hi.
                const uint64_t top = AlignedBuffer::AlignUp(hi);
                if (!LoadAround(top > kBlock ? top - kBlock : 0))
                    return kNoAddress;
            }
            const size_t n = static_cast<size_t>(hi - m_winStart);
            const size_t i = LastIndex(m_x, m_y, n, wantDiff);
            if (i < n)
                return m_winStart + i;
            hi = m_winStart;
        }
        return kNoAddress;
    }

private:
    bool Covers(uint64_t pos) const { return m_winLen != 0 && pos >= m_winStart && pos - m_winStart < m_winLen; }
    // Makes the block at `pos` (page aligned) of both sources the current window. The window stays
    // until a walk leaves it, so finding many runs close together reads each block once.
    bool LoadAround(uint64_t pos)
    {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, m_len - pos));
        m_winLen = 0;
        uint64_t holeA = 0, holeB = 0;
        if (!LoadOne(m_a, m_bufA, pos, n, m_x, m_zeroA, holeA) || !LoadOne(m_b, m_bufB, pos, n, m_y, m_zeroB, holeB))
            return false;
        m_winStart = pos;
        m_winLen = n;
        m_bothZeroEnd = std::min({holeA, holeB, m_len});
        return true;
    }
    // Reads [pos, pos + n) of one source into its aligned buffer, or points at zeros when the
    // block lies inside a hole of a sparse file (`holeEnd` then says where the hole ends).
    bool LoadOne(ByteSource& s, AlignedBuffer& buf, uint64_t pos, size_t n, const uint8_t*& p, bool& zero,
                 uint64_t& holeEnd)
    {
        zero = false;
        if (const uint8_t* d = s.Data()) {
            p = d + pos;
            return true;
        }
        if (s.MayHaveHoles()) {
            holeEnd = s.HoleEnd(pos);
            if (holeEnd >= pos + n) {
                if (m_zeros.Capacity() < kBlock) {
                    m_zeros.Reserve(kBlock);
                    std::memset(m_zeros.Data(), 0, kBlock);
                }
                p = m_zeros.Data();
                zero = true;
                return true;
            }
        }
        buf.Reserve(kBlock);
        const int64_t got = s.Read(pos, buf.Data(), n);
        if (got < 0 || static_cast<size_t>(got) < n) {
            m_failed = true;
            m_error = got < 0 ? s.ErrorText() : QStringLiteral("ファイルを最後まで読み込めませんでした。");
            return false;
        }
        p = buf.Data();
        return true;
    }

    ByteSource& m_a;
    ByteSource& m_b;
    uint64_t m_len;
    AlignedBuffer m_bufA, m_bufB;
    AlignedBuffer m_zeros; // a block of zeros standing for a hole
    bool m_zeroA = false, m_zeroB = false;
    uint64_t m_bothZeroEnd = 0;
    const uint8_t* m_x = nullptr; // the window's bytes in each source
    const uint8_t* m_y = nullptr;
    uint64_t m_winStart = 0;
    size_t m_winLen = 0;
    bool m_failed = false;
    QString m_error;
};

DiffStepResult Outcome(const PairScanner& scan, const ByteSource& a, const ByteSource& b, bool found)
{
    DiffStepResult r;
    r.failed = scan.Failed();
    r.errorText = scan.ErrorText();
    // A mapped file that was cut shorter during the walk read as zeros: its runs are no answer.
    for (const ByteSource* s : {&a, &b}) {
        if (!r.failed && SourceFailed(*s)) {
            r.failed = true;
            r.errorText = s->ErrorText();
        }
    }
    r.found = found && !r.failed;
    return r;
}

} // namespace

uint64_t ComparedLength(const ByteSource& own, const ByteSource& partner)
{
    return std::min(own.Size(), partner.Size());
}

DiffStepResult DiffNext(ByteSource& own, ByteSource& partner, uint64_t& cursor, DiffMark& mark)
{
    PairScanner scan(own, partner);
    if (mark.Contains(cursor))
        cursor = mark.end;
    if (cursor == kNoAddress || cursor + 1 >= scan.Length())
        return Outcome(scan, own, partner, false);
    const uint64_t first = scan.Forward(cursor + 1, true);
    if (scan.Failed() || first >= scan.Length())
        return Outcome(scan, own, partner, false);
    const uint64_t equal = scan.Forward(first + 1, false);
    if (scan.Failed())
        return Outcome(scan, own, partner, false);
    mark.start = first;
    mark.end = equal - 1;
    cursor = first;
    return Outcome(scan, own, partner, true);
}

DiffStepResult DiffPrev(ByteSource& own, ByteSource& partner, uint64_t& cursor, DiffMark& mark)
{
    PairScanner scan(own, partner);
    uint64_t s = std::min(cursor, partner.Size());
    if (mark.Contains(cursor))
        s = mark.start;
    const uint64_t last = scan.Backward(s, true);
    if (scan.Failed() || last == kNoAddress)
        return Outcome(scan, own, partner, false);
    const uint64_t equalBefore = scan.Backward(last, false);
    if (scan.Failed())
        return Outcome(scan, own, partner, false);
    const uint64_t first = equalBefore == kNoAddress ? 0 : equalBefore + 1;
    const uint64_t equalAfter = scan.Forward(last + 1, false);
    if (scan.Failed())
        return Outcome(scan, own, partner, false);
    mark.start = first;
    mark.end = equalAfter - 1;
    cursor = first;
    return Outcome(scan, own, partner, true);
}

DiffStepResult ForEachDiffRun(ByteSource& a, ByteSource& b, const std::atomic<bool>* stop,
                              const std::function<bool(uint64_t, uint64_t)>& onRun)
{
    PairScanner scan(a, b);
    uint64_t pos = 0;
    bool any = false;
    while (pos < scan.Length()) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const uint64_t first = scan.Forward(pos, true);
        if (scan.Failed() || first >= scan.Length())
            break;
        const uint64_t equal = scan.Forward(first + 1, false);
        if (scan.Failed())
            break;
        any = true;
        if (!onRun(first, equal - 1))
            break;
        pos = equal;
    }
    return Outcome(scan, a, b, any);
}

QString FormatDiffRun(uint64_t first, uint64_t last, uint64_t comparedLength)
{
    const bool longForm = comparedLength >= (uint64_t(1) << 32);
    QString s;
    hexfmt::AppendAddress(s, first, longForm);
    s += QStringLiteral(" - ");
    hexfmt::AppendAddress(s, last, longForm);
    return s;
}

QString FormatDiffEnd(const QString& name, uint64_t comparedLength)
{
    QString address;
    hexfmt::AppendAddress(address, comparedLength, comparedLength >= (uint64_t(1) << 32));
    return QStringLiteral("EOF: %1 (末尾のアドレス %2)").arg(name, address);
}
