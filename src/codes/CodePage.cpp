// Conversion between UTF-16 text and the byte forms of code pages 932, 20932, 50222 and 65001.
//
// glibc's iconv does the table work (its CP932 is Microsoft's table with the NEC and IBM rows and
// Windows' choices between duplicates); this file adds what Windows does and glibc does not: the
// single bytes 0x80, 0xA0 and 0xFD-0xFF, the default characters for what cannot be converted, the
// best-fit yen sign and overline and the two-byte JIS X 0212 form of 20932. The escapes of 50222
// live in Iso2022Jp.cpp.
#include "CodePage.h"

#include "Iso2022Jp.h"
#include "JisPair.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>

namespace {

constexpr char16_t kJapaneseDefault = 0x30FB; // what Windows gives for bytes it cannot decode
constexpr char16_t kReplacement = 0xFFFD;

// One iconv converter, opened once and shared by all threads; the mutex serialises the calls
// because an iconv_t carries shift state and is not safe to use from two threads at once.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends the conversion of `in` to `out`. Stops at the first sequence that cannot be
    // converted (or is incomplete) and returns false; `consumed` says how far it got.
    bool Convert(const char* in, size_t length, std::string& out, size_t& consumed)
    {
        consumed = 0;
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return false;
        std::lock_guard lock(m_mutex);
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        size_t left = length;
        char buffer[256];
        while (true) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            const size_t rc = left ? iconv(m_cd, &src, &left, &dst, &room)
                                   : iconv(m_cd, nullptr, nullptr, &dst, &room);
            const int err = errno;
            out.append(buffer, static_cast<size_t>(dst - buffer));
            consumed = length - left;
            if (rc != static_cast<size_t>(-1)) {
                if (left == 0)
                    return true;
                continue;
            }
            if (err == E2BIG)
                continue;
            return false;
        }
    }

private:
    std::mutex m_mutex;
    iconv_t m_cd;
};

Converter& FromCp932()
{
    static Converter c("UTF-16LE", "CP932");
    return c;
}
Converter& ToCp932()
{
    static Converter c("CP932", "UTF-16LE");
    return c;
}
Converter& FromEucJp()
{
    static Converter c("UTF-16LE", "EUC-JP");
    return c;
}
Converter& ToEucJp()
{
    static Converter c("EUC-JP", "UTF-16LE");
    return c;
}
Converter& FromUtf8()
{
    static Converter c("UTF-16LE", "UTF-8");
    return c;
}
Converter& ToUtf8()
{
    static Converter c("UTF-8", "UTF-16LE");
    return c;
}

void AppendUtf16Le(const std::string& bytes, QString& text)
{
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                                (static_cast<uint8_t>(bytes[i + 1]) << 8))));
}

