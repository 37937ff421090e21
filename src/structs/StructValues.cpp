// Value texts of the structure editor by kind, and the bytes an in-place edit writes.
#include "structs/StructValues.h"

#include "base/Prompter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using Field = CStructDefs::STRUCTDATA;

bool IsIntegerKind(uint8_t kind)
{
    return kind <= 13 || kind == CStructDefs::kVarsizeLittle || kind == CStructDefs::kVarsizeBig;
}

bool IsFloatKind(uint8_t kind)
{
    return kind >= 14 && kind <= 17;
}

QString Printf(const char* format, double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return QString::fromLatin1(buf);
}

QString Hex(uint64_t value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

uint64_t Address(uint64_t base, uint64_t offset)
{
    const uint64_t a = base + offset;
    return a < base ? ~uint64_t(0) : a; // past the address space: reads as zeros
}

} // namespace

QChar CStructValues::DisplayChar(uint32_t code)
{
    if (code < 0x20 || code == 0x7F)
        return QLatin1Char('.');
    if (code >= 0xD800 && code <= 0xDFFF)
        return QChar(0xFFFD);
    return QChar(char16_t(code));
}

QString CStructValues::ReadElementsAsText(StructBytes& bytes, uint64_t address, uint32_t elementSize,
                                          int64_t count, bool bigEndian, uint64_t fileSize)
{
    QString text;
    if (elementSize != 1 && elementSize != 2)
        return text;
    int64_t n = std::min<int64_t>(count, 1000);
    if (address >= fileSize)
        return text;
    n = std::min<int64_t>(n, int64_t((fileSize - address) / elementSize));
    uint8_t buf[2000];
    bytes.Read(address, buf, size_t(n) * elementSize);
    for (int64_t i = 0; i < n; ++i) {
        uint32_t v = buf[i * elementSize];
        if (elementSize == 2) {
            const uint32_t second = buf[i * 2 + 1];
            v = bigEndian ? (v << 8 | second) : (second << 8 | v);
        }
        if (v == 0)
            break;
        text += DisplayChar(v);
    }
    return text;
}

QString CStructValues::FormatValue(const CStructTree& tree, const CStructTree::LISTOPTION& row,
                                   StructBytes& bytes, uint64_t base, uint64_t fileSize)
{
    if (row.structType >= 0)
        return QString();
    const Field& f = tree.Field(row);
    if (f.kind == CStructDefs::kArithmetic)
        return QString();
    if (f.countFromVarsize && row.count == 0 && row.element < 0)
        return QString(); // the data makes this array empty
    const bool big = CStructDefs::IsBigEndian(f.kind);
    const uint64_t address = Address(base, row.offset);
    if (f.kind <= 9 && row.count > 0)
        return ReadElementsAsText(bytes, address, f.elementSize, row.count, big, fileSize);
    const uint64_t v = bytes.ReadValue(address, f.elementSize, big);
    if (f.kind <= 3)
        return v ? Hex(v, 2) + QStringLiteral(" '") + DisplayChar(uint32_t(v)) + QLatin1Char('\'') : Hex(v, 2);
    if (f.kind <= 9)
        return v ? Hex(v, 4) + QStringLiteral(" '") + DisplayChar(uint32_t(v)) + QLatin1Char('\'') : Hex(v, 4);
    if (f.kind <= 13)
        return Hex(v, 8);
    if (f.kind <= 15) {
        float x;
        const uint32_t bits = uint32_t(v);
        std::memcpy(&x, &bits, 4);
        return Printf("%e", double(x));
    }
    if (f.kind <= 17) {
        double x;
        std::memcpy(&x, &v, 8);
        return Printf("%e", x);
    }
    return Hex(v, int(2 * f.elementSize));
}

bool CStructValues::IsEditable(const CStructTree& tree, const CStructTree::LISTOPTION& row)
{
    if (row.structType >= 0 || row.count > 0)
        return false;
    const Field& f = tree.Field(row);
    if (f.kind == CStructDefs::kArithmetic || f.elementSize == 0)
        return false;
    return !(f.countFromVarsize && row.element < 0);
}

QString CStructValues::EditText(const QString& valueText)
{
    const qsizetype blank = valueText.indexOf(QLatin1Char(' '));
    return blank < 0 ? valueText : valueText.left(blank);
}

int CStructValues::EditDigits(const Field& f)
{
    return IsIntegerKind(f.kind) ? int(2 * f.elementSize) : 0;
}

bool CStructValues::EncodeEdit(const Field& f, const QString& input, QByteArray& out, QString& error)
{
    const uint32_t size = f.elementSize;
    const bool big = CStructDefs::IsBigEndian(f.kind);
    uint8_t le[8] = {};
    if (IsIntegerKind(f.kind)) {
        const int digits = EditDigits(f);
        QString text = input.trimmed().toUpper();
        for (QChar c : text) {
            if (!QStringLiteral("0123456789ABCDEF").contains(c)) {
                // Reading such a character as a digit would write bytes nobody typed.
                error = QStringLiteral("16進数で入力してください。");
                return false;
            }
        }
        // Leading zeros beyond the field are harmless; any other digit there would be cut off.
        while (text.size() > digits && text.startsWith(QLatin1Char('0')))
            text.remove(0, 1);
        if (text.size() > digits) {
            error = QStringLiteral("値が大きすぎます。16進数%1桁以内で入力してください。").arg(digits);
            return false;
        }
        if (text.size() < digits)
            text = QString(digits - text.size(), QLatin1Char('0')) + text;
        for (uint32_t i = 0; i < size && i < 8; ++i) {
            const QString pair = text.mid(digits - 2 - 2 * int(i), 2);
            le[i] = uint8_t(pair.toUInt(nullptr, 16));
        }
    } else if (IsFloatKind(f.kind)) {
        bool ok = false;
        const double x = input.trimmed().toDouble(&ok);
        if (!ok) {
            error = QStringLiteral("数値で入力してください。");
            return false;
        }
        if (size == 4) {
            const float y = float(x);
            std::memcpy(le, &y, 4);
        } else {
            std::memcpy(le, &x, 8);
        }
    } else {
        error = QStringLiteral("この行は編集できません。");
        return false;
    }
    out.resize(qsizetype(size));
    for (uint32_t i = 0; i < size; ++i)
        out[big ? qsizetype(size - 1 - i) : qsizetype(i)] = char(i < 8 ? le[i] : 0);
    return true;
}

CStructValues::Commit CStructValues::CommitValueEdit(const CStructTree& tree, const CStructTree::LISTOPTION& row,
                                                     const QString& text, StructBytes& bytes, uint64_t base)
{
    if (!IsEditable(tree, row))
        return Commit::Refused;
    QByteArray data;
    QString error;
    if (!EncodeEdit(tree.Field(row), text, data, error)) {
        Prompter::ShowError(error);
        return Commit::Refused;
    }
    const uint64_t address = base + row.offset;
    if (address < base || address + uint64_t(data.size()) < address) {
        Prompter::ShowError(QStringLiteral("アドレスがファイルの範囲を超えています。"));
        return Commit::Refused;
    }
    if (!bytes.Write(address, reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size())))
        return Commit::Failed;
    return Commit::Written;
}
