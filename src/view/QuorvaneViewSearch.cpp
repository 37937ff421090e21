// The view's search: 検索 / 次へ / 前へ steps, the hit listing and re-list workers, the jump to a
// listed hit, and how workers give way to edits, reloads and other views.
#include "view/QuorvaneView.h"

#include "base/Messages.h"
#include "base/Prompter.h"
#include "codes/HexText.h"
#include "document/QuorvaneDoc.h"
#include "view/ResultSink.h"
#include "search/ReportingSource.h"
#include "search/SearchEngine.h"
#include "view/MyScrollBar.h"
#include "view/ViewSearchState.h"
#include "view/WorkProgress.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <memory>

namespace {

// The view whose hits (and groups) the output pane shows now.
QPointer<CQuorvaneView>& ListedView()
{
    static QPointer<CQuorvaneView> view;
    return view;
}

// How long typing must pause before interrupted listings and same searches run again.
constexpr int kRestartAfterTypingMs = 250;

} // namespace

void CQuorvaneView::InitSearch()
{
    m_search = std::make_unique<ViewSearchState>(this);
    m_search->sameProgressTimer.setInterval(100);
    connect(&m_search->sameProgressTimer, &QTimer::timeout, this, [this] { ShowSameProgress(); });
    m_search->restartTimer.setSingleShot(true);
    m_search->restartTimer.setInterval(kRestartAfterTypingMs);
    connect(&m_search->restartTimer, &QTimer::timeout, this, [this] { RestartInterruptedWork(); });
    // Direct connection: the edit waits until every worker reading the bytes has stopped.
    connect(m_doc, &CQuorvaneDoc::bytesAboutToChange, this, [this] { OnBytesAboutToChange(); },
            Qt::DirectConnection);
}

const std::vector<uint64_t>& CQuorvaneView::SearchHits() const
{
    return m_search->searchHits;
}

bool CQuorvaneView::IsSearchWorkerRunning() const
{
    const ViewSearchState& s = *m_search;
    // A restart that waits for a pause in typing counts as running work.
    return s.listing.IsRunning() || s.relist.IsRunning() || s.same.IsRunning() || s.sum.IsRunning()
        || s.restartTimer.isActive();
}

void CQuorvaneView::StopSearchWorkers()
{
    ViewSearchState& s = *m_search;
    s.listing.Stop();
    s.relist.Stop();
    s.same.Stop();
    s.sum.Stop();
    s.listingInterrupted = false;
    s.sameInterrupted = false;
    s.restartTimer.stop();
    s.sameProgressTimer.stop();
    if (s.idleFlag) {
        s.idleFlag->store(true); // the properties pane may start the next same search
        s.idleFlag = nullptr;
    }
}

bool CQuorvaneView::HandleSearchMessage(QEvent* e)
{
    if (auto* m = um::Cast<um::Search>(e)) {
        if (m->wParam)
            OnSearch(m->wParam, m->lParam);
        m->result = 0;
        return true;
    }
    if (auto* m = um::Cast<um::JumpResult>(e)) {
        OnJumpResult(*m);
        return true;
    }
    if (auto* m = um::Cast<um::Replace>(e)) {
        if (m->wParam && m->lParam)
            OnReplace(*m->wParam, *m->lParam);
        m->result = 0;
        return true;
    }
    if (auto* m = um::Cast<um::SameSearch>(e)) {
        OnSameSearch(m->wParam, m->lParam);
        return true;
    }
    if (auto* m = um::Cast<um::SameGroup>(e)) {
        OnSameGroup(m->wParam);
        return true;
    }
    if (um::Cast<um::SameRefresh>(e)) {
        OnSameRefresh();
        return true;
    }
    if (auto* m = um::Cast<um::Sum>(e)) {
        if (m->wParam)
            OnSum(m->wParam, m->lParam);
        m->result = 0;
        return true;
    }
    return false;
}

void CQuorvaneView::WaitForLoadedBytes()
{
    // Bytes past the loader's mark read as 00; a search or sum must see the file's bytes.
    if (!m_doc || !m_doc->IsLoading())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_doc->WaitForLoader();
    QApplication::restoreOverrideCursor();
}

bool CQuorvaneView::UseLongHitAddresses() const
{
    return UseLongAddresses(m_doc->IsDirectEdit() ? FindMode::DirectEdit : FindMode::Memory, FileSize());
}