std::string ToUtf16Le(QStringView text)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()) * 2);
    for (QChar c : text) {
        bytes.push_back(static_cast<char>(c.unicode() & 0xFF));
        bytes.push_back(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

// The whole of code page 932 as a table, filled from iconv once: every single byte and every
// lead/trail pair. 0 marks a pair without a character.
struct Cp932Table
{
    std::array<char16_t, 256> single{};
    std::unique_ptr<std::array<char16_t, 65536>> pairs = std::make_unique<std::array<char16_t, 65536>>();

    Cp932Table()
    {
        for (int b = 0; b < 0x80; ++b)
            single[b] = static_cast<char16_t>(b);
        single[0x80] = 0x0080;
        single[0xA0] = 0xF8F0;
        for (int b = 0xA1; b <= 0xDF; ++b)
            single[b] = static_cast<char16_t>(0xFF61 + (b - 0xA1));
        for (int b = 0xFD; b <= 0xFF; ++b)
            single[b] = static_cast<char16_t>(0xF8F1 + (b - 0xFD));
        // Lead bytes alone have no character.
        for (int b = 0x81; b <= 0xFC; ++b) {
            if (IsShiftJisLead(static_cast<uint8_t>(b)))
                single[b] = 0;
        }
        pairs->fill(0);
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsShiftJisLead(static_cast<uint8_t>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                std::string out;
                size_t consumed = 0;
                if (FromCp932().Convert(in, 2, out, consumed) && out.size() == 2)
                    (*pairs)[(lead << 8) | trail] = static_cast<char16_t>(
                        static_cast<uint8_t>(out[0]) | (static_cast<uint8_t>(out[1]) << 8));
            }
        }
    }
};

const Cp932Table& Cp932()
{
    static const Cp932Table table;
    return table;
}

// One code point (one or two UTF-16 units) to code page 932; false when it has no code.
bool NarrowCharTo932(QStringView unit, QByteArray& out)
{
    const char16_t c = unit[0].unicode();
    if (c < 0x80) {
        out.append(static_cast<char>(c));
        return true;
    }
    switch (c) {
    case 0x0080: out.append('\x80'); return true;
    case 0xF8F0: out.append('\xA0'); return true;
    case 0xF8F1: out.append('\xFD'); return true;
    case 0xF8F2: out.append('\xFE'); return true;
    case 0xF8F3: out.append('\xFF'); return true;
    case 0x00A5: out.append('\x5C'); return true; // yen sign: Windows' best fit
    case 0x203E: out.append('\x7E'); return true; // overline: Windows' best fit
    default: break;
    }
    if (c >= 0xFF61 && c <= 0xFF9F) {
        out.append(static_cast<char>(0xA1 + (c - 0xFF61)));
        return true;
    }
    std::string bytes;
    size_t consumed = 0;
    const std::string in = ToUtf16Le(unit);
    if (!ToCp932().Convert(in.data(), in.size(), bytes, consumed) || bytes.empty())
        return false;
    out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return true;
}

// Length in UTF-16 units of the code point at `i`: 2 for a surrogate pair, else 1.
qsizetype CodePointLength(QStringView text, qsizetype i)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return 2;
    return 1;
}

QString Widen932(QByteArrayView bytes)
{
    const Cp932Table& t = Cp932();
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(bytes[i]);
        if (!IsShiftJisLead(b)) {
            text.append(QChar(t.single[b]));
            continue;
        }
        if (i + 1 >= bytes.size()) {
            text.append(QChar(kJapaneseDefault));
            continue;
        }
        // Windows takes the byte after a lead as its trail whatever it is.
        const char16_t c = (*t.pairs)[(b << 8) | static_cast<uint8_t>(bytes[i + 1])];
        text.append(QChar(c ? c : kJapaneseDefault));
        ++i;
    }
    return text;
}

QByteArray Narrow932(QStringView text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = CodePointLength(text, i);
        if (!NarrowCharTo932(text.mid(i, n), out))
            out.append('?');
        i += n;
    }
    return out;
}

// The character of a JIS X 0212 pair (row, cell 0x21-0x7E), or U+30FB.
QString JisX0212(uint8_t row, uint8_t cell)
{
    const char in[3] = {'\x8F', static_cast<char>(row | 0x80), static_cast<char>(cell | 0x80)};
    std::string out;
    size_t consumed = 0;
    QString text;
    if (FromEucJp().Convert(in, 3, out, consumed) && !out.empty())
        AppendUtf16Le(out, text);
    else
        text.append(QChar(kJapaneseDefault));
    return text;
}

QString Widen20932(QByteArrayView bytes)
{
    QString text;
    const qsizetype n = bytes.size();
    auto at = [&](qsizetype i) { return static_cast<uint8_t>(bytes[i]); };
    auto inGR = [](uint8_t b) { return b >= 0xA1 && b <= 0xFE; };
    for (qsizetype i = 0; i < n; ++i) {
        const uint8_t b = at(i);
        if (b < 0x80) {
            text.append(QChar(b));
        } else if (b == 0x8E && i + 1 < n && at(i + 1) >= 0xA1 && at(i + 1) <= 0xDF) {
            text.append(QChar(static_cast<char16_t>(0xFF61 + (at(i + 1) - 0xA1))));
            ++i;
        } else if (b == 0x8F && i + 2 < n && inGR(at(i + 1)) && inGR(at(i + 2))) {
            text.append(JisX0212Text(at(i + 1) & 0x7F, at(i + 2) & 0x7F));
            i += 2;
        } else if (inGR(b) && i + 1 < n && inGR(at(i + 1))) {
            text.append(QChar(JisX0208Char(b & 0x7F, at(i + 1) & 0x7F)));
            ++i;
        } else if (inGR(b) && i + 1 < n && at(i + 1) >= 0x21 && at(i + 1) <= 0x7E) {
            // The code page's own two-byte form of JIS X 0212.
            text.append(JisX0212Text(b & 0x7F, at(i + 1)));
            ++i;
        } else {
            text.append(QChar(kJapaneseDefault));
        }
    }
    return text;
}

