// Reading a typed or listed hexadecimal text as an unsigned 64-bit value.
#include "HexText.h"

uint64_t HexTextToU64(QStringView text, bool* ok)
{
    uint64_t value = 0;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else {
            if (ok)
                *ok = false;
            return 0;
        }
        // Unsigned arithmetic wraps, which is exactly "modulo 2^64" for long texts.
        value = value * 16 + digit;
    }
    if (ok)
        *ok = true;
    return value;
}
