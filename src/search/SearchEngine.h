// Search steps from the cursor (検索, 次へ, 前へ), the hit listing of a whole document and the jump.
#pragma once

#include "document/ByteSource.h"
#include "search/PatternScanner.h"
#include "search/SearchPattern.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

inline constexpr uint64_t kNoAddress = ~uint64_t(0);

// Where the document is read from: the byte store, or the file itself (direct edit mode). The
// backward step finds different hits in the two (a hit on disk may reach past the cursor).
enum class FindMode { Memory, DirectEdit };

// The view state a search step reads and changes.
struct SearchCursor
{
    uint64_t cursor = 0;
    uint64_t findPos = kNoAddress; // start of the highlighted hit
    uint64_t findLen = 0;          // highlighted bytes from findPos (the whole pattern)
    uint64_t selStart = kNoAddress;
    uint64_t selEnd = kNoAddress;
    uint64_t selAnchor = 0;
};

// The next hit after the cursor (candidates from cursor + 1, all ones wrapping to 0) whose bytes
// end at or before `endLimit` (exclusive). On a hit the cursor and findPos move to it.
ScanResult FindForward(ByteSource& source, const PatternScanner& scanner, SearchCursor& state,
                       uint64_t endLimit = kNoAddress, size_t firstBlock = PatternScanner::kBlockSize);
// The previous hit before the cursor. In memory a hit lies entirely before the cursor; on disk
// any hit that starts before the cursor counts.
ScanResult FindBackward(ByteSource& source, const PatternScanner& scanner, SearchCursor& state,
                        FindMode mode, size_t firstBlock = PatternScanner::kBlockSize);

struct SearchStepOutcome
{
    ScanResult result;         // of the last step run
    bool startListing = false; // a new pattern: the caller starts the hit listing now
};

// One search request as the view runs it: the pattern's request kind decides the direction; a
// request while the hit list is empty is a new search. A new search with `newPattern` includes a
// hit at the cursor itself, wraps to address 0 when nothing follows, and asks for the listing.
// Afterwards the selection is removed, and a failed new search leaves the cursor at the anchor.
// A read failure is shown through the prompter.
SearchStepOutcome SearchStep(ByteSource& source, SearchPattern& pattern, bool newPattern,
                             bool hitListEmpty, FindMode mode, SearchCursor& state);

// Result lines of the 検索 list.
// "0000ABCD  E703": the address (16 digits with "-" after the eighth when `longAddress`), two
// spaces, the matched bytes.
QString FormatHitLine(uint64_t address, const uint8_t* bytes, size_t n, bool longAddress);
// The bytes a hit line takes at most (its line end not counted).
constexpr size_t HitLineMax(size_t n)
{
    return 17 + 2 + 2 * n;
}
// Writes the same line as ASCII at `out` (room for HitLineMax(n) bytes) and returns its end.
// FormatHitLine is built from it, so the output pane and the byte listing show the same text.
char* WriteHitLine(char* out, uint64_t address, const uint8_t* bytes, size_t n, bool longAddress);
// The empty line and "検索結果　%d件".
QStringList SearchSummaryLines(qint64 count);
// Long addresses are used in direct edit mode for files of 4 GiB or more.
bool UseLongAddresses(FindMode mode, uint64_t size);

// How a listing hands its lines on: one QString per hit (for the output pane), or all lines of
// a batch as ASCII bytes, each ended by "\n" (for writing them out as they are).
enum class HitText { Lines, Bytes };

// One delivery of the listing: hits ascending, and their lines (`lines` or `text`, by HitText).
struct HitBatch
{
    std::vector<uint64_t> hits;
    QStringList lines;
    QByteArray text;
};

struct HitListResult
{
    ScanResult::Status status = ScanResult::Found; // Found: walked to the end; Stopped; Failed
    uint64_t hitCount = 0;
    QString errorText;
};

// Lists every hit of the whole source, overlapping hits included, in batches of about
// `batchSize` hits handed to `deliver` (the last batch may be smaller). The summary lines are
// not included: the caller adds SearchSummaryLines(lines it added) when the walk was not stopped.
// With `twoCores`, a large source held in memory or mapped is scanned in two halves at once (the
// second on a thread of its own, its lines kept until the first half's are delivered, up to
// g_listSplitKeepBytes; past that the rest is scanned after the first half). The lines and their order
// are the same; `deliver` is still called on the caller's thread only.
HitListResult ListHits(ByteSource& source, const SearchPattern& pattern, bool longAddresses,
                       const std::atomic<bool>& stop, const std::function<void(HitBatch&&)>& deliver,
                       size_t batchSize = 4096, HitText form = HitText::Lines, bool twoCores = false);
// Sources from this size on are split by ListHits(twoCores).
inline constexpr uint64_t kSplitFrom = uint64_t(32) << 20;
// The most memory the second half's lines may take while they wait (tests lower it).
extern size_t g_listSplitKeepBytes;
// The lines of stored hits again (the bytes read again from the source), for the re-list.
HitListResult RelistHits(ByteSource& source, const std::vector<uint64_t>& hits, size_t n,
                         bool longAddresses, const std::atomic<bool>& stop,
                         const std::function<void(HitBatch&&)>& deliver, size_t batchSize = 4096);

// The jump from line `index` of the 検索 list: only lines of hits move the cursor.
bool JumpToHit(const std::vector<uint64_t>& hits, size_t index, uint64_t patternLen, SearchCursor& state);