// The NEC-selected IBM extension pair (lead ED or EE) of a character, or 0.
uint16_t NecSelectedTwin(char16_t c)
{
    static const std::unordered_map<char16_t, uint16_t> twins = [] {
        std::unordered_map<char16_t, uint16_t> map;
        const Cp932Table& t = Cp932();
        for (int lead = 0xED; lead <= 0xEE; ++lead) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char16_t ch = (*t.pairs)[(lead << 8) | trail];
                if (ch)
                    map.emplace(ch, static_cast<uint16_t>((lead << 8) | trail));
            }
        }
        return map;
    }();
    const auto it = twins.find(c);
    return it == twins.end() ? 0 : it->second;
}

// One code point to 20932; JIS X 0212 comes out in the code page's two-byte form.
bool NarrowCharTo20932(QStringView unit, QByteArray& out)
{
    const char16_t c = unit[0].unicode();
    if (c < 0x80) {
        out.append(static_cast<char>(c));
        return true;
    }
    if (c >= 0xFF61 && c <= 0xFF9F) {
        out.append('\x8E');
        out.append(static_cast<char>(0xA1 + (c - 0xFF61)));
        return true;
    }
    // Three tries, standard forms first, so that text encodes as EUC-JP files hold it:
    // 1. the JIS X 0208 cell that 932 writes the character as, when it lies in a standard row
    //    (this is how U+FF5E and the other characters 932 maps differently reach their cells);
    // 2. glibc's EUC-JP: the standard JIS X 0208 forms (U+301C ...) and JIS X 0212;
    // 3. the rows only 932 fills: NEC row 13 and the NEC-selected IBM rows 89-92, where 932
    //    writes an IBM extension (leads FA-FC, outside the JIS rows) its NEC-selected twin is
    //    taken, the cell the text column shows the character from.
    QByteArray sjis;
    uint8_t row = 0, cell = 0;
    if (NarrowCharTo932(unit, sjis) && sjis.size() == 2) {
        if (static_cast<uint8_t>(sjis[0]) >= 0xFA) {
            const uint16_t twin = NecSelectedTwin(c);
            if (twin) {
                sjis[0] = static_cast<char>(twin >> 8);
                sjis[1] = static_cast<char>(twin & 0xFF);
            }
        }
        std::tie(row, cell) = ShiftJisToJisPair(static_cast<uint8_t>(sjis[0]), static_cast<uint8_t>(sjis[1]));
        if (cell < 0x21 || cell > 0x7E || row < 0x21 || row > 0x7E)
            row = 0;
        if (IsJisX0208Row(row)) {
            out.append(static_cast<char>(row | 0x80));
            out.append(static_cast<char>(cell | 0x80));
            return true;
        }
    }
    std::string bytes;
    size_t consumed = 0;
    const std::string in = ToUtf16Le(unit);
    if (ToEucJp().Convert(in.data(), in.size(), bytes, consumed) && !bytes.empty()) {
        if (bytes.size() == 3 && static_cast<uint8_t>(bytes[0]) == 0x8F) {
            out.append(bytes[1]);
            out.append(static_cast<char>(bytes[2] & 0x7F));
        } else {
            out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
        }
        return true;
    }
    if (row) {
        out.append(static_cast<char>(row | 0x80));
        out.append(static_cast<char>(cell | 0x80));
        return true;
    }
    return false;
}

QByteArray Narrow20932(QStringView text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = CodePointLength(text, i);
        if (!NarrowCharTo20932(text.mid(i, n), out))
            out.append('?');
        i += n;
    }
    return out;
}

