// The ".def" parser and the varsize re-evaluation of the structure editor.
#include "structs/StructDefs.h"

#include "codes/CodePage.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <limits>

namespace {

struct Keyword
{
    const char* word;
    uint32_t size;
};

const Keyword kKeywords[CStructDefs::kKeywordCount] = {
    {"char", 1},  {"CHAR", 1},  {"byte", 1},  {"BYTE", 1},   {"short", 2},  {"SHORT", 2},
    {"word", 2},  {"WORD", 2},  {"wchar", 2}, {"WCHAR", 2},  {"long", 4},   {"LONG", 4},
    {"dword", 4}, {"DWORD", 4}, {"float", 4}, {"FLOAT", 4},  {"double", 8}, {"DOUBLE", 8},
};

const QString kVarsizeWord = QStringLiteral("varsize");
const QString kVarsizeWordBig = QStringLiteral("VARSIZE");

bool IsVarsizeWord(const QString& s)
{
    return s == kVarsizeWord || s == kVarsizeWordBig;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c.isSpace();
}

QString LeftTrimmed(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return s.mid(i);
}

// The leading decimal digits of `s` as a number (0 when there are none), held to `cap`.
int64_t LeadingDecimal(const QString& s, int64_t cap)
{
    int64_t v = 0;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const int digit = c.unicode() - '0';
        if (v > (cap - digit) / 10)
            return cap;
        v = v * 10 + digit;
    }
    return v;
}

bool StartsWithDigit(const QString& s)
{
    return !s.isEmpty() && s[0] >= QLatin1Char('0') && s[0] <= QLatin1Char('9');
}

} // namespace

int CStructDefs::KindOf(const QString& type)
{
    for (int i = 0; i < kKeywordCount; ++i)
        if (type == QLatin1String(kKeywords[i].word))
            return i;
    return -1;
}

QString CStructDefs::Keyword(int kind)
{
    if (kind >= 0 && kind < kKeywordCount)
        return QString::fromLatin1(kKeywords[kind].word);
    if (kind == kVarsizeLittle)
        return kVarsizeWord;
    if (kind == kVarsizeBig)
        return kVarsizeWordBig;
    return QString();
}

uint32_t CStructDefs::KindElementSize(int kind)
{
    return kind >= 0 && kind < kKeywordCount ? kKeywords[kind].size : 0;
}

int64_t CStructDefs::SatAdd(int64_t a, int64_t b)
{
    const int64_t r = a + b; // both are held within ±kMaxSize, so this cannot overflow
    return std::clamp(r, -kMaxSize, kMaxSize);
}

int64_t CStructDefs::SatMul(int64_t a, int64_t b)
{
    if (a == 0 || b == 0)
        return 0;
    if (a > kMaxSize / std::max<int64_t>(b, 1))
        return kMaxSize;
    return std::min(a * b, kMaxSize);
}

int64_t CStructDefs::ClampCount(int64_t value)
{
    return std::clamp<int64_t>(value, 0, kMaxCount);
}

uint32_t CStructDefs::ClampWidth(int64_t value)
{
    // A varsize value is at most 8 bytes wide; a wider or negative width reads 8 or 0 bytes.
    return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, 8));
}

int64_t CStructDefs::Apply(QChar op, int64_t value, int64_t operand)
{
    // Values stay within ±kMaxSize so no step overflows; dividing by 0 gives 0 (an empty array).
    switch (op.unicode()) {
    case '+': return SatAdd(value, operand);
    case '-': return SatAdd(value, -operand);
    case '*': {
        const int64_t m = SatMul(value < 0 ? -value : value, operand);
        return value < 0 ? -m : m;
    }
    case '/': return operand == 0 ? 0 : value / operand;
    default: return value;
    }
}

void CStructDefs::Clear()
{
    m_defs.clear();
    m_varsizes.clear();
    m_errorLine = 0;
    m_errorText.clear();
}

