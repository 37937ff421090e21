// Conversions between the search and replace fields.
#include "search/SearchFields.h"

#include "codes/CharCode.h"
#include "codes/HexText.h"
#include "codes/TextEncoder.h"
#include "search/ReplaceRequest.h"

QString SearchDecimalToHex(const QString& decimal)
{
    QString hex = QString::number(ReadDecimalField(decimal), 16).toUpper();
    if (hex.size() % 2)
        hex.prepend(QLatin1Char('0'));
    return hex;
}

QString SearchHexToDecimal(const QString& hex)
{
    uint64_t value = 0;
    uint64_t place = 1;
    for (qsizetype i = hex.size() - 1; i >= 0; --i) {
        const QChar c = hex[i];
        if (c == QLatin1Char('?'))
            break;
        int d;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            d = c.unicode() - u'0';
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            d = c.unicode() - u'A' + 10;
        else
            break; // the field takes no other characters
        value += static_cast<uint64_t>(d) * place;
        place *= 16;
    }
    return QString::number(value);
}

EncodedSearchText EncodeSearchString(const QString& text, const QString& codeName)
{
    EncodedSearchText out;
    out.hex = EncodeTextAsHex(text, codeName);
    out.decimal = QString::number(HexTextToU64(out.hex));
    return out;
}

QString EncodeReplaceString(const QString& text, const QString& codeName)
{
    return QStringLiteral("0x") + EncodeTextAsHex(text, codeName);
}

bool IsCharCodeName(const QString& name)
{
    for (int v = 0; v < kCharCodeCount; ++v)
        if (CharCodeName(CharCodeFromValue(v)) == name)
            return true;
    return false;
}