// Length of the maximal invalid subsequence at the start of `bytes` (at least 1), by the rule
// Windows and Unicode use to place one U+FFFD per broken sequence.
qsizetype InvalidUtf8Length(QByteArrayView bytes)
{
    const uint8_t b = static_cast<uint8_t>(bytes[0]);
    int need;
    uint8_t lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2;
        if (b == 0xE0)
            lo = 0xA0;
        else if (b == 0xED)
            hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3;
        if (b == 0xF0)
            lo = 0x90;
        else if (b == 0xF4)
            hi = 0x8F;
    } else {
        return 1;
    }
    qsizetype len = 1;
    for (int k = 0; k < need && len < bytes.size(); ++k) {
        const uint8_t c = static_cast<uint8_t>(bytes[len]);
        if (c < lo || c > hi)
            break;
        ++len;
        lo = 0x80;
        hi = 0xBF;
    }
    return len;
}

QString Widen65001(QByteArrayView bytes)
{
    QString text;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        std::string out;
        size_t consumed = 0;
        const bool done = FromUtf8().Convert(bytes.data() + pos, static_cast<size_t>(bytes.size() - pos), out, consumed);
        AppendUtf16Le(out, text);
        pos += static_cast<qsizetype>(consumed);
        if (done)
            break;
        text.append(QChar(kReplacement));
        pos += InvalidUtf8Length(bytes.sliced(pos));
    }
    return text;
}

QByteArray Narrow65001(QStringView text)
{
    // Lone surrogates have no UTF-8 form; Windows writes U+FFFD for them.
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = CodePointLength(text, i);
        if (n == 2) {
            clean.append(text.mid(i, 2));
            ++i;
        } else {
            clean.append(text[i].isSurrogate() ? QChar(kReplacement) : text[i]);
        }
    }
    const std::string in = ToUtf16Le(clean);
    std::string out;
    size_t consumed = 0;
    ToUtf8().Convert(in.data(), in.size(), out, consumed);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace

bool IsShiftJisLead(uint8_t b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsJisX0208Row(uint8_t row)
{
    // Rows 1-8 and 16-84 of JIS X 0208; the rest are empty in the standard.
    return (row >= 0x21 && row <= 0x28) || (row >= 0x30 && row <= 0x74);
}

char16_t Cp932SingleChar(uint8_t b)
{
    return Cp932().single[b];
}

char16_t Cp932PairChar(uint8_t lead, uint8_t trail)
{
    const char16_t c = (*Cp932().pairs)[(lead << 8) | trail];
    return c ? c : kJapaneseDefault;
}

char16_t JisX0208Char(uint8_t row, uint8_t cell)
{
    if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E)
        return kJapaneseDefault;
    const auto [lead, trail] = JisPairToShiftJis(row, cell);
    return Cp932PairChar(lead, trail);
}

QString JisX0212Text(uint8_t row, uint8_t cell)
{
    // Filled once from iconv, like the 932 table: the text column may meet these on every row.
    static const std::unique_ptr<std::array<char16_t, 94 * 94>> table = [] {
        auto t = std::make_unique<std::array<char16_t, 94 * 94>>();
        for (int r = 0; r < 94; ++r) {
            for (int c = 0; c < 94; ++c) {
                const QString text = JisX0212(static_cast<uint8_t>(0x21 + r), static_cast<uint8_t>(0x21 + c));
                (*t)[r * 94 + c] = text.size() == 1 ? text[0].unicode() : kJapaneseDefault;
            }
        }
        return t;
    }();
    if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E)
        return QString(QChar(kJapaneseDefault));
    return QString(QChar((*table)[(row - 0x21) * 94 + (cell - 0x21)]));
}

bool WidenFromCodePage(QByteArrayView bytes, unsigned codePage, QString& text)
{
    text.clear();
    if (bytes.isEmpty())
        return false;
    switch (codePage) {
    case kCodePageShiftJis: text = Widen932(bytes); return true;
    case kCodePageEuc: text = Widen20932(bytes); return true;
    case kCodePageJis: text = WidenIso2022Jp(bytes); return true;
    case kCodePageUtf8: text = Widen65001(bytes); return true;
    default: return false;
    }
}

QByteArray NarrowToCodePage(unsigned codePage, QStringView text)
{
    if (text.isEmpty())
        return {};
    switch (codePage) {
    case kCodePageShiftJis: return Narrow932(text);
    case kCodePageEuc: return Narrow20932(text);
    case kCodePageJis: return NarrowIso2022Jp(text);
    case kCodePageUtf8: return Narrow65001(text);
    default: return {};
    }
}