void CQuorvaneView::OnSearch(SearchPattern* pattern, bool newPattern)
{
    if (!m_doc || pattern->IsEmpty())
        return;
    ViewSearchState& s = *m_search;
    WaitForLoadedBytes();
    SearchCursor st;
    st.cursor = m_nav.m_cursor;
    st.findPos = m_marks.findPos;
    st.findLen = m_marks.findLen;
    st.selStart = m_nav.m_selStart;
    st.selEnd = m_nav.m_selEnd;
    st.selAnchor = m_nav.m_selAnchor;
    const FindMode mode = m_doc->IsDirectEdit() ? FindMode::DirectEdit : FindMode::Memory;
    // A listing that has not delivered its first hits yet still counts as a listed search, so that
    // 次へ pressed at once moves on instead of searching anew.
    const bool hitListEmpty = s.searchHits.empty() && !s.listing.IsRunning();
    SearchStepOutcome out;
    bool stopped = false;
    {
        // Read around the store's gap: closing it would move every byte behind the cursor, and
        // the next key typed there would move them all back.
        std::unique_ptr<ByteSource> source = m_doc->OpenSource(true);
        if (mode == FindMode::DirectEdit) {
            // Steps through a large file on disk can take seconds: a progress window with 中止.
            CWorkProgress progress(this, QStringLiteral("検索"), QStringLiteral("検索しています..."));
            ReportingSource reporting(*source, [&progress](uint64_t read, uint64_t size) { return progress.Step(read, size); });
            out = SearchStep(reporting, *pattern, newPattern, hitListEmpty, mode, st);
            stopped = reporting.Stopped();
        } else {
            out = SearchStep(*source, *pattern, newPattern, hitListEmpty, mode, st);
        }
    }
    if (stopped) {
        // 中止: everything stays as it was before the step.
        Redraw();
        return;
    }
    // A step that finds nothing leaves the cursor where it was (前へ moves it from 0 to 1 to look
    // for a hit at address 0, which must not leave it past the end of an empty document).
    if (!out.result.found() && pattern->RequestKind() != SearchPattern::Request::NewSearch)
        st.cursor = m_nav.m_cursor;
    m_nav.m_cursor = st.cursor;
    m_nav.m_selStart = st.selStart;
    m_nav.m_selEnd = st.selEnd;
    m_nav.m_lowNibble = false;
    m_marks.findPos = st.findPos;
    m_marks.findLen = st.findLen;
    if (out.startListing && out.result.status != ScanResult::Failed) {
        s.listedPattern = *pattern;
        StartListing();
    }
    if (pattern->RequestKind() == SearchPattern::Request::NewSearch && m_outputPane)
        m_outputPane->ActivateTab(ResultSink::ListSearch);
    setFocus();
    // A file that cannot be read has had its one error box; scrolling would re-read it again.
    if (out.result.status != ScanResult::Failed)
        EnsureCursorVisible(false);
    viewport()->repaint();
}

void CQuorvaneView::StartListing()
{
    ViewSearchState& s = *m_search;
    if (!s.listedPattern || !m_doc)
        return;
    s.relist.Stop();
    s.listing.Stop();
    s.listingInterrupted = false;
    s.searchHits.clear();
    s.linesAdded = 0;
    s.patternLen = s.listedPattern->Length();
    if (s.isActive) {
        ListedView() = this;
        if (m_outputPane)
            m_outputPane->ClearList(ResultSink::ListSearch);
    }
    WaitForLoadedBytes();
    std::shared_ptr<ByteSource> source(m_doc->OpenSource(true).release());
    if (SourceFailed(*source))
        return; // the step has already shown why the file cannot be read
    const SearchPattern pattern = *s.listedPattern;
    const bool longAddresses = UseLongHitAddresses();
    s.listing.Start([this, source, pattern, longAddresses](CViewWorker& w) {
        const HitListResult r = ListHits(*source, pattern, longAddresses, w.StopFlag(), [this, &w](HitBatch&& b) {
            auto batch = std::make_shared<HitBatch>(std::move(b));
            w.HandOver([this, batch] {
                ViewSearchState& s = *m_search;
                s.searchHits.insert(s.searchHits.end(), batch->hits.begin(), batch->hits.end());
                if (s.isActive && m_outputPane) {
                    m_outputPane->AddLines(ResultSink::ListSearch, batch->lines);
                    s.linesAdded += batch->lines.size();
                }
            });
        });
        if (r.status == ScanResult::Failed) {
            const QString text = r.errorText;
            w.HandOver([text] { Prompter::ShowError(text); });
        } else if (r.status == ScanResult::Found) {
            w.HandOver([this] {
                ViewSearchState& s = *m_search;
                if (s.isActive && m_outputPane) {
                    m_outputPane->AddLines(ResultSink::ListSearch, SearchSummaryLines(s.linesAdded));
                    m_outputPane->FitListWidth(ResultSink::ListSearch);
                }
            });
        }
    });
}

