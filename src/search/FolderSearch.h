// フォルダ内検索: one pattern in every file of a folder (and its matching subfolders).
#pragma once

#include "search/SearchPattern.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

struct FolderSearchRequest
{
    QString folder;
    QString fileTypes = QStringLiteral("*.*"); // parts separated by ";", each scanned in turn
    bool subfolders = false;                   // サブフォルダも検索
    SearchPattern pattern;
};

struct FolderSearchSink
{
    // Result lines in batches: per file with hits its path, one "%08X" line per hit and an empty
    // line; at the end "全 %d件". Called on the searching thread.
    std::function<void(QStringList&&)> lines;
    // A file that cannot be opened: its path and the system's text. The search waits for the
    // call and goes on with the next entry. When empty, the error goes to the prompter.
    std::function<void(const QString& path, const QString& errorText)> openFailed;
};

struct FolderSearchResult
{
    uint64_t hits = 0;
    uint64_t filesSearched = 0;
    bool stopped = false;
};

// The pattern of the dialog: from a string the encoded bytes in written order, from the 16進数
// field the digits as a number, least significant byte first. Nothing for an empty or invalid text.
std::optional<SearchPattern> BuildFolderSearchPattern(const QString& hexText, bool fromString);
// The 16進数 text for a 10進数 text: an optional sign and the digits up to the first other
// character, clamped to 32 bits, as "%X" of that signed value ("-1" gives "FFFFFFFF"); an empty
// text gives an empty text.
QString FolderSearchDecimalToHex(const QString& decimal);

// A file name against one file-type part, as the Windows file search matches: "*" any run of
// characters, "?" one character, case-insensitive; a part ending in ".*" also matches the name
// without an extension ("*.*" matches every name), one ending in "." only names without a dot.
// An empty part matches nothing.
bool MatchesFileType(const QString& name, const QString& part);

// Runs the search. Entries are taken in name order; directories are entered only when their
// names match the part (and each directory once per part, so links cannot make it loop); FIFOs,
// devices and sockets are skipped unopened; files of 4 GiB or more are skipped. Hits within a
// file do not overlap. `stop` is polled between entries and between blocks of a file; a stopped
// search still ends with the total line of the hits found so far.
FolderSearchResult RunFolderSearch(const FolderSearchRequest& request, const std::atomic<bool>& stop,
                                   const FolderSearchSink& sink);

// "全 %d件".
QString FolderSearchTotalLine(qint64 hits);
