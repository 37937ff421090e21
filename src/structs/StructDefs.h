// Structure definitions read from ".def" text: the tables, the parser and the varsize re-evaluation.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The definition table of one ".def" file and the varsize table that its varsize fields fill from
// the data. A structure is referred to by its index in the table; a structure may use only the
// structures defined above it.
class CStructDefs
{
public:
    // One field line.
    struct STRUCTDATA
    {
        QString name;            // as written; for a varsize array the count replaces the word
        QString type;            // the type word as written; "VARSIZECalc" for an arithmetic line
        int64_t size = 0;        // bytes the field occupies
        uint8_t kind = 255;      // index in the keyword table; 18/19 varsize fields; 255 arithmetic
        uint32_t elementSize = 0;
        int64_t count = 0;       // array element count; 0 = not an array
        int structIndex = -1;    // the field's structure type, -1 for a basic type
        int varsizeIndex = -1;   // the varsize entry this field defines, modifies or counts by
        // Extras the re-evaluation needs.
        int widthFrom = -1;      // a varsize field whose width is a varsize value: that entry
        bool countFromVarsize = false; // an array declared [varsize]: count 0 means no elements
        QChar op;                // arithmetic lines: '+', '-', '*' or '/'
        int64_t operand = 0;
        QString namePrefix, nameSuffix; // a [varsize] array's name around the count
        int line = 0;            // the line of the file, for messages
    };

    struct STRUCTDEF
    {
        QString name;
        int64_t size = 0;
        std::vector<STRUCTDATA> members;
    };

    struct STRUCTVARSIZE
    {
        int structIndex = -1;
        int memberIndex = -1;
        int64_t value = 0;
    };

    static constexpr uint8_t kKeywordCount = 18;
    static constexpr uint8_t kVarsizeLittle = 18;
    static constexpr uint8_t kVarsizeBig = 19;
    static constexpr uint8_t kArithmetic = 255;
    // Counts are held to this many elements (a negative count is 0 elements), so that a count
    // read from arbitrary data cannot make sizes overflow or a list try to show billions of rows.
    static constexpr int64_t kMaxCount = 100'000'000;
    // Sizes saturate here; a structure range past it runs to the end of the address space.
    static constexpr int64_t kMaxSize = int64_t(1) << 62;
    // Definition files larger than this are refused (no structure list is written by hand so long).
    static constexpr qsizetype kMaxFileBytes = 64 * 1024 * 1024;

    // Reads `size` bytes (at most 8) at the base address plus `offset`: the first byte least
    // significant, or most significant when `bigEndian`. Bytes past the end of the file are 0.
    using ValueReader = std::function<uint64_t(uint64_t offset, uint32_t size, bool bigEndian)>;

    // The keyword table: kind of a type word (-1 when it is none of the 18), and each kind's word,
    // element size and byte order (odd kinds, the upper-case words, are big-endian).
    static int KindOf(const QString& type);
    static QString Keyword(int kind);
    static uint32_t KindElementSize(int kind);
    static bool IsBigEndian(int kind) { return kind == kVarsizeBig || (kind < kKeywordCount && (kind & 1)); }

    // Parses a whole file's bytes (UTF-8, or Shift-JIS when they are not UTF-8). Returns false on a
    // format error: the structures read before the bad line stay in the table.
    bool Parse(const QByteArray& fileBytes, const ValueReader& read);
    bool ParseText(const QString& text, const ValueReader& read);
    // Reads the varsize fields again (after the base address moved or the data changed) and
    // recomputes the counts, widths and sizes that follow from them.
    void Reevaluate(const ValueReader& read);
    void Clear();

    const std::vector<STRUCTDEF>& Defs() const { return m_defs; }
    const std::vector<STRUCTVARSIZE>& Varsizes() const { return m_varsizes; }
    // Lookups that never throw: a definition or field that is not there (a stale row, a row of
    // another file) gives an empty definition, and a field that shows nothing, covers no bytes and
    // cannot be edited (kind kArithmetic, element size 0).
    const STRUCTDATA& Member(int def, int member) const;
    const STRUCTDEF& Def(int def) const;
    bool HasDef(int def) const { return def >= 0 && size_t(def) < m_defs.size(); }
    int64_t DefSize(int def) const { return HasDef(def) ? m_defs[size_t(def)].size : 0; }
    // The error of the last parse: its 1-based line and the message; line 0 when there was none.
    int ErrorLine() const { return m_errorLine; }
    QString ErrorText() const { return m_errorText; }
    // Offsets of the fields of a definition: element i is the sum of the sizes before field i
    // (one more element than fields: the last is the structure's size).
    std::vector<int64_t> MemberOffsets(int def) const;

    static int64_t SatAdd(int64_t a, int64_t b);
    static int64_t SatMul(int64_t a, int64_t b);

private:
    bool ParseLine(const QString& text, int line);
    bool AddField(const QString& text, int line);
    void ResolveMemberType(STRUCTDATA& field, int structIndex, int64_t offset);
    bool Fail(int line, const QString& text);
    static int64_t ClampCount(int64_t value);
    static uint32_t ClampWidth(int64_t value);
    static int64_t Apply(QChar op, int64_t value, int64_t operand);
    void SetArrayCount(STRUCTDATA& field, int64_t count) const;
    int64_t FieldSize(const STRUCTDATA& field) const;

    std::vector<STRUCTDEF> m_defs;
    std::vector<STRUCTVARSIZE> m_varsizes;
    int m_errorLine = 0;
    QString m_errorText;

    // Parse state.
    ValueReader m_read;
    bool m_inComment = false;
    bool m_accepting = false;
    int64_t m_offset = 0;
};
