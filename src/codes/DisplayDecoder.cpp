// Decoding the bytes of a row into the cells of the text column, for all nine character codes.
#include "DisplayDecoder.h"

#include "CodePage.h"
#include "Ebcdic.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint8_t kEsc = 0x1B;

// Code-page output is drawn as it is, except what would act instead of showing: control
// characters become "." (as control bytes do everywhere in the column), lone surrogates U+FFFD.
bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

QString Visible(const QString& text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (IsControl(c.unicode()))
            out[i] = QLatin1Char('.');
        else if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            out[i] = QChar(0xFFFD);
    }
    return out;
}

// A byte of 932 drawn alone: the private-use characters that Windows gives for 0xA0 and
// 0xFD-0xFF, and a lead byte with nothing after it, have no glyph worth showing and draw ".".
QString Cp932Single(uint8_t b)
{
    const char16_t c = Cp932SingleChar(b);
    if (c == 0 || IsControl(c) || (c >= 0xE000 && c <= 0xF8FF))
        return QStringLiteral(".");
    return QString(QChar(c));
}

// Texts of single bytes, made once and shared, so that a row of single bytes allocates nothing.
struct SingleTexts
{
    std::array<QString, 256> ascii, shiftJis, euc, jisPlain, ebcdic, ebcdik;
    QString blank = QStringLiteral(" ");
    QString dot = QStringLiteral(".");
    QString wideBlank = QStringLiteral("  ");
    QString ideographicSpace = QString(QChar(0x3000));

    SingleTexts()
    {
        for (int i = 0; i < 256; ++i) {
            const auto b = static_cast<uint8_t>(i);
            ascii[i] = b == 0 ? blank : (b >= 0x20 && b <= 0x7E) ? QString(QChar(b)) : dot;
            // Shift-JIS, EUC and JIS outside its sets share the 932 rule for bytes alone.
            shiftJis[i] = b == 0 ? blank : b < 0x20 ? dot : Cp932Single(b);
            jisPlain[i] = shiftJis[i];
            euc[i] = b == 0 ? blank : b < 0x20 ? dot : (b >= 0x80 && b <= 0xFE) ? dot : Cp932Single(b);
            const uint8_t c = EbcdicToShiftJis(b);
            ebcdic[i] = c ? Cp932Single(c) : blank;
            const uint8_t k = EbcdikToShiftJis(b);
            ebcdik[i] = k ? Cp932Single(k) : blank;
        }
    }
};

const SingleTexts& Singles()
{
    static const SingleTexts texts;
    return texts;
}

// One character found at a lead: its text, the bytes it spans, the painter's pad flag.
struct Glyph
{
    QString text;
    uint8_t span = 1;
    bool pad = false;
};

Glyph DecodeShiftJis(const uint8_t* p, size_t rem)
{
    if (IsShiftJisLead(p[0]) && rem >= 2)
        return {Visible(QString(QChar(Cp932PairChar(p[0], p[1])))), 2};
    return {Singles().shiftJis[p[0]], 1};
}

Glyph DecodeEuc(const uint8_t* p, size_t rem)
{
    auto inGR = [](uint8_t b) { return b >= 0xA1 && b <= 0xFE; };
    const uint8_t b = p[0];
    if (inGR(b) && rem >= 2 && inGR(p[1]))
        return {Visible(QString(QChar(JisX0208Char(b & 0x7F, p[1] & 0x7F)))), 2};
    if (b == 0x8E && rem >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF)
        return {QString(QChar(static_cast<char16_t>(0xFF61 + (p[1] - 0xA1)))), 2};
    // A JIS X 0212 character covers its three bytes, so that the bytes after it keep their
    // own cells.
    if (b == 0x8F && rem >= 3 && inGR(p[1]) && inGR(p[2]))
        return {Visible(JisX0212Text(p[1] & 0x7F, p[2] & 0x7F)), 3};
    return {Singles().euc[b], 1};
}

