// Bytes in memory for the structure editor's tests, and a quick way to parse a definition over them.
#pragma once

#include "structs/StructBytes.h"
#include "structs/StructDefs.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

struct BufferBytes final : StructBytes
{
    QByteArray data;

    explicit BufferBytes(QByteArray bytes = {}) : data(std::move(bytes)) {}

    void Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        std::memset(dst, 0, n);
        if (address >= uint64_t(data.size()))
            return;
        const size_t take = std::min<uint64_t>(n, uint64_t(data.size()) - address);
        std::memcpy(dst, data.constData() + address, take);
    }
    bool Write(uint64_t address, const uint8_t* src, size_t n) override
    {
        if (address + n > uint64_t(data.size()))
            data.append(QByteArray(qsizetype(address + n - data.size()), '\0'));
        std::memcpy(data.data() + address, src, n);
        return true;
    }
    uint64_t Size() const { return uint64_t(data.size()); }

    CStructDefs::ValueReader Reader(uint64_t base = 0)
    {
        return [this, base](uint64_t offset, uint32_t size, bool big) { return ReadValue(base + offset, size, big); };
    }
};

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}
