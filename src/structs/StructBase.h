// The structure editor's base address: its text and the moves of the "<<" "<" "-" ">" ">>" buttons.
#pragma once

#include <QString>
#include <cstdint>

class CStructBase
{
public:
    enum class Move { BackRecord, BackByte, ToCursor, ForwardByte, ForwardRecord };

    // "0x%08X-%08X": the high and the low 32 bits.
    static QString AddressText(uint64_t base);
    // The base after a button: back steps never go below 0, forward steps stop at the end of the
    // 64-bit address space instead of wrapping to 0.
    static uint64_t Moved(uint64_t base, Move move, uint64_t structSize, uint64_t cursor);
    // The end of a range of `length` bytes from `start`, held at the end of the address space.
    static uint64_t End(uint64_t start, uint64_t length)
    {
        return start + length < start ? ~uint64_t(0) : start + length;
    }
};
