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

void GrepLineRoles::Reset(bool atBlockStart)
{
    owners.clear();
    blockStart = atBlockStart;
    fileLine = -1;
}

void GrepLineRoles::Append(const QStringList& lines)
{
    for (const QString& line : lines) {
        const int index = static_cast<int>(owners.size());
        if (line.isEmpty()) {
            owners.push_back(fileLine);
            blockStart = true;
            fileLine = -1;
        } else if (blockStart) {
            owners.push_back(index);
            fileLine = index;
            blockStart = false;
        } else {
            owners.push_back(fileLine);
        }
    }
}

int GrepFileLine(int selected, const GrepLineRoles& roles)
{
    const int count = static_cast<int>(roles.owners.size());
    if (selected < 0 || selected >= count - 1)
        return -1;
    return roles.owners[static_cast<size_t>(selected)];
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
