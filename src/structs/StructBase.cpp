// Base address text and button moves of the structure editor.
#include "structs/StructBase.h"

QString CStructBase::AddressText(uint64_t base)
{
    return QStringLiteral("0x%1-%2")
        .arg(uint32_t(base >> 32), 8, 16, QLatin1Char('0'))
        .arg(uint32_t(base), 8, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QLatin1String("0X"), QLatin1String("0x"));
}

uint64_t CStructBase::Moved(uint64_t base, Move move, uint64_t structSize, uint64_t cursor)
{
    switch (move) {
    case Move::BackRecord: return base < structSize ? 0 : base - structSize;
    case Move::BackByte: return base == 0 ? 0 : base - 1;
    case Move::ToCursor: return cursor;
    case Move::ForwardByte: return End(base, 1);
    case Move::ForwardRecord: return End(base, structSize);
    }
    return base;
}
