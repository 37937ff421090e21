// The replace loop: finds the search pattern hit by hit in a scope and replaces each hit as the
// caller decides, with one undo record per replaced hit.
#pragma once

#include "search/ReplaceRequest.h"
#include "search/SearchEngine.h"
#include "search/SearchPattern.h"

#include <cstdint>
#include <functional>

class CQuorvaneDoc;

// The answer of the replace dialog for one hit: 置換, 次を検索, 一括置換, キャンセル.
enum class ReplaceDecision { Replace, Skip, ReplaceAll, Stop };

struct ReplaceCallbacks
{
    // Asked for every hit until it answers ReplaceAll; the cursor and findPos are on the hit.
    std::function<ReplaceDecision(const SearchCursor&)> decide;
    // Told after each replacement (the view refreshes its size and scrolls); may be empty.
    std::function<void(const SearchCursor&)> replaced;
};

struct ReplaceOutcome
{
    uint64_t replaced = 0;
    uint64_t skipped = 0;
    bool stopped = false; // the caller answered Stop
    bool failed = false;  // a read or a disk write failed (already shown through the prompter)
    // Direct edit mode, after a failure: the failing step had already changed the file (beyond
    // the `replaced` hits, which are complete).
    bool partial = false;
};

// Runs the replace of `request` for `pattern` over `doc` from the view state `state`.
// Nothing happens while the document is locked against editing. In memory every replaced hit
// leaves one undo record that removes the replacement and restores the found bytes; in direct
// edit mode the file is changed in place without records.
//
// After a replacement the downward scopes go on behind the inserted bytes, so a replacement that
// contains the pattern is never found again and the loop always ends. Upward, the search goes on
// before the replaced hit, and ends after a hit at address 0.
ReplaceOutcome RunReplace(CQuorvaneDoc& doc, const SearchPattern& pattern, const ReplaceRequest& request,
                          SearchCursor& state, const ReplaceCallbacks& callbacks);
