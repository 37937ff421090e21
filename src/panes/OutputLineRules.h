// What a double click or an activation on a line of the output pane hands back: the texts and
// addresses read from the listed lines.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace OutputLineRules {

// 同一検索 list: lines below the last two (the empty line and "%d件") are addresses.
bool SameLineJumps(int index, int lineCount);

// The address text of a 同一検索 line: its first 8 characters, or, when the line holds a "-",
// its first 17 characters with the "-" at position 8 removed.
QString SameJumpText(const QString& line);

// フォルダ内検索 list: the index of the file line that owns the selected line, or -1 when the
// selected line hands nothing back (the last line, or an index outside the list). Walking up
// from the line above the selection, the first line that is empty or begins with neither "0"
// nor "全" is the file line; an empty line, no such line, or a selection on the first line
// make the selected line its own file line.
int GrepFileLine(int selected, int lineCount, const std::function<QString(int)>& lineAt);
// The address of a フォルダ内検索 address line: leading "0" characters trimmed, the rest read as
// a 64-bit hexadecimal number (an empty rest is 0).
uint64_t GrepHitAddress(const QString& line);

// The address of a bookmark row's アドレス text ("00000000-0001A2F0"): a "-" at position 8
// removed, leading "0" characters trimmed, the rest read as hexadecimal. Empty when the text is
// not an address.
std::optional<uint64_t> BookmarkAddress(const QString& text);

} // namespace OutputLineRules
