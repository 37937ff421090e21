// Which colour pair a byte of the view is painted in.
#pragma once

#include "document/QuorvaneDoc.h"

#include <cstdint>
#include <vector>

// The marks that colour bytes, and the rule that picks one pair for a byte: selection first, then
// the highlighted search hit, a bookmark, the structure editor's ranges, and plain text last.
class CByteColors
{
public:
    static constexpr uint64_t kNone = ~uint64_t(0);

    struct Marks
    {
        uint64_t selStart = kNone; // inclusive; kNone: no selection
        uint64_t selEnd = kNone;   // inclusive
        uint64_t findPos = kNone;  // the highlighted hit: findLen bytes from findPos
        uint64_t findLen = 0;
        const std::vector<uint64_t>* bookmarks = nullptr; // addresses, any order
        bool structPaneVisible = false;
        uint64_t structStart = 0, structEnd = 0;       // end exclusive
        uint64_t structSelStart = 0, structSelEnd = 0; // end exclusive
    };

    // A background and text colour, 0x00BBGGRR.
    struct Pair
    {
        uint32_t bk = 0;
        uint32_t txt = 0;
        bool operator==(const Pair&) const = default;
    };

    static Pair Choose(uint64_t address, const Marks& marks, const DocColors& colors);
    static Pair Of(const DocColors& colors, DocColors::Index bk, DocColors::Index txt)
    {
        return {colors[bk], colors[txt]};
    }
};
