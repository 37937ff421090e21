// The info pane's eight rows, formatted from the bytes at the cursor.
#include "view/InfoRows.h"

#include <QStringList>
#include <algorithm>

namespace {

QString Padded(const QString& text, int width)
{
    return text.rightJustified(width, QLatin1Char(' '));
}

QString Hex2(uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString Nibbles(uint8_t b)
{
    QString s;
    for (int bit = 7; bit >= 0; --bit) {
        s += (b >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
        if (bit == 4)
            s += QLatin1Char('-');
    }
    return s;
}

} // namespace

QString InfoRows::Label(int row)
{
    static const char* const labels[RowCount] = {"Bit", "Byte", "Word", "3Byte", "DWord", "FileSize", "Address", "Range"};
    return row >= 0 && row < RowCount ? QString::fromLatin1(labels[row]) : QString();
}

QString InfoRows::SplitHex(uint64_t value)
{
    const QString digits = QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0')).toUpper();
    return digits.left(8) + QLatin1Char('-') + digits.mid(8);
}

QString InfoRows::FormatValueRow(int width, const InfoInput& input, bool plusMode)
{
    const int count = std::clamp(input.count, 0, 4);
    if (count == 0)
        return QStringLiteral(" 00 00 00 00");
    const int k = std::min(width, count);
    // The k bytes in significance order, most significant first.
    uint64_t v = 0;
    QString bytesText;
    for (int i = 0; i < k; ++i) {
        const uint8_t b = input.bigEndian ? input.bytes[i] : input.bytes[k - 1 - i];
        v = (v << 8) | b;
        bytesText += QLatin1Char(' ') + Hex2(b);
    }
    QString text = QString(3 * (4 - width), QLatin1Char(' '));
    for (int i = k; i < width; ++i)
        text += QStringLiteral(" 00");
    text += bytesText;

    text += QLatin1Char(' ');
    if (plusMode) {
        // Byte to 3Byte fit a signed 32-bit number; DWord is printed unsigned.
        text += Padded(QString::number(width == 4 ? static_cast<uint32_t>(v) : static_cast<int32_t>(v)), 11);
    } else if (width == 4 && k == 4) {
        // v - 2^32 does not fit a 32-bit number: a minus sign and the magnitude.
        const uint32_t magnitude = static_cast<uint32_t>((uint64_t(1) << 32) - v);
        text += QLatin1Char('-') + Padded(QString::number(magnitude), 10);
    } else {
        // Negative for every byte pattern: 0x01 reads -255, 0x00 reads -256.
        const int64_t value = static_cast<int64_t>(v) - (int64_t(1) << (8 * k));
        text += Padded(QString::number(value), 11);
    }
    return text;
}

QString InfoRows::FormatRangeRow(uint64_t length, bool plusMode)
{
    if (plusMode)
        return QLatin1Char(' ') + SplitHex(length);
    return QLatin1Char(' ') + Padded(QString::number(length), 17);
}

QString InfoRows::FormatBitRow(const std::array<uint8_t, 4>& bytes, int count, bool bigEndian)
{
    QStringList groups;
    for (int i = 0; i < 4; ++i) {
        const int index = bigEndian ? i : 3 - i;
        const uint8_t b = index < count ? bytes[index] : 0;
        groups << QLatin1Char(' ') + Nibbles(b);
    }
    return groups.join(QLatin1Char(' '));
}

QString InfoRows::FormatFileSizeRow(uint64_t size)
{
    return QLatin1Char(' ') + SplitHex(size) + QStringLiteral("  ") + Padded(QString::number(size), 21);
}

QString InfoRows::FormatAddressRow(uint64_t address)
{
    return QLatin1Char(' ') + SplitHex(address);
}

InfoInput InfoRows::MakeInput(const std::array<uint8_t, 4>& bytes, int count, bool bigEndian, uint64_t size,
                              uint64_t cursor, uint64_t rangeLength)
{
    InfoInput input;
    input.count = std::clamp(count, 0, 4);
    input.bigEndian = bigEndian;
    input.bytes = bytes;
    input.rangeLength = rangeLength;
    input.bitText = FormatBitRow(bytes, input.count, bigEndian);
    input.fileSizeText = FormatFileSizeRow(size);
    input.addressText = FormatAddressRow(cursor);
    return input;
}

InfoRows InfoRows::Compute(const InfoInput& input, bool plusMode)
{
    InfoRows rows;
    rows.text[Bit] = input.bitText;
    for (int width = 1; width <= 4; ++width)
        rows.text[Byte + width - 1] = FormatValueRow(width, input, plusMode);
    rows.text[FileSize] = input.fileSizeText;
    rows.text[Address] = input.addressText;
    rows.text[Range] = FormatRangeRow(input.rangeLength, plusMode);
    return rows;
}