// The character of a pair in the two-byte set the escape sequence chose.
QString JisPairText(const DecodeState& s, uint8_t b1, uint8_t b2)
{
    char16_t c = 0x30FB;
    if (s.jisFinal == '@' || s.jisFinal == 'B')
        c = JisX0208Char(b1, b2);
    else if (s.jisFinal == '(' && s.jisThird == 'D')
        return Visible(JisX0212Text(b1, b2));
    else if (s.jisFinal == '(' && s.jisThird == 'Q' && IsJisX0208Row(b1))
        c = JisX0208Char(b1, b2);
    return Visible(QString(QChar(c)));
}

QString JisSingleText(const DecodeState& s, uint8_t b)
{
    if (s.jisFinal == 'B' || s.jisFinal == 'J')
        return Singles().ascii[b];
    if (s.jisFinal == 'I' && b <= 0x5F)
        return QString(QChar(static_cast<char16_t>(0xFF61 + (b - 0x21))));
    return Singles().dot;
}

Glyph DecodeJis(const uint8_t* p, size_t rem, DecodeState& s)
{
    const uint8_t b = p[0];
    const QString& dot = Singles().dot;
    if (b == kEsc) {
        // An escape that does not start a designation draws "." alone; the byte after it is
        // drawn in its own cell like any other byte.
        s.jisAfterParen = false;
        if (rem >= 2 && p[1] == '$')
            s.jisMode = 1;
        else if (rem >= 2 && p[1] == '(')
            s.jisMode = 2;
        return {dot, 1};
    }
    if (s.jisMode == 1) {
        if (b != '$') {
            s.jisMode = 3;
            s.jisFinal = b;
            s.jisThird = 0;
            s.jisAfterParen = b == '(';
        }
        return {dot, 1};
    }
    if (s.jisMode == 2) {
        if (b != '(') {
            s.jisMode = 4;
            s.jisFinal = b;
        }
        return {dot, 1};
    }
    if (s.jisMode == 3 && s.jisAfterParen && (b == 'D' || b == 'P' || b == 'Q')) {
        s.jisThird = b;
        s.jisAfterParen = false;
        return {dot, 1};
    }
    s.jisAfterParen = false;
    if (b >= 0x21 && b <= 0x7E) {
        if (s.jisMode == 3 && rem >= 2)
            return {JisPairText(s, b, p[1]), 2};
        if (s.jisMode == 4)
            return {JisSingleText(s, b), 1};
    }
    return {Singles().jisPlain[b], 1};
}

Glyph DecodeUnicode(const uint8_t* p, size_t rem, bool bigEndian, DecodeState& s)
{
    auto unitAt = [&](size_t i) -> char16_t {
        return bigEndian ? static_cast<char16_t>((p[i] << 8) | p[i + 1])
                         : static_cast<char16_t>(p[i] | (p[i + 1] << 8));
    };
    // A last odd byte is a unit by itself, covering only its own cell.
    const uint8_t span = rem >= 2 ? 2 : 1;
    const char16_t u = span == 2 ? unitAt(0) : p[0];
    if (s.lowSurrogateNext) {
        s.lowSurrogateNext = false;
        return {Singles().ideographicSpace, span};
    }
    if (QChar::isHighSurrogate(u) && rem >= 4 && QChar::isLowSurrogate(unitAt(2))) {
        s.lowSurrogateNext = true;
        const QChar pair[2] = {QChar(u), QChar(unitAt(2))};
        return {QString(pair, 2), 2};
    }
    // A zero unit, and the control units, draw nothing visible.
    if (IsControl(u))
        return {span == 2 ? Singles().wideBlank : Singles().blank, span};
    if (QChar::isSurrogate(u))
        return {QString(QChar(0xFFFD)), span, true};
    return {QString(QChar(u)), span, span == 2};
}

