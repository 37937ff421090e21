// Same search: groups of identical byte sequences of one length inside an address range.
#pragma once

#include "document/ByteSource.h"
#include "search/PatternScanner.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

struct SameSearchRequest
{
    int64_t n = 0;          // バイト数: the length of the sequences
    uint64_t start = 0;     // 開始アドレス
    uint64_t end = 0;       // exclusive: start + 範囲
    int64_t groupLimit = 0; // 1グループ件数: most addresses per group (a group holds at least 2)
};

// One group: the sequence as its key text ("E7 03 ", each byte followed by a space) and the
// addresses where it occurs, ascending.
struct SAMESEARCHLIST
{
    QString key;
    std::vector<uint64_t> addresses;
};

struct SameSearchResult
{
    ScanResult::Status status = ScanResult::Found; // Found (complete), Stopped or Failed
    QString errorText;
    std::vector<SAMESEARCHLIST> groups;
};

// How a run may use memory and whom it tells about its groups.
struct SameSearchOptions
{
    // Bytes the tables of one pass may take; 0 decides from the memory the system has free.
    // A range whose tables do not fit is worked through in several passes (each pass finds the
    // groups of one share of the sequences); one that would need too many passes, or whose bytes
    // cannot be copied (a file that is not mapped), is refused before anything is allocated.
    uint64_t memoryBudget = 0;
    // Receives fractions 0..1.
    std::function<void(double)> progress;
    // Receives groups as they are found, in blocks, on the searching thread. The blocks come in
    // first-occurrence order within a pass; the result holds every group in that order overall.
    std::function<void(const std::vector<SAMESEARCHLIST>& block)> groupsFound;
};

// Finds every sequence of n bytes that lies wholly inside [start, end) (cut at the source's end)
// and occurs there at least twice, overlapping occurrences included. The groups come in the
// order of their first occurrences; each holds the first occurrence and the following ones up to
// the group limit (at least two; a limit of 0 or less gives no groups).
//
// The windows are hashed and sorted instead of compared pairwise, so the cost grows with
// range × log(range) rather than its square; equal hashes are confirmed byte for byte. The table
// takes 8 bytes per window. `stop` is polled throughout (a stop is answered within a few
// milliseconds); a stopped run returns the groups completed so far, in first-occurrence order.
SameSearchResult RunSameSearch(ByteSource& source, const SameSearchRequest& request,
                               const std::atomic<bool>& stop, const SameSearchOptions& options);
SameSearchResult RunSameSearch(ByteSource& source, const SameSearchRequest& request,
                               const std::atomic<bool>& stop,
                               const std::function<void(double)>& progress = {});
// The memory the system can still give without swapping (0 when it cannot be told).
uint64_t SameSearchFreeMemory();

// The key text of n bytes: "41 42 ".
QString SameSearchKey(const uint8_t* bytes, size_t n);
// The list of every group (the last combo entry): "00000000-00000010  41 42 " per address, the
// empty line and "%d件" with the number of addresses.
QStringList SameSearchAllLines(const std::vector<SAMESEARCHLIST>& groups);
// The list of one group: its address lines without the key, the empty line and "%d件".
QStringList SameSearchGroupLines(const SAMESEARCHLIST& group);
// The last combo entry: "%dグループ".
QString SameSearchGroupCountEntry(qint64 groups);
// The line added to the list when a run is stopped: "検索を中止しました。".
QString SameSearchStoppedLine();
