// Walks a byte range of a source front to back in page-aligned blocks, skipping holes.
#pragma once

#include "document/AlignedBuffer.h"
#include "document/ByteSource.h"

#include <QString>
#include <cstddef>
#include <cstdint>

// Every block is read at a page-aligned file offset into the page-aligned part of one buffer, so
// the destination address always agrees with the file offset modulo the page size. A scan that
// needs bytes of the previous block (a pattern that straddles two blocks, a word cut in two)
// names the first address it still needs, and those bytes are copied in front of the next block.
//
// With SetSkipHoles(true) the interior of a hole that the file system reports is not read: it is
// handed out as a zero window (Data() null, every byte 0). The first bytes of a hole, enough for
// what the caller keeps, come as an ordinary window of zeros, and bytes kept from a zero window
// are zeros in front of the next block; so a scan sees the edges of a hole as real zero bytes.
class AlignedReader
{
public:
    static constexpr size_t kBlockSize = size_t(1) << 20;

    // Reads [from, end) of `source` (end is cut at the source's size). `keepMax`: the most bytes a
    // caller keeps from one window into the next. `buffer`: a buffer to use (kept by the caller
    // across many reads, for example the files of a folder search); null for an own one.
    AlignedReader(ByteSource& source, uint64_t from, uint64_t end, size_t keepMax,
                  AlignedBuffer* buffer = nullptr, size_t blockSize = kBlockSize);
    AlignedReader(const AlignedReader&) = delete;
    AlignedReader& operator=(const AlignedReader&) = delete;

    void SetSkipHoles(bool skip) { m_skipHoles = skip; }

    // Moves to the next window. The bytes [keepFrom, End()) of the current window (at most keepMax
    // of them) begin the next one; before the first window keepFrom is ignored. False at the end
    // of the range or on a failure (Failed()).
    bool Next(uint64_t keepFrom);
    bool Next() { return Next(m_end); }

    // The current window: bytes [Start(), End()), at Data(), or a zero window when Data() is null.
    const uint8_t* Data() const { return m_data; }
    uint64_t Start() const { return m_start; }
    uint64_t End() const { return m_end; }
    size_t Length() const { return static_cast<size_t>(m_end - m_start); }
    bool IsZero() const { return m_data == nullptr && m_end > m_start; }

    bool Failed() const { return m_failed; }
    // The source delivered fewer bytes than its size promised (the file became shorter).
    bool CutShort() const { return m_short; }
    QString ErrorText() const;

private:
    bool LoadBlock(uint64_t at, size_t keep, uint64_t keepFrom);

    ByteSource& m_source;
    AlignedBuffer m_own;
    AlignedBuffer& m_buf;
    uint64_t m_rangeEnd;
    size_t m_keepMax;
    size_t m_prefix;   // room in front of the block for kept bytes, whole pages
    size_t m_block;
    bool m_skipHoles = false;
    bool m_started = false;
    bool m_failed = false;
    bool m_short = false;
    bool m_holeNext = false;   // the zero window of a hole comes next
    uint64_t m_holeEnd = 0;
    uint64_t m_next;           // where the next block starts (page aligned, except the range's first)
    uint64_t m_first;
    const uint8_t* m_data = nullptr;
    uint64_t m_start = 0;
    uint64_t m_end = 0;
};
