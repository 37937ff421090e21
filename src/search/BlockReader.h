// Buffered reading of a byte source in large blocks, for engines that walk addresses in order.
#pragma once

#include "document/AlignedBuffer.h"
#include "document/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Serves short reads (a few bytes at an address) from a block of up to kBlockSize bytes read at
// once, so that walking a file on disk costs one system call per block, not one per byte.
// In-memory sources are served directly.
class BlockReader
{
public:
    static constexpr size_t kBlockSize = size_t(1) << 20;

    explicit BlockReader(ByteSource& source, size_t blockSize = kBlockSize);

    uint64_t Size() const { return m_size; }
    // A pointer to the bytes at `address`, of which Available() are valid (at most `n` asked for,
    // fewer at the end of the source). Null on an I/O failure (Failed() then is true).
    const uint8_t* Get(uint64_t address, size_t n, size_t* available);
    // Also true once a mapped source was found cut shorter (its bytes then read as zeros).
    bool Failed() const { return m_failed || (m_data && !m_source.ErrorText().isEmpty()); }
    QString ErrorText() const { return m_source.ErrorText(); }

private:
    ByteSource& m_source;
    const uint8_t* m_data;
    uint64_t m_size;
    size_t m_blockSize;
    AlignedBuffer m_buf;
    uint64_t m_bufStart = 0;
    size_t m_bufLen = 0;
    bool m_failed = false;
};
