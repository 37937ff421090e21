// Page-aligned heap buffers.
#include "document/AlignedBuffer.h"

#include <cstdlib>
#include <new>
#include <utility>

AlignedBuffer::~AlignedBuffer()
{
    Release();
}

AlignedBuffer::AlignedBuffer(AlignedBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_capacity(std::exchange(other.m_capacity, 0))
{
}

AlignedBuffer& AlignedBuffer::operator=(AlignedBuffer&& other) noexcept
{
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

void AlignedBuffer::Reserve(size_t size)
{
    if (size <= m_capacity)
        return;
    const size_t rounded = static_cast<size_t>(AlignUp(size));
    if (rounded < size)
        throw std::bad_alloc();
    void* p = std::aligned_alloc(kPage, rounded);
    if (!p)
        throw std::bad_alloc();
    Release();
    m_data = static_cast<uint8_t*>(p);
    m_capacity = rounded;
}

void AlignedBuffer::Release()
{
    std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
}
