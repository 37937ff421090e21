// Turning typed text into the bytes of a character code (search strings, fixed-form input, typing).
#include "TextEncoder.h"

#include "CodePage.h"
#include "Ebcdic.h"
#include "JisPair.h"

namespace {

QByteArray EncodeSingleByteTable(QStringView text, bool (*map)(uint8_t, uint8_t&))
{
    // Lead bytes of double-byte characters fall outside both table ranges and are dropped; a
    // trail byte that happens to lie in a range is mapped like any byte, as the tables have
    // always done with text they cannot hold.
    const QByteArray sjis = NarrowToCodePage(kCodePageShiftJis, text);
    QByteArray out;
    out.reserve(sjis.size());
    for (char c : sjis) {
        uint8_t byte;
        if (map(static_cast<uint8_t>(c), byte))
            out.append(static_cast<char>(byte));
    }
    return out;
}

QByteArray Utf16Units(QStringView text, bool highFirst)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        const char lo = static_cast<char>(c.unicode() & 0xFF);
        const char hi = static_cast<char>(c.unicode() >> 8);
        out.append(highFirst ? hi : lo);
        out.append(highFirst ? lo : hi);
    }
    return out;
}

} // namespace

QByteArray EncodeJis(QStringView text)
{
    const QByteArray sjis = NarrowToCodePage(kCodePageShiftJis, text);
    QByteArray out;
    out.reserve(sjis.size());
    for (qsizetype i = 0; i < sjis.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(sjis[i]);
        if ((b >= 0x81 && b <= 0x9F) || b >= 0xE0) {
            // A lead at the very end (0xFD-0xFF come from single characters) pairs with the
            // terminating zero, which then ends the result.
            const uint8_t trail = i + 1 < sjis.size() ? static_cast<uint8_t>(sjis[i + 1]) : 0;
            const auto [row, cell] = ShiftJisToJisPair(b, trail);
            out.append(static_cast<char>(row));
            out.append(static_cast<char>(cell));
            ++i;
        } else if (b >= 0xA0 && b <= 0xDF) {
            out.append(static_cast<char>(b - 0x80));
        } else {
            out.append(static_cast<char>(b));
        }
    }
    const qsizetype zero = out.indexOf('\0');
    if (zero >= 0)
        out.truncate(zero);
    return out;
}

QByteArray EncodeEuc(QStringView text)
{
    // Code page 20932 writes JIS X 0212 as b1 (A1-FE), b2 (21-7E), a form no EUC-JP file holds;
    // every such pair becomes 0x8F b1 b2|0x80 so that searching for the text finds it, whether
    // it stands alone or among other characters.
    const QByteArray cp = NarrowToCodePage(kCodePageEuc, text);
    QByteArray out;
    out.reserve(cp.size() + 4);
    auto inGR = [](uint8_t b) { return b >= 0xA1 && b <= 0xFE; };
    for (qsizetype i = 0; i < cp.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(cp[i]);
        const uint8_t next = i + 1 < cp.size() ? static_cast<uint8_t>(cp[i + 1]) : 0;
        if ((b == 0x8E || inGR(b)) && inGR(next)) {
            out.append(static_cast<char>(b));
            out.append(static_cast<char>(next));
            ++i;
        } else if (inGR(b) && next >= 0x21 && next <= 0x7E) {
            out.append('\x8F');
            out.append(static_cast<char>(b));
            out.append(static_cast<char>(next | 0x80));
            ++i;
        } else {
            out.append(static_cast<char>(b));
        }
    }
    return out;
}

QByteArray EncodeEbcdic(QStringView text)
{
    return EncodeSingleByteTable(text, &ShiftJisToEbcdic);
}

QByteArray EncodeEbcdik(QStringView text)
{
    return EncodeSingleByteTable(text, &ShiftJisToEbcdik);
}

QByteArray EncodeText(QStringView text, CharCode code)
{
    switch (code) {
    case CharCode::ShiftJis: return NarrowToCodePage(kCodePageShiftJis, text);
    case CharCode::Utf8: return NarrowToCodePage(kCodePageUtf8, text);
    case CharCode::Jis: return EncodeJis(text);
    case CharCode::Euc: return EncodeEuc(text);
    case CharCode::Ebcdic: return EncodeEbcdic(text);
    case CharCode::Ebcdik: return EncodeEbcdik(text);
    case CharCode::UnicodeBE: return Utf16Units(text, true);
    case CharCode::Unicode:
    case CharCode::Ascii:
    default: return Utf16Units(text, false);
    }
}

