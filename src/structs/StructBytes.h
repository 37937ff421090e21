// Where the structure editor reads and writes its bytes: the active document, or a test's buffer.
#pragma once

#include <cstdint>
#include <cstring>

class StructBytes
{
public:
    virtual ~StructBytes() = default;
    // Copies n bytes at `address` into dst; bytes at or past the end of the file read as 0.
    virtual void Read(uint64_t address, uint8_t* dst, size_t n) = 0;
    // Writes n bytes at `address`, lengthening the file when they reach past its end. False when
    // nothing was written (a failure has been shown to the user).
    virtual bool Write(uint64_t address, const uint8_t* src, size_t n) = 0;

    // `size` bytes (at most 8) at `address`: the first byte least significant, or most significant
    // when `bigEndian`.
    uint64_t ReadValue(uint64_t address, uint32_t size, bool bigEndian)
    {
        uint8_t b[8] = {};
        if (size > 8)
            size = 8;
        Read(address, b, size);
        uint64_t v = 0;
        for (uint32_t i = 0; i < size; ++i) {
            const uint32_t shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
            v |= uint64_t(b[i]) << shift;
        }
        return v;
    }
};
