// Fast scanning for a search pattern in memory blocks and through byte sources.
#pragma once

#include "document/AlignedBuffer.h"
#include "document/ByteSource.h"
#include "search/SearchPattern.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// The outcome of one scan through a byte source.
struct ScanResult
{
    enum Status { Found, NotFound, Failed, Stopped };
    Status status = NotFound;
    uint64_t address = ~uint64_t(0);
    QString errorText; // the source's text for the failure (Failed)

    bool found() const { return status == Found; }
};

// True when the source could not be opened (a file source reports its failure before any read).
inline bool SourceFailed(const ByteSource& source)
{
    return !source.ErrorText().isEmpty();
}

// A pattern compiled for scanning. The candidates are filtered with SIMD compares on two anchor
// bytes (the first and last fixed bytes of the pattern) and only survivors are compared whole.
// Results are exactly those of testing every address with the matching rule.
class PatternScanner
{
public:
    static constexpr size_t npos = ~size_t(0);
    static constexpr size_t kBlockSize = size_t(1) << 20; // bytes per read from a file

    explicit PatternScanner(const SearchPattern& pattern);

    size_t Length() const { return m_n; }

    // The first p in [0, count) where the pattern matches buf[p .. p+n); buf must hold
    // count + n - 1 bytes. npos when there is none.
    size_t FindFirst(const uint8_t* buf, size_t count) const;
    // The last such p, or npos.
    size_t FindLast(const uint8_t* buf, size_t count) const;
    bool MatchesAt(const uint8_t* p) const;

    // The first hit a with from <= a and a + n <= endLimit (endLimit is cut at the source size).
    // A source without contiguous memory is read in blocks that start at `firstBlock` bytes and
    // double up to kBlockSize, so that a near hit costs a short read.
    ScanResult FindForward(ByteSource& source, uint64_t from, uint64_t endLimit,
                           size_t firstBlock = kBlockSize) const;
    // The last hit a with a <= lastStart and a + n <= endLimit, read in blocks downward.
    ScanResult FindBackward(ByteSource& source, uint64_t lastStart, uint64_t endLimit,
                            size_t firstBlock = kBlockSize) const;

    // Calls `onHit(address, bytes)` for every hit from `from` upward (bytes points at the n matched
    // bytes, valid during the call). With `overlapping` the next candidate after a hit a is a + 1,
    // else a + n. `onHit` returns false to end the walk. `stop` is polled at every block and
    // every 4096 hits. Returns Found when it ended at the end of the data or by onHit.
    // A file is read into `buffer` when given (one buffer for many files), else into an own one;
    // the holes of a sparse file are not read.
    ScanResult ForEachHit(ByteSource& source, uint64_t from, bool overlapping,
                          const std::atomic<bool>* stop,
                          const std::function<bool(uint64_t, const uint8_t*)>& onHit,
                          AlignedBuffer* buffer = nullptr) const;

private:
    size_t FindFirstScalar(const uint8_t* buf, size_t count) const;

    size_t m_n = 0;
    std::vector<uint8_t> m_value;
    std::vector<uint8_t> m_mask;
    bool m_literal = true;
    bool m_anyByte = false; // every entry is "??": every address is a hit
    size_t m_first = 0;     // anchor entries
    size_t m_last = 0;
};
