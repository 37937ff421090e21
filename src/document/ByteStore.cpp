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

// Asks the system to back a large block with huge pages where it can. Filling a gigabyte of
// fresh memory costs one page fault per 4 KiB page otherwise, which made loading large files
// several times slower than reading them. Only the 2 MiB-aligned inside of the block is given.
void PreferHugePages([[maybe_unused]] uint8_t* p, [[maybe_unused]] size_t n)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    if (n < 4 * kHuge)
        return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + n) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // a hint; failure is harmless
#endif
}

} // namespace

ByteStore::~ByteStore()
{
    std::free(m_data);
}

ByteStore::ByteStore(ByteStore&& other) noexcept
{
    *this = std::move(other);
}

ByteStore& ByteStore::operator=(ByteStore&& other) noexcept
{
    if (this != &other) {
        std::free(m_data);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_gapStart = std::exchange(other.m_gapStart, 0);
        m_gapLen = std::exchange(other.m_gapLen, 0);
    }
    return *this;
}

bool ByteStore::ResizeZeroed(size_t n)
{
    Clear();
    if (n == 0)
        return true;
    // calloc gets fresh zero pages from the system for large blocks: nothing is written twice.
    // The gap is there from the start, so the first insertion does not have to grow (and move)
    // a large block; its pages cost nothing until they are used.
    const size_t gap = n >= kGapGrowth ? kGapGrowth : 0;
    auto* p = static_cast<uint8_t*>(std::calloc(n + gap, 1));
    if (!p)
        return false;
    PreferHugePages(p, n + gap);
    m_data = p;
    m_size = n;
    m_gapStart = n;
    m_gapLen = gap;
    return true;
}

void ByteStore::Clear()
{
    std::free(m_data);
    m_data = nullptr;
    m_size = m_gapStart = m_gapLen = 0;
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

bool ByteStore::EnsureGap(size_t n)
{
    if (m_gapLen >= n)
        return true;
    // Grow by kGapGrowth or what the insertion needs.
    const size_t grow = std::max(n - m_gapLen, kGapGrowth);
    const size_t oldCap = m_size + m_gapLen;
    size_t newCap = oldCap + grow;
    auto* p = static_cast<uint8_t*>(std::realloc(m_data, newCap));
    if (!p) {
        newCap = oldCap + (n - m_gapLen);
        p = static_cast<uint8_t*>(std::realloc(m_data, newCap));
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
