// Compare: runs of differing bytes between two byte sources at equal addresses.
#pragma once

#include "document/ByteSource.h"
#include "search/SearchEngine.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

// The marked run of the last 次へ or 前へ (inclusive); all ones when there is none.
struct DiffMark
{
    uint64_t start = kNoAddress;
    uint64_t end = kNoAddress;
    bool Contains(uint64_t a) const { return start != kNoAddress && start <= a && a <= end; }
};

// The length both sources have: addresses at or past it are never compared.
uint64_t ComparedLength(const ByteSource& own, const ByteSource& partner);

struct DiffStepResult
{
    bool found = false;
    bool failed = false; // a read failed; errorText says why
    QString errorText;
};

// 次へ: from the cursor (or the end of the mark, when the cursor lies inside it) to the next run
// of differing bytes after it. On a find the mark becomes the run and the cursor its start;
// otherwise only the move to the mark's end remains.
DiffStepResult DiffNext(ByteSource& own, ByteSource& partner, uint64_t& cursor, DiffMark& mark);
// 前へ: the nearest run that begins before the cursor (or before the mark, when the cursor lies
// inside it); the mark becomes the whole run and the cursor its start. Nothing changes otherwise.
DiffStepResult DiffPrev(ByteSource& own, ByteSource& partner, uint64_t& cursor, DiffMark& mark);

// Every maximal run of differing bytes from address 0 up, in order, as repeated 次へ marks them
// (a run at address 0 included). `onRun` returns false to end early; `stop` may be null.
DiffStepResult ForEachDiffRun(ByteSource& a, ByteSource& b, const std::atomic<bool>* stop,
                              const std::function<bool(uint64_t first, uint64_t last)>& onRun);

// "00000010 - 0000001F"; 16 digits with "-" after the eighth when the compared length is 4 GiB or more.
QString FormatDiffRun(uint64_t first, uint64_t last, uint64_t comparedLength);

// The line that ends a comparison of sources of different length: the shorter one (`name`) ends
// where the comparison stopped: "EOF: b.bin (末尾のアドレス 00000005)". Its address has the
// form of the run lines above it.
QString FormatDiffEnd(const QString& name, uint64_t comparedLength);