void CQuorvaneView::StartRelist()
{
    ViewSearchState& s = *m_search;
    s.relist.Stop();
    if (!m_outputPane || !m_doc)
        return;
    m_outputPane->ClearList(ResultSink::ListSearch);
    if (s.searchHits.empty())
        return;
    WaitForLoadedBytes();
    std::shared_ptr<ByteSource> source(m_doc->OpenSource(true).release());
    // The worker lists its own copy: the hit list may be replaced by a new search meanwhile.
    auto hits = std::make_shared<const std::vector<uint64_t>>(s.searchHits);
    const size_t n = s.patternLen;
    const bool longAddresses = UseLongHitAddresses();
    s.relist.Start([this, source, hits, n, longAddresses](CViewWorker& w) {
        const HitListResult r = RelistHits(*source, *hits, n, longAddresses, w.StopFlag(), [this, &w](HitBatch&& b) {
            auto lines = std::make_shared<QStringList>(std::move(b.lines));
            w.HandOver([this, lines] {
                if (m_search->isActive && m_outputPane)
                    m_outputPane->AddLines(ResultSink::ListSearch, *lines);
            });
        });
        if (r.status == ScanResult::Found && !hits->empty()) {
            const qint64 count = static_cast<qint64>(hits->size());
            w.HandOver([this, count] {
                if (m_search->isActive && m_outputPane) {
                    m_outputPane->AddLines(ResultSink::ListSearch, SearchSummaryLines(count));
                    m_outputPane->FitListWidth(ResultSink::ListSearch);
                }
            });
        }
    });
}

void CQuorvaneView::OnJumpResult(const um::JumpResult& m)
{
    ViewSearchState& s = *m_search;
    uint64_t address = 0;
    uint64_t len = 0;
    if (m.IsIndex()) {
        if (m.index < 0 || static_cast<uint64_t>(m.index) >= s.searchHits.size())
            return; // the empty line and the summary line
        address = s.searchHits[static_cast<size_t>(m.index)];
        len = s.patternLen;
    } else {
        QString text = m.text->trimmed();
        while (text.startsWith(QLatin1Char('0')))
            text.remove(0, 1);
        bool ok = true;
        address = HexTextToU64(text, &ok);
        if (!ok)
            return;
        len = s.sameLen;
    }
    if (address > FileSize())
        return; // the document has become shorter than the listed address
    m_nav.m_cursor = address;
    m_nav.m_lowNibble = false;
    m_marks.findPos = address;
    m_marks.findLen = len;
    EnsureCursorVisible(true);
}

void CQuorvaneView::OnResetSearch()
{
    ViewSearchState& s = *m_search;
    StopSearchWorkers();
    s.searchHits.clear();
    s.listedPattern.reset();
    s.patternLen = 0;
    s.sameGroups.clear();
    if (ListedView() == this && m_outputPane) {
        m_outputPane->ClearList(ResultSink::ListSearch);
        m_outputPane->ClearList(ResultSink::ListSame);
        m_outputPane->ClearSameGroups();
        m_outputPane->ClearList(ResultSink::ListSum);
    }
}

void CQuorvaneView::OnSearchActivation(bool activate)
{
    ViewSearchState& s = *m_search;
    s.isActive = activate;
    if (!activate || ListedView() == this)
        return;
    ListedView() = this;
    if (s.replaceRunning)
        return;
    if (s.listing.IsRunning())
        StartListing(); // it wrote no lines while another view was active: list from the start
    else
        StartRelist();
    OnSameRefresh();
}

void CQuorvaneView::OnBytesAboutToChange()
{
    ViewSearchState& s = *m_search;
    bool interrupted = false;
    if (s.listing.IsRunning()) {
        s.listing.Stop();
        s.listingInterrupted = true;
        interrupted = true;
    }
    if (s.relist.IsRunning()) {
        // The hits are those of the bytes before the change; the listing of the same pattern
        // gives the ones after it.
        s.relist.Stop();
        s.listingInterrupted = s.listedPattern.has_value();
        interrupted = true;
    }
    if (s.same.IsRunning()) {
        s.same.Stop();
        s.sameInterrupted = true;
        interrupted = true;
    }
    s.sum.Stop();
    // Interrupted work starts again once the edits pause: a burst of keys stops it once instead
    // of restarting it (and reading the whole document again) after every key.
    if (interrupted || s.restartTimer.isActive())
        s.restartTimer.start();
}

void CQuorvaneView::RestartInterruptedWork()
{
    ViewSearchState& s = *m_search;
    s.restartTimer.stop();
    if (s.replaceRunning || !m_doc)
        return; // the replace starts them once it has ended
    if (s.listingInterrupted)
        StartListing();
    if (s.sameInterrupted)
        StartSameSearch();
}
