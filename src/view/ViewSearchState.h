// What a view keeps for search, replace, same search and SUM: its hits, groups and workers.
#pragma once

#include "search/SameSearch.h"
#include "search/SearchPattern.h"
#include "search/SumCalculator.h"
#include "base/ViewWorker.h"

#include <QRect>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

// Workers of a view read the document only between two changes of its bytes: the document
// announces every change first (bytesAboutToChange), the view then stops and joins them, and
// work that was interrupted starts again from the beginning once the change is done.
struct ViewSearchState
{
    explicit ViewSearchState(QObject* view) : listing(view), relist(view), same(view), sum(view) {}

    // ---- Search ----
    std::vector<uint64_t> searchHits;           // m_searchHits: only changed on the UI thread
    uint64_t patternLen = 0;                    // m_patternLen of the listed search (its whole length)
    std::optional<SearchPattern> listedPattern; // the listing's own copy (the pane may drop its own)
    qint64 linesAdded = 0;                      // hit lines the listing wrote into the 検索 list
    bool isActive = false;                      // m_isActive
    CViewWorker listing;
    CViewWorker relist;
    bool listingInterrupted = false; // an edit stopped the listing: it runs again after the edit
    QTimer restartTimer;             // runs interrupted work again once the edits pause

    // ---- Replace ----
    bool replaceRunning = false;
    QRect replaceRect; // where the replace dialog was last shown

    // ---- Same search ----
    std::vector<SAMESEARCHLIST> sameGroups;
    uint64_t sameLen = 0; // m_sameLen: highlight length of a jump to a group address (whole n)
    SameSearchRequest sameRequest;
    std::atomic<bool>* idleFlag = nullptr; // the properties pane's, set back when the run ends
    SameSearchResult sameResult;           // written by the worker; read after its hand-over or join
    std::atomic<int> sameProgress{0};      // per mille, shown in the status bar
    QTimer sameProgressTimer;
    CViewWorker same;
    bool sameInterrupted = false;

    // ---- SUM ----
    CViewWorker sum;
    std::atomic<uint64_t> sumDone{0}; // bytes read so far
};