Glyph DecodeUtf8(const uint8_t* p, size_t rem)
{
    const uint8_t b = p[0];
    if (b < 0xC0)
        return {Singles().ascii[b], 1};
    const size_t length = b <= 0xDF ? 2 : b <= 0xEF ? 3 : b <= 0xF7 ? 4 : (b == 0xFC || b == 0xFD) ? 6 : 5;
    // A sequence reaching past the end is shortened to the bytes that exist.
    const size_t n = std::min(length, rem);
    for (size_t k = 1; k < n; ++k) {
        if (!(p[k] & 0x80))
            return {Singles().dot, 1};
    }
    QString text;
    WidenFromCodePage(QByteArrayView(reinterpret_cast<const char*>(p), static_cast<qsizetype>(n)), kCodePageUtf8, text);
    // Each byte keeps its own cell: the character spans exactly the bytes of its sequence.
    return {Visible(text), static_cast<uint8_t>(n)};
}

Glyph DecodeAt(CharCode code, const uint8_t* p, size_t rem, DecodeState& s)
{
    switch (code) {
    case CharCode::Ascii: return {Singles().ascii[p[0]], 1};
    case CharCode::Jis: return DecodeJis(p, rem, s);
    case CharCode::ShiftJis: return DecodeShiftJis(p, rem);
    case CharCode::Euc: return DecodeEuc(p, rem);
    case CharCode::Unicode: return DecodeUnicode(p, rem, false, s);
    case CharCode::UnicodeBE: return DecodeUnicode(p, rem, true, s);
    case CharCode::Utf8: return DecodeUtf8(p, rem);
    case CharCode::Ebcdic: return {Singles().ebcdic[p[0]], 1};
    case CharCode::Ebcdik: return {Singles().ebcdik[p[0]], 1};
    }
    // A value outside the nine (a damaged setting cast in) shows like Shift-JIS, the default.
    return DecodeShiftJis(p, rem);
}

} // namespace

void DecodeForDisplay(const uint8_t* bytes, size_t available, uint64_t address, uint64_t fileSize,
                      CharCode code, DecodeState& state, std::vector<DisplayCell>& cells,
                      size_t rowLength)
{
    cells.clear();
    if (!bytes)
        available = 0;
    if (state.started && state.nextAddress != address)
        state = DecodeState{};
    const uint64_t inFile = address < fileSize ? fileSize - address : 0;
    const size_t limit = static_cast<size_t>(std::min<uint64_t>(available, inFile));
    const size_t n = std::min(rowLength, limit);
    state.started = true;
    state.nextAddress = address + n;
    cells.reserve(n);
    for (size_t j = 0; j < n; ++j) {
        DisplayCell cell;
        if (state.covered > 0) {
            --state.covered;
            ++state.leadDistance;
            if (j == 0) {
                cell.kind = DisplayCell::Kind::CoveredRowStart;
                cell.text = Singles().blank;
            } else {
                cell.kind = DisplayCell::Kind::Covered;
                cell.cells = 0;
                cell.leadText = state.leadText;
            }
            cell.leadDistance = state.leadDistance;
            cell.leadCells = state.leadCells;
            cell.leadPadIfNarrow = state.leadPadIfNarrow;
            cells.push_back(std::move(cell));
            continue;
        }
        Glyph glyph = DecodeAt(code, bytes + j, limit - j, state);
        cell.cells = glyph.span;
        cell.padIfNarrow = glyph.pad;
        if (glyph.span > 1) {
            state.covered = static_cast<uint8_t>(glyph.span - 1);
            state.leadDistance = 0;
            state.leadCells = glyph.span;
            state.leadPadIfNarrow = glyph.pad;
            state.leadText = glyph.text;
        }
        cell.text = std::move(glyph.text);
        cells.push_back(std::move(cell));
    }
}

std::vector<DisplayCell> DecodeForDisplay(const uint8_t* bytes, size_t available, uint64_t address,
                                          uint64_t fileSize, CharCode code, DecodeState& state,
                                          size_t rowLength)
{
    std::vector<DisplayCell> cells;
    DecodeForDisplay(bytes, available, address, fileSize, code, state, cells, rowLength);
    return cells;
}