qsizetype FirstUnheldChar(QStringView text, CharCode code)
{
    for (qsizetype i = 0; i < text.size();) {
        const char16_t u = text[i].unicode();
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype width = pair ? 2 : 1;
        const bool lone = !pair && QChar::isSurrogate(u);
        const QStringView one = text.mid(i, width);
        bool held = true;
        switch (code) {
        case CharCode::Unicode:
        case CharCode::UnicodeBE: break;
        case CharCode::Ascii: held = !pair && u < 0x80; break;
        case CharCode::Utf8: held = !lone; break;
        case CharCode::ShiftJis:
        case CharCode::Jis:
        case CharCode::Euc: {
            // A character the code page lacks comes out as its default character "?".
            const QByteArray bytes = NarrowToCodePage(code == CharCode::Euc ? kCodePageEuc : kCodePageShiftJis, one);
            held = u == u'?' || bytes != "?";
            break;
        }
        case CharCode::Ebcdic:
        case CharCode::Ebcdik: {
            const QByteArray sjis = NarrowToCodePage(kCodePageShiftJis, one);
            uint8_t byte = 0;
            const auto map = code == CharCode::Ebcdic ? &ShiftJisToEbcdic : &ShiftJisToEbcdik;
            held = sjis.size() == 1 && (u == u'?' || sjis != "?") && map(static_cast<uint8_t>(sjis[0]), byte);
            break;
        }
        }
        if (!held)
            return i;
        i += width;
    }
    return -1;
}

QString UnheldCharMessage(QStringView text, QStringView codeName)
{
    CharCode code = CharCode::Unicode;
    for (int v = 0; v < kCharCodeCount; ++v)
        if (CharCodeNameFromValue(v) == codeName)
            code = CharCodeFromValue(v);
    const qsizetype at = FirstUnheldChar(text, code);
    if (at < 0)
        return {};
    const qsizetype width = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
    QString shown = text.mid(at, width).toString();
    if (shown.size() == 1 && (shown[0].unicode() < 0x20 || shown[0].isSurrogate()))
        shown = QStringLiteral("U+%1").arg(unsigned(shown[0].unicode()), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("「%1」は %2 で表せません。").arg(shown, CharCodeName(code));
}

QString EncodeTextAsHex(QStringView text, QStringView codeName)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const QByteArray bytes = EncodeText(text, CharCodeFromName(codeName));
    QString hex;
    hex.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const uint8_t b = static_cast<uint8_t>(c);
        hex.append(QChar(kDigits[b >> 4]));
        hex.append(QChar(kDigits[b & 0x0F]));
    }
    return hex;
}

TypedBytes EncodeTypedChar(char16_t ch, CharCode code)
{
    TypedBytes typed;
    const uint8_t lo = static_cast<uint8_t>(ch & 0xFF);
    const uint8_t hi = static_cast<uint8_t>(ch >> 8);
    typed.bytes = {lo, hi, 0, 0};
    if (hi == 0) {
        typed.count = 1;
        return typed;
    }
    const QChar unit(ch);
    QByteArray bytes;
    switch (code) {
    case CharCode::Jis: bytes = EncodeJis(QStringView(&unit, 1)); break;
    case CharCode::ShiftJis: bytes = NarrowToCodePage(kCodePageShiftJis, QStringView(&unit, 1)); break;
    case CharCode::Euc: bytes = EncodeEuc(QStringView(&unit, 1)); break;
    case CharCode::Utf8: bytes = NarrowToCodePage(kCodePageUtf8, QStringView(&unit, 1)); break;
    case CharCode::UnicodeBE:
        typed.bytes = {hi, lo, 0, 0};
        typed.count = 2;
        return typed;
    default:
        typed.count = 2;
        return typed;
    }
    // Every conversion above gives one to three bytes for one unit (a character the code cannot
    // hold gives its default character); an empty result would only come from a failed
    // converter, and then the unit's low byte is written rather than nothing.
    typed.bytes = {0, 0, 0, 0};
    if (bytes.isEmpty()) {
        typed.bytes[0] = lo;
        typed.count = 1;
        return typed;
    }
    typed.count = static_cast<uint8_t>(std::min<qsizetype>(bytes.size(), 3));
    for (uint8_t i = 0; i < typed.count; ++i)
        typed.bytes[i] = static_cast<uint8_t>(bytes[i]);
    return typed;
}
