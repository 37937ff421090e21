// What a double click or an activation on a line of the output pane hands back: the texts and
// addresses read from the listed lines.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QStringList>

namespace OutputLineRules {

// 同一検索 list: lines below the last two (the empty line and "%d件") are addresses.
bool SameLineJumps(int index, int lineCount);

// The address text of a 同一検索 line: its first 8 characters, or, when the line holds a "-",
// its first 17 characters with the "-" at position 8 removed.
QString SameJumpText(const QString& line);

// フォルダ内検索 list: which file each line belongs to. The folder search writes per file its
// path, one line per hit and an empty line, and at the end the total line; the list keeps the
// role of every line from the order it was written in, never from its text (a hit line
// "10000000" is no file name).
struct GrepLineRoles
{
    // Per line the index of its file line: the path line's own index for the path line, its
    // block's path line for hit lines and the empty line that ends the block; -1 for lines whose
    // block began before the list was emptied.
    std::vector<int> owners;
    bool blockStart = true; // the next line opens a block (its path)
    int fileLine = -1;      // the path line of the block being written

    // The list was emptied: at the start of a search the next line is a path; emptied by the
    // user in the middle of one, the lines up to the next empty line belong to no file.
    void Reset(bool atBlockStart);
    void Append(const QStringList& lines);
};

// The index of the file line that owns the selected line, or -1 when the selected line hands
// nothing back (the last line, an index outside the list, a line without its file line).
int GrepFileLine(int selected, const GrepLineRoles& roles);
// The address of a フォルダ内検索 address line: leading "0" characters trimmed, the rest read as
// a 64-bit hexadecimal number (an empty rest is 0).
uint64_t GrepHitAddress(const QString& line);

// The address of a bookmark row's アドレス text ("00000000-0001A2F0"): a "-" at position 8
// removed, leading "0" characters trimmed, the rest read as hexadecimal. Empty when the text is
// not an address.
std::optional<uint64_t> BookmarkAddress(const QString& text);

} // namespace OutputLineRules
