// Upper-case hexadecimal formatting of addresses and bytes for result lines.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace hexfmt {

inline constexpr char16_t kDigits[] = u"0123456789ABCDEF";

// Appends `digits` upper-case hexadecimal digits of v, zero-filled.
inline void AppendHex(QString& out, uint64_t v, int digits)
{
    const qsizetype at = out.size();
    out.resize(at + digits);
    QChar* p = out.data() + at;
    for (int i = digits - 1; i >= 0; --i) {
        p[i] = QChar(kDigits[v & 0xF]);
        v >>= 4;
    }
}

// "0000ABCD" (the low 32 bits), or "00000001-0000ABCD" when `longForm`.
inline void AppendAddress(QString& out, uint64_t address, bool longForm)
{
    if (longForm) {
        AppendHex(out, address >> 32, 8);
        out += QLatin1Char('-');
    }
    AppendHex(out, address & 0xFFFFFFFFu, 8);
}

inline QString Address(uint64_t address, bool longForm)
{
    QString s;
    s.reserve(17);
    AppendAddress(s, address, longForm);
    return s;
}

// Two digits per byte, without separators.
inline void AppendBytes(QString& out, const uint8_t* bytes, size_t n)
{
    const qsizetype at = out.size();
    out.resize(at + static_cast<qsizetype>(2 * n));
    QChar* p = out.data() + at;
    for (size_t i = 0; i < n; ++i) {
        p[2 * i] = QChar(kDigits[bytes[i] >> 4]);
        p[2 * i + 1] = QChar(kDigits[bytes[i] & 0xF]);
    }
}

// The same forms written as ASCII bytes; each returns the end of what it wrote.
inline char* WriteHex(char* p, uint64_t v, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        p[i] = static_cast<char>(kDigits[v & 0xF]);
        v >>= 4;
    }
    return p + digits;
}

inline char* WriteAddress(char* p, uint64_t address, bool longForm)
{
    if (longForm) {
        p = WriteHex(p, address >> 32, 8);
        *p++ = '-';
    }
    return WriteHex(p, address & 0xFFFFFFFFu, 8);
}

inline char* WriteBytes(char* p, const uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        p[2 * i] = static_cast<char>(kDigits[bytes[i] >> 4]);
        p[2 * i + 1] = static_cast<char>(kDigits[bytes[i] & 0xF]);
    }
    return p + 2 * n;
}

} // namespace hexfmt
