// The view's same search: the worker, its stop, the group drop-down and the group lists.
#include "view/QuorvaneView.h"

#include "base/Messages.h"
#include "base/Prompter.h"
#include "document/QuorvaneDoc.h"
#include "view/ResultSink.h"
#include "search/SameSearch.h"
#include "view/ViewSearchState.h"

#include <memory>

void CQuorvaneView::OnSameSearch(SameSearchRequest* request, std::atomic<bool>* idleFlag)
{
    ViewSearchState& s = *m_search;
    if (!request && !idleFlag) {
        // 同一検索 pressed while the search runs: stop it and show what was found so far.
        if (!s.same.IsRunning() && !s.sameInterrupted)
            return;
        s.same.Stop();
        s.sameInterrupted = false;
        FinishSameSearch(true);
        return;
    }
    if (!request || request->n <= 0) {
        if (idleFlag)
            idleFlag->store(true); // バイト数 0: nothing is started
        return;
    }
    s.same.Stop();
    if (s.idleFlag && s.idleFlag != idleFlag)
        s.idleFlag->store(true);
    s.sameRequest = *request; // the worker keeps its own copy
    s.idleFlag = idleFlag;
    if (m_outputPane)
        m_outputPane->ActivateTab(ResultSink::ListSame);
    StartSameSearch();
}

void CQuorvaneView::StartSameSearch()
{
    ViewSearchState& s = *m_search;
    s.same.Stop();
    s.sameInterrupted = false;
    if (!m_doc)
        return;
    WaitForLoadedBytes();
    const SameSearchRequest request = s.sameRequest;
    s.sameLen = static_cast<uint64_t>(request.n);
    s.sameGroups.clear();
    s.sameResult = SameSearchResult();
    if (s.isActive && m_outputPane) {
        m_outputPane->ClearList(ResultSink::ListSame);
        m_outputPane->ClearSameGroups();
    }
    std::shared_ptr<ByteSource> source(m_doc->OpenSource(true).release());
    if (SourceFailed(*source)) {
        Prompter::ShowError(source->ErrorText());
        if (s.idleFlag)
            s.idleFlag->store(true);
        s.idleFlag = nullptr;
        return;
    }
    s.sameProgress.store(0);
    s.sameProgressTimer.start();
    s.same.Start([this, source, request](CViewWorker& w) {
        ViewSearchState& s = *m_search;
        SameSearchOptions options;
        options.progress = [&s](double f) { s.sameProgress.store(static_cast<int>(f * 1000), std::memory_order_relaxed); };
        // Groups reach the drop-down as they are found; the worker's own copies stay with it.
        options.groupsFound = [this, &w](const std::vector<SAMESEARCHLIST>& block) {
            auto groups = std::make_shared<std::vector<SAMESEARCHLIST>>(block);
            w.HandOver([this, groups] { AddFoundSameGroups(std::move(*groups)); });
        };
        SameSearchResult r = RunSameSearch(*source, request, w.StopFlag(), options);
        // Read on the UI thread only in the hand-over below or after the join of a stop.
        s.sameResult = std::move(r);
        w.HandOver([this] { FinishSameSearch(false); });
    });
}

void CQuorvaneView::AddFoundSameGroups(std::vector<SAMESEARCHLIST>&& groups)
{
    ViewSearchState& s = *m_search;
    for (SAMESEARCHLIST& g : groups) {
        if (s.isActive && m_outputPane)
            m_outputPane->AddSameGroup(g.key);
        s.sameGroups.push_back(std::move(g));
    }
}

void CQuorvaneView::ShowSameProgress()
{
    const int permille = m_search->sameProgress.load(std::memory_order_relaxed);
    um::StatusText::Send(MainFrame(), um::PaneMessage,
                         QStringLiteral("同一検索中... %1%").arg(permille / 10));
}

void CQuorvaneView::FinishSameSearch(bool stoppedByUser)
{
    ViewSearchState& s = *m_search;
    s.sameProgressTimer.stop();
    um::StatusText::Send(MainFrame(), um::PaneMessage, QString());
    SameSearchResult r = std::move(s.sameResult);
    s.sameResult = SameSearchResult();
    // The worker's list is complete and in first-occurrence order (the drop-down got the groups
    // in the order they were found); a stopped worker's holds what it had found.
    s.sameGroups = std::move(r.groups);
    const bool stopped = stoppedByUser || r.status == ScanResult::Stopped;
    if (s.isActive && m_outputPane) {
        m_outputPane->ClearSameGroups();
        for (const SAMESEARCHLIST& g : s.sameGroups)
            m_outputPane->AddSameGroup(g.key);
        if (stopped || r.status == ScanResult::Found)
            m_outputPane->AddSameGroup(SameSearchGroupCountEntry(static_cast<qint64>(s.sameGroups.size())));
        if (stopped)
            m_outputPane->AddLine(ResultSink::ListSame, SameSearchStoppedLine());
    }
    if (s.idleFlag)
        s.idleFlag->store(true);
    s.idleFlag = nullptr;
    if (r.status == ScanResult::Failed)
        Prompter::ShowError(r.errorText);
}

void CQuorvaneView::OnSameGroup(int index)
{
    const ViewSearchState& s = *m_search;
    if (index < 0 || !m_outputPane)
        return;
    const size_t r = static_cast<size_t>(index);
    if (r == s.sameGroups.size())
        m_outputPane->AddLines(ResultSink::ListSame, SameSearchAllLines(s.sameGroups));
    else if (r < s.sameGroups.size())
        m_outputPane->AddLines(ResultSink::ListSame, SameSearchGroupLines(s.sameGroups[r]));
    else
        return;
    m_outputPane->FitListWidth(ResultSink::ListSame);
}

void CQuorvaneView::OnSameRefresh()
{
    // The view's groups are only changed on this thread (a running worker hands them over).
    const ViewSearchState& s = *m_search;
    if (!m_outputPane)
        return;
    m_outputPane->ClearSameGroups();
    m_outputPane->ClearList(ResultSink::ListSame);
    for (const SAMESEARCHLIST& g : s.sameGroups)
        m_outputPane->AddSameGroup(g.key);
    if (!s.sameGroups.empty() && !s.same.IsRunning())
        m_outputPane->AddSameGroup(SameSearchGroupCountEntry(static_cast<qint64>(s.sameGroups.size())));
}
