// What the output pane's lines hand back to the views and the folder search.
#include "panes/OutputLineRules.h"

#include "codes/HexText.h"

namespace {

// Leading "0" characters trimmed.
QStringView WithoutLeadingZeros(QStringView digits)
{
    qsizetype zeros = 0;
    while (zeros < digits.size() && digits.at(zeros) == QLatin1Char('0'))
        ++zeros;
    return digits.mid(zeros);
}

} // namespace

namespace OutputLineRules {

bool SameLineJumps(int index, int lineCount)
{
    return index >= 0 && index < lineCount - 2;
}

QString SameJumpText(const QString& line)
{
    if (!line.contains(QLatin1Char('-')))
        return line.left(8);
    QString text = line.left(17);
    if (text.size() > 8 && text.at(8) == QLatin1Char('-'))
        text.remove(8, 1);
    return text;
}

int GrepFileLine(int selected, int lineCount, const std::function<QString(int)>& lineAt)
{
    if (selected < 0 || selected >= lineCount - 1)
        return -1;
    for (int i = selected - 1; i >= 0; --i) {
        const QString line = lineAt(i);
        if (line.isEmpty())
            return selected;
        const QChar first = line.at(0);
        if (first != QLatin1Char('0') && first != QChar(0x5168)) // 全
            return i;
    }
    return selected;
}

uint64_t GrepHitAddress(const QString& line)
{
    return HexTextToU64(WithoutLeadingZeros(line));
}

std::optional<uint64_t> BookmarkAddress(const QString& text)
{
    QString digits = text;
    if (digits.size() > 8 && digits.at(8) == QLatin1Char('-'))
        digits.remove(8, 1);
    bool ok = false;
    const uint64_t value = HexTextToU64(WithoutLeadingZeros(digits), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace OutputLineRules
