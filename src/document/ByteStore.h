// The in-memory byte store of a document: one buffer with a movable gap for fast typing.
#pragma once

#include <cstddef>
#include <cstdint>

// Holds the bytes of a file in one allocation. Insertions and removals move a gap to the edit
// point instead of the whole tail, so typing at one place costs O(bytes since the last edit).
// Contiguous() closes the gap for readers that want one block (engines, saving).
// Not thread-safe by itself; the document decides who may touch it when.
class ByteStore
{
public:
    ByteStore() = default;
    ~ByteStore();
    ByteStore(const ByteStore&) = delete;
    ByteStore& operator=(const ByteStore&) = delete;
    ByteStore(ByteStore&& other) noexcept;
    ByteStore& operator=(ByteStore&& other) noexcept;

    size_t Size() const { return m_size; }
    // Where a fresh store keeps its room for typing: behind the bytes, or in front of them for a
    // file just opened, whose cursor stands at its start (the first key there then moves nothing;
    // closing the gap for an engine moves the bytes once instead).
    enum class GapPlace { End, Start };
    // Replaces the contents by `n` zero bytes. Returns false when the memory cannot be had
    // (the store is then empty).
    bool ResizeZeroed(size_t n, GapPlace place = GapPlace::End);
    void Clear();

    uint8_t At(size_t i) const { return i < m_gapStart ? m_data[i] : m_data[i + m_gapLen]; }
    // Copies n bytes from index i (i + n <= Size()).
    void Read(size_t i, uint8_t* dst, size_t n) const;
    // Returns false (store unchanged) when memory for the growth cannot be had.
    bool Insert(size_t i, const uint8_t* src, size_t n);
    void Remove(size_t i, size_t n);
    void Overwrite(size_t i, const uint8_t* src, size_t n);

    // The whole contents as one block; moves the gap to the end (may move memory).
    const uint8_t* Contiguous();
    // The contents as one block when the gap is at the end already, else null (nothing moves).
    const uint8_t* ContiguousIfClosed() const { return m_gapStart == m_size ? m_data : nullptr; }
    // Write access to the bytes of a fresh store (its gap at one end), for the loader filling
    // its part. The bytes start page aligned when the store is large (the gap is whole pages),
    // so reads into them land page to page.
    uint8_t* RawForLoading() { return m_gapStart == 0 ? m_data + m_gapLen : m_data; }
    // Makes the memory of [i, i + n) ready before a load writes it (a hint: the system sets up
    // the pages in one go instead of one fault per page during the read).
    void PrepareForLoading(size_t i, size_t n);

private:
    void MoveGapTo(size_t i);
    bool EnsureGap(size_t n);
    uint8_t* Grow(size_t oldCap, size_t newCap);

    uint8_t* m_data = nullptr;
    size_t m_size = 0;     // bytes held
    size_t m_gapStart = 0; // index where the gap begins (== m_size when closed)
    size_t m_gapLen = 0;   // bytes of the gap
    bool m_mapped = false; // an own page mapping (else the heap)
};
