// Gap buffer of the in-memory byte store.
#include "document/ByteStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// Room for typing that a store keeps behind its bytes: a million typed bytes fit before the
// block has to grow, and no large block of fresh memory is touched on the first keystroke.
constexpr size_t kGapGrowth = size_t(1) << 20;

// Stores from this size on get their own page-aligned mapping: the loader's reads then land
// page to page (the kernel's fast copy), and growing remaps pages instead of copying bytes.
// No huge-page hint: on this kind of machine it made a load stall for seconds in the kernel's
// compaction of memory, while small pages made in advance slice by slice cost no more in total.
constexpr size_t kMapFrom = size_t(256) << 10;

#ifdef __linux__
uint8_t* MapZeroed(size_t n)
{
    void* p = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
}
#endif

} // namespace

ByteStore::~ByteStore()
{
    Clear();
}

ByteStore::ByteStore(ByteStore&& other) noexcept
{
    *this = std::move(other);
}

ByteStore& ByteStore::operator=(ByteStore&& other) noexcept
{
    if (this != &other) {
        Clear();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_gapStart = std::exchange(other.m_gapStart, 0);
        m_gapLen = std::exchange(other.m_gapLen, 0);
        m_mapped = std::exchange(other.m_mapped, false);
    }
    return *this;
}

bool ByteStore::ResizeZeroed(size_t n, GapPlace place)
{
    Clear();
    if (n == 0)
        return true;
    // Fresh pages from the system are zeros already: nothing is written twice. The gap is there
    // from the start, so the first insertion does not have to grow (and move) a large block; its
    // pages cost nothing until they are used.
    const size_t gap = n >= kGapGrowth ? kGapGrowth : 0;
    uint8_t* p = nullptr;
#ifdef __linux__
    if (n + gap >= kMapFrom) {
        p = MapZeroed(n + gap);
        m_mapped = p != nullptr;
    }
#endif
    if (!p)
        p = static_cast<uint8_t*>(std::calloc(n + gap, 1));
    if (!p)
        return false;
    m_data = p;
    m_size = n;
    m_gapStart = place == GapPlace::Start && gap != 0 ? 0 : n;
    m_gapLen = gap;
    return true;
}

void ByteStore::Clear()
{
#ifdef __linux__
    if (m_mapped)
        ::munmap(m_data, m_size + m_gapLen);
    else
#endif
        std::free(m_data);
    m_data = nullptr;
    m_mapped = false;
    m_size = m_gapStart = m_gapLen = 0;
}

void ByteStore::PrepareForLoading([[maybe_unused]] size_t i, [[maybe_unused]] size_t n)
{
#if defined(__linux__)
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14; older kernels refuse it, which is harmless
#endif
    if (!m_mapped || n == 0)
        return;
    uint8_t* const bytes = RawForLoading();
    const uintptr_t begin = reinterpret_cast<uintptr_t>(bytes + i) & ~uintptr_t(4095);
    const uintptr_t end = reinterpret_cast<uintptr_t>(bytes + i + n);
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
}

void ByteStore::Read(size_t i, uint8_t* dst, size_t n) const
{
    if (n == 0)
        return;
    if (i < m_gapStart) {
        const size_t first = std::min(n, m_gapStart - i);
        std::memcpy(dst, m_data + i, first);
        dst += first;
        i += first;
        n -= first;
    }
    if (n)
        std::memcpy(dst, m_data + i + m_gapLen, n);
}

void ByteStore::MoveGapTo(size_t i)
{
    if (i == m_gapStart)
        return;
    if (m_gapLen == 0) {
        m_gapStart = i;
        return;
    }
    if (i < m_gapStart) {
        // Bytes [i, gapStart) move up behind the gap.
        std::memmove(m_data + i + m_gapLen, m_data + i, m_gapStart - i);
    } else {
        // Bytes after the gap up to i move down in front of it.
        std::memmove(m_data + m_gapStart, m_data + m_gapStart + m_gapLen, i - m_gapStart);
    }
    m_gapStart = i;
}

uint8_t* ByteStore::Grow(size_t oldCap, size_t newCap)
{
#ifdef __linux__
    if (m_mapped) {
        void* p = ::mremap(m_data, oldCap, newCap, MREMAP_MAYMOVE);
        return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
    }
#endif
    (void)oldCap;
    return static_cast<uint8_t*>(std::realloc(m_data, newCap));
}

bool ByteStore::EnsureGap(size_t n)
{
    if (m_gapLen >= n)
        return true;
    // Grow by kGapGrowth or what the insertion needs.
    const size_t grow = std::max(n - m_gapLen, kGapGrowth);
    const size_t oldCap = m_size + m_gapLen;
    size_t newCap = oldCap + grow;
    uint8_t* p = Grow(oldCap, newCap);
    if (!p) {
        newCap = oldCap + (n - m_gapLen);
        p = Grow(oldCap, newCap);
        if (!p)
            return false;
    }
    m_data = p;
    // The tail behind the gap moves to the end of the larger block.
    const size_t tail = m_size - m_gapStart;
    std::memmove(m_data + newCap - tail, m_data + m_gapStart + m_gapLen, tail);
    m_gapLen = newCap - m_size;
    return true;
}

bool ByteStore::Insert(size_t i, const uint8_t* src, size_t n)
{
    if (n == 0)
        return true;
    if (!EnsureGap(n))
        return false;
    MoveGapTo(i);
    std::memcpy(m_data + m_gapStart, src, n);
    m_gapStart += n;
    m_gapLen -= n;
    m_size += n;
    return true;
}

void ByteStore::Remove(size_t i, size_t n)
{
    if (n == 0)
        return;
    MoveGapTo(i);
    m_gapLen += n;
    m_size -= n;
}

void ByteStore::Overwrite(size_t i, const uint8_t* src, size_t n)
{
    if (n == 0)
        return;
    if (i < m_gapStart) {
        const size_t first = std::min(n, m_gapStart - i);
        std::memcpy(m_data + i, src, first);
        src += first;
        i += first;
        n -= first;
    }
    if (n)
        std::memcpy(m_data + i + m_gapLen, src, n);
}

const uint8_t* ByteStore::Contiguous()
{
    MoveGapTo(m_size);
    return m_data;
}
