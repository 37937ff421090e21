// What a change of a property of the properties pane does, and how its fields become requests.
#include "panes/PropertyRules.h"

#include "codes/HexText.h"
#include "search/ReplaceRequest.h"
#include "search/SearchFields.h"

namespace PropertyRules {

PropertyChangeEffect OnChanged(PropId id, const QString& value, const PropertyReader& valueOf)
{
    PropertyChangeEffect effect;
    switch (id) {
    case PropSearchDecimal:
        effect.writes.emplace_back(PropSearchHex, SearchDecimalToHex(value));
        effect.discardPattern = true;
        break;
    case PropSearchHex:
        effect.writes.emplace_back(PropSearchDecimal, SearchHexToDecimal(value));
        effect.discardPattern = true;
        break;
    case PropReplaceNumber:
        if (value.startsWith(QLatin1String("0x")))
            effect.writes.emplace_back(PropReplaceNumber, QStringLiteral("0x") + value.mid(2).toUpper());
        break;
    case PropSearchText:
        if (!value.isEmpty()) {
            const EncodedSearchText encoded = EncodeSearchString(value, valueOf(PropSearchCode));
            effect.writes.emplace_back(PropSearchHex, encoded.hex);
            effect.writes.emplace_back(PropSearchDecimal, encoded.decimal);
            effect.discardPattern = true;
        }
        break;
    case PropReplaceText:
        if (!value.isEmpty())
            effect.writes.emplace_back(PropReplaceNumber, EncodeReplaceString(value, valueOf(PropSearchCode)));
        break;
    case PropSearchCode: {
        // The string is encoded again in the new code. An empty string leaves 16進数 alone: a
        // typed pattern must not be wiped by a look at the code list.
        const QString text = valueOf(PropSearchText);
        if (!text.isEmpty()) {
            const EncodedSearchText encoded = EncodeSearchString(text, value);
            effect.writes.emplace_back(PropSearchHex, encoded.hex);
            effect.writes.emplace_back(PropSearchDecimal, encoded.decimal);
        }
        effect.discardPattern = true;
        break;
    }
    case PropViewCode:
        if (const int code = CharCodeOfName(value); code >= 0)
            effect.viewCharCode = code;
        break;
    case PropViewOrder:
        effect.viewByteOrder = value == QStringLiteral("ビッグエンディアン") ? 1 : 0;
        break;
    case PropSearchForm:
        effect.discardPattern = true;
        break;
    case PropSyncScroll:
        effect.syncScroll = value == QLatin1String("ON");
        break;
    default:
        if (value.contains(QLatin1Char(' '))) {
            QString filled = value;
            filled.replace(QLatin1Char(' '), QLatin1Char('0'));
            effect.writes.emplace_back(id, filled);
        }
        break;
    }
    return effect;
}

bool Accepts(const PROPERTYDEF& def, const QString& text)
{
    if (def.accepted.isEmpty())
        return true;
    for (QChar c : text) {
        if (def.accepted.contains(c))
            continue;
        if (!def.mask.isEmpty() && (c == QLatin1Char('-') || c == QLatin1Char(' ')))
            continue;
        return false;
    }
    return true;
}

QString AddressText(uint64_t address)
{
    const auto half = [](uint32_t v) { return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper(); };
    return half(static_cast<uint32_t>(address >> 32)) + QLatin1Char('-') + half(static_cast<uint32_t>(address));
}

QString RangeLengthText(uint64_t start, uint64_t end)
{
    if (end <= start)
        return QStringLiteral("00000001");
    const auto length = static_cast<uint32_t>(end - start + 1);
    return QStringLiteral("%1").arg(length, 8, 16, QLatin1Char('0')).toUpper();
}

uint64_t ReadHexField(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char('-'));
    qsizetype zeros = 0;
    while (zeros < digits.size() && digits.at(zeros) == QLatin1Char('0'))
        ++zeros;
    return HexTextToU64(QStringView(digits).mid(zeros));
}

int CharCodeOfName(const QString& name)
{
    return static_cast<int>(CharCodeNames().indexOf(name));
}

QString NameOfCharCode(int code)
{
    return code >= 0 && code < CharCodeNames().size() ? CharCodeNames().at(code) : QStringLiteral("Shift-JIS");
}

int JumpTypeOf(const QString& name)
{
    const int index = static_cast<int>(PropertyDefinition(PropJumpType).options.indexOf(name));
    return index < 0 ? 0 : index;
}

std::optional<SearchPattern> BuildSearchPattern(const PropertyReader& valueOf)
{
    const QString hex = valueOf(PropSearchHex);
    if (hex.isEmpty())
        return std::nullopt;
    const bool written = !valueOf(PropSearchText).isEmpty() || valueOf(PropSearchForm) == QStringLiteral("ビッグエンディアン");
    return SearchPattern::FromHexText(hex, written);
}

std::optional<SameSearchRequest> BuildSameSearchRequest(const PropertyReader& valueOf)
{
    SameSearchRequest request;
    request.n = ReadDecimalField(valueOf(PropSameBytes));
    if (request.n <= 0)
        return std::nullopt;
    request.start = ReadHexField(valueOf(PropSameStart));
    const uint64_t range = ReadHexField(valueOf(PropSameRange));
    // A range reaching past the last address stops there instead of wrapping round to 0.
    request.end = range > ~uint64_t(0) - request.start ? ~uint64_t(0) : request.start + range;
    request.groupLimit = ReadDecimalField(valueOf(PropSameLimit));
    return request;
}

std::optional<std::pair<SumRequest, int>> BuildSumRequest(const PropertyReader& valueOf)
{
    SumRequest request;
    request.start = ReadHexField(valueOf(PropSumStart));
    request.end = ReadHexField(valueOf(PropSumEnd));
    request.initial = ReadHexField(valueOf(PropSumInitial));
    if (request.end < request.start)
        return std::nullopt;
    const std::optional<SumMethod> method = SumMethodFromName(valueOf(PropSumMethod));
    return std::pair{request, static_cast<int>(method.value_or(SumMethod::Add))};
}

} // namespace PropertyRules
