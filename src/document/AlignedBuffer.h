// A page-aligned heap buffer: the destination of every large read from a file.
#pragma once

#include <cstddef>
#include <cstdint>

// The kernel copies page-cached file bytes into user memory several times faster when the
// destination address and the file offset agree modulo the page size; a buffer from plain new[]
// starts 16 bytes past a page boundary and puts every read on the slow path. Readers therefore
// read into this buffer at page-aligned file offsets (see AlignedReader).
//
// The memory is not zeroed. Growing does not keep the contents.
class AlignedBuffer
{
public:
    static constexpr size_t kPage = 4096;

    AlignedBuffer() = default;
    explicit AlignedBuffer(size_t size) { Reserve(size); }
    ~AlignedBuffer();
    AlignedBuffer(AlignedBuffer&& other) noexcept;
    AlignedBuffer& operator=(AlignedBuffer&& other) noexcept;
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;

    // Makes room for at least `size` bytes (whole pages). Throws std::bad_alloc when memory is short.
    void Reserve(size_t size);
    void Release();

    uint8_t* Data() const { return m_data; }
    size_t Capacity() const { return m_capacity; }

    static constexpr uint64_t AlignDown(uint64_t v) { return v & ~uint64_t(kPage - 1); }
    static constexpr uint64_t AlignUp(uint64_t v) { return (v + kPage - 1) & ~uint64_t(kPage - 1); }

private:
    uint8_t* m_data = nullptr;
    size_t m_capacity = 0;
};