bool CStructDefs::Fail(int line, const QString& text)
{
    m_errorLine = line;
    m_errorText = text;
    return false;
}

bool CStructDefs::Parse(const QByteArray& fileBytes, const ValueReader& read)
{
    Clear();
    if (fileBytes.size() > kMaxFileBytes)
        return Fail(1, QStringLiteral("定義ファイルが大きすぎます。"));
    // A NUL byte never appears in a text file: refuse binaries before reading them as lines.
    const qsizetype nul = fileBytes.indexOf('\0');
    if (nul >= 0)
        return Fail(int(fileBytes.left(nul).count('\n')) + 1, QStringLiteral("テキストファイルではありません。"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(fileBytes);
    if (utf8.hasError()) {
        text.clear();
        if (!WidenFromCodePage(fileBytes, kCodePageShiftJis, text))
            text = QString::fromLatin1(fileBytes);
    }
    return ParseText(text, read);
}

bool CStructDefs::ParseText(const QString& text, const ValueReader& read)
{
    Clear();
    m_read = read;
    m_inComment = false;
    m_accepting = false;
    m_offset = 0;
    int lineNo = 0;
    qsizetype pos = 0;
    bool ok = true;
    while (pos <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
        if (end < 0)
            end = text.size();
        ++lineNo;
        QString line = text.mid(pos, end - pos);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!ParseLine(line, lineNo)) {
            ok = false;
            break;
        }
        pos = end + 1;
    }
    // A definition still open at the end of the file ends there.
    if (m_accepting && !m_defs.empty())
        m_defs.back().size = m_offset;
    m_accepting = false;
    m_read = nullptr;
    return ok;
}

bool CStructDefs::ParseLine(const QString& raw, int line)
{
    QString s = raw;
    const qsizetype slash = s.indexOf(QLatin1String("//"));
    if (slash >= 0)
        s.truncate(slash);
    s = s.trimmed();
    // Block comments; the text before a "/*" that runs past the line still counts.
    for (;;) {
        if (m_inComment) {
            const qsizetype close = s.indexOf(QLatin1String("*/"));
            if (close < 0)
                return true;
            s = LeftTrimmed(s.mid(close + 2));
            m_inComment = false;
            continue;
        }
        const qsizetype open = s.indexOf(QLatin1String("/*"));
        if (open < 0)
            break;
        const qsizetype close = s.indexOf(QLatin1String("*/"), open + 2);
        if (close >= 0) {
            s.remove(open, close + 2 - open);
            s = s.trimmed();
        } else {
            s = s.left(open).trimmed();
            m_inComment = true;
            break;
        }
    }
    if (s.isEmpty())
        return true;

    if (s.startsWith(QLatin1String("struct"))) {
        // A definition left open by a missing "}" ends where the next one starts.
        if (m_accepting && !m_defs.empty())
            m_defs.back().size = m_offset;
        STRUCTDEF def;
        def.name = s.mid(6).trimmed();
        m_defs.push_back(std::move(def));
        m_offset = 0;
        m_accepting = true;
        return true;
    }
    if (s.contains(QLatin1Char('{')))
        return true;
    if (s.contains(QLatin1Char('}'))) {
        if (m_defs.empty())
            return Fail(line, QStringLiteral("\"struct\" より前に \"}\" があります。"));
        if (m_accepting) {
            m_defs.back().size = m_offset;
            m_offset = 0;
            m_accepting = false;
        }
        return true;
    }
    if (!m_accepting)
        return true;
    return AddField(s, line);
}

bool CStructDefs::AddField(const QString& s, int line)
{
    const int structIndex = int(m_defs.size()) - 1;
    STRUCTDATA f;
    f.line = line;
    qsizetype typeEnd = s.indexOf(QLatin1Char('\t'));
    if (typeEnd < 0)
        typeEnd = s.indexOf(QLatin1Char(' '));
    if (typeEnd < 0)
        typeEnd = s.size();
    f.type = s.left(typeEnd);
    for (int i = 0; i < structIndex; ++i) {
        if (m_defs[i].name == f.type) {
            f.structIndex = i;
            break;
        }
    }
    QString rest = LeftTrimmed(s.mid(typeEnd));
    const qsizetype semi = rest.indexOf(QLatin1Char(';'));
    f.name = semi < 0 ? QString() : rest.left(semi);
    while (!f.name.isEmpty() && IsBlank(f.name.back()))
        f.name.chop(1);

    const bool varsizeLine = IsVarsizeWord(f.type) && f.structIndex < 0;
    const qsizetype bracket = varsizeLine ? -1 : f.name.indexOf(QLatin1Char('['));
    if (bracket >= 0) {
        QString countText = f.name.mid(bracket + 1);
        if (countText.endsWith(QLatin1Char(']')))
            countText.chop(1);
        const QString trimmedCount = countText.trimmed();
        if (IsVarsizeWord(trimmedCount)) {
            if (m_varsizes.empty())
                return Fail(line, QStringLiteral("[%1] より前に varsize の値がありません。").arg(trimmedCount));
            f.varsizeIndex = int(m_varsizes.size()) - 1;
            f.countFromVarsize = true;
            const qsizetype word = f.name.indexOf(trimmedCount, bracket + 1);
            f.namePrefix = f.name.left(word);
            f.nameSuffix = f.name.mid(word + trimmedCount.size());
            SetArrayCount(f, m_varsizes.back().value);
        } else {
            f.count = LeadingDecimal(trimmedCount, kMaxCount);
        }
    }
    if (varsizeLine) {
        f.name.remove(QLatin1Char(' '));
        f.name.remove(QLatin1Char('\t'));
        const bool arithmetic = f.name.size() >= 2 && QStringLiteral("+-*/").contains(f.name[0])
                                && StartsWithDigit(f.name.mid(1));
        if (arithmetic && m_varsizes.empty())
            return Fail(line, QStringLiteral("varsize の計算行より前に varsize の値がありません。"));
        if (!arithmetic && IsVarsizeWord(f.name) && m_varsizes.empty())
            return Fail(line, QStringLiteral("幅の varsize より前に varsize の値がありません。"));
    }
    auto& members = m_defs.back().members;
    members.push_back(std::move(f));
    ResolveMemberType(members.back(), structIndex, m_offset);
    m_offset = SatAdd(m_offset, members.back().size);
    return true;
}

void CStructDefs::SetArrayCount(STRUCTDATA& f, int64_t value) const
{
    f.count = ClampCount(value);
    f.name = f.namePrefix + QString::number(f.count) + f.nameSuffix;
}

int64_t CStructDefs::FieldSize(const STRUCTDATA& f) const
{
    if (f.kind == kArithmetic && f.structIndex < 0)
        return 0;
    const int64_t unit = f.structIndex >= 0 ? m_defs[f.structIndex].size : int64_t(f.elementSize);
    if (f.countFromVarsize)
        return SatMul(unit, f.count); // no elements when the data says 0
    return f.count ? SatMul(unit, f.count) : unit;
}

void CStructDefs::ResolveMemberType(STRUCTDATA& f, int structIndex, int64_t offset)
{
    if (f.structIndex >= 0) {
        f.size = FieldSize(f);
        return;
    }
    if (!IsVarsizeWord(f.type)) {
        int kind = KindOf(f.type);
        if (kind < 0)
            kind = 2; // an unknown type word is a byte
        f.kind = static_cast<uint8_t>(kind);
        f.elementSize = kKeywords[kind].size;
        f.size = FieldSize(f);
        return;
    }
    f.varsizeIndex = int(m_varsizes.size()) - 1;
    if (f.name.size() >= 2 && QStringLiteral("+-*/").contains(f.name[0]) && StartsWithDigit(f.name.mid(1))) {
        f.type = QStringLiteral("VARSIZECalc");
        f.kind = kArithmetic;
        f.op = f.name[0];
        f.operand = LeadingDecimal(f.name.mid(1), kMaxSize);
        f.size = 0;
        STRUCTVARSIZE& v = m_varsizes.back();
        v.value = Apply(f.op, v.value, f.operand);
        return;
    }
    f.kind = f.type == kVarsizeWord ? kVarsizeLittle : kVarsizeBig;
    if (IsVarsizeWord(f.name)) {
        f.widthFrom = int(m_varsizes.size()) - 1;
        f.elementSize = ClampWidth(m_varsizes.back().value);
    } else {
        f.elementSize = ClampWidth(LeadingDecimal(f.name, 8 + 1));
    }
    f.size = f.elementSize;
    const uint64_t value = m_read ? m_read(uint64_t(offset), f.elementSize, f.kind == kVarsizeBig) : 0;
    // Held as a signed value: an 8-byte count with the top bit set is a negative (empty) count.
    m_varsizes.push_back({structIndex, int(m_defs[structIndex].members.size()) - 1,
                          std::clamp<int64_t>(static_cast<int64_t>(value), -kMaxSize, kMaxSize)});
    f.varsizeIndex = int(m_varsizes.size()) - 1;
}

void CStructDefs::Reevaluate(const ValueReader& read)
{
    // One pass in table order: structures only use those above them, so each structure's
    // nested sizes are final when it is walked, and every varsize value is read at the offset
    // that the counts before it give.
    std::vector<int64_t> values(m_varsizes.size());
    for (size_t i = 0; i < m_varsizes.size(); ++i)
        values[i] = m_varsizes[i].value;
    for (STRUCTDEF& def : m_defs) {
        int64_t offset = 0;
        for (STRUCTDATA& f : def.members) {
            if (f.kind == kVarsizeLittle || f.kind == kVarsizeBig) {
                if (f.widthFrom >= 0)
                    f.elementSize = ClampWidth(values[f.widthFrom]);
                f.size = f.elementSize;
                const uint64_t v = read ? read(uint64_t(offset), f.elementSize, f.kind == kVarsizeBig) : 0;
                if (f.varsizeIndex >= 0)
                    values[f.varsizeIndex] = std::clamp<int64_t>(static_cast<int64_t>(v), -kMaxSize, kMaxSize);
            } else if (f.kind == kArithmetic && f.structIndex < 0) {
                if (f.varsizeIndex >= 0)
                    values[f.varsizeIndex] = Apply(f.op, values[f.varsizeIndex], f.operand);
            } else {
                if (f.countFromVarsize && f.varsizeIndex >= 0)
                    SetArrayCount(f, values[f.varsizeIndex]);
                f.size = FieldSize(f);
            }
            offset = SatAdd(offset, f.size);
        }
        def.size = offset;
    }
    for (size_t i = 0; i < m_varsizes.size(); ++i)
        m_varsizes[i].value = values[i];
}

const CStructDefs::STRUCTDATA& CStructDefs::Member(int def, int member) const
{
    static const STRUCTDATA kNone;
    if (!HasDef(def) || member < 0 || size_t(member) >= m_defs[size_t(def)].members.size())
        return kNone;
    return m_defs[size_t(def)].members[size_t(member)];
}

const CStructDefs::STRUCTDEF& CStructDefs::Def(int def) const
{
    static const STRUCTDEF kNone;
    return HasDef(def) ? m_defs[size_t(def)] : kNone;
}

std::vector<int64_t> CStructDefs::MemberOffsets(int def) const
{
    const auto& members = Def(def).members;
    std::vector<int64_t> offsets(members.size() + 1);
    int64_t o = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        offsets[i] = o;
        o = SatAdd(o, members[i].size);
    }
    offsets[members.size()] = o;
    return offsets;
}
