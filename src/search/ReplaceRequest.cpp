// Building the replacement bytes from the 置換 fields.
#include "search/ReplaceRequest.h"

int32_t ReadDecimalField(const QString& text)
{
    int64_t value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

namespace {

int Nibble(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

} // namespace

std::optional<ReplaceRequest> ReplaceRequest::Build(const QString& numberText, bool fromString,
                                                    ReplaceScope scope)
{
    ReplaceRequest request;
    request.scope = scope;
    if (numberText.isEmpty())
        return request; // no replacement: the hits are deleted
    QString digits;
    if (numberText.startsWith(QLatin1String("0x")))
        digits = numberText.mid(2);
    else
        digits = QString::number(ReadDecimalField(numberText), 16).toUpper();
    const qsizetype m = digits.size();
    std::vector<int> nib(static_cast<size_t>(m));
    for (qsizetype i = 0; i < m; ++i) {
        nib[static_cast<size_t>(i)] = Nibble(digits[i]);
        if (nib[static_cast<size_t>(i)] < 0)
            return std::nullopt;
    }
    request.hasReplacement = true;
    auto byteOf = [&](qsizetype hi, qsizetype lo) {
        return static_cast<uint8_t>(((hi < 0 ? 0 : nib[static_cast<size_t>(hi)]) << 4) | nib[static_cast<size_t>(lo)]);
    };
    if (fromString) {
        qsizetype i = 0;
        if (m % 2) {
            request.bytes.push_back(byteOf(-1, 0));
            i = 1;
        }
        for (; i < m; i += 2)
            request.bytes.push_back(byteOf(i, i + 1));
    } else {
        qsizetype i = m;
        while (i >= 2) {
            request.bytes.push_back(byteOf(i - 2, i - 1));
            i -= 2;
        }
        if (i == 1)
            request.bytes.push_back(byteOf(-1, 0));
    }
    return request;
}
