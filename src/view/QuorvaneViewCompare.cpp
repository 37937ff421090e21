// The hex view's side of comparing two documents: 次へ / 前へ over the differing runs, the mark.
#include "view/QuorvaneView.h"

#include "app/CommandIds.h"
#include "app/Prompter.h"
#include "document/QuorvaneDoc.h"
#include "search/DiffRuns.h"

#include <QApplication>
#include <QTimer>
#include <memory>

namespace {

// A source that could not be opened carries the system's text for the failure.
bool Unreadable(const ByteSource& source)
{
    return !source.ErrorText().isEmpty();
}

} // namespace

bool CQuorvaneView::DiffStep(bool forward)
{
    if (!m_doc || !m_doc->DiffPartner())
        return false;
    CQuorvaneDoc* partner = m_doc->DiffPartner();
    // Bytes a loader has not reached yet read as 00: the step waits for both loaders, as search
    // and SUM do, instead of marking runs that are not there.
    WaitForLoadedBytes();
    if (partner->IsLoading()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        partner->WaitForLoader();
        QApplication::restoreOverrideCursor();
    }
    // In memory the store is read in place; a document edited on disk, own or partner, is read
    // from its file in large blocks.
    const std::unique_ptr<ByteSource> own = m_doc->OpenSource();
    const std::unique_ptr<ByteSource> other = partner->OpenSource();
    for (const ByteSource* s : {own.get(), other.get()}) {
        if (Unreadable(*s)) {
            Prompter::ShowError(s->ErrorText());
            return false;
        }
    }
    DiffMark mark;
    if (m_diffMarkPartner == partner) {
        mark.start = m_diffMarkStart;
        mark.end = m_diffMarkEnd;
    }
    uint64_t cursor = m_nav.m_cursor;
    DiffStepResult r;
    {
        // A step over gigabytes on disk takes a moment.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        r = forward ? ::DiffNext(*own, *other, cursor, mark) : ::DiffPrev(*own, *other, cursor, mark);
        QApplication::restoreOverrideCursor();
    }
    if (r.failed) {
        Prompter::ShowError(r.errorText);
        return false;
    }
    if (!r.found) {
        // 次へ from inside the mark leaves the cursor on the mark's end.
        if (cursor != m_nav.m_cursor) {
            m_nav.m_cursor = cursor;
            m_nav.m_lowNibble = false;
            RefreshInfoPane();
            Redraw();
        }
        return false;
    }
    m_diffMarkStart = mark.start;
    m_diffMarkEnd = mark.end;
    m_diffMarkPartner = partner;
    m_nav.m_cursor = cursor;
    m_nav.m_lowNibble = false;
    m_nav.ClearSelection();
    EnsureCursorVisible(true);
    return true;
}

bool CQuorvaneView::OnDiffCommand(int id)
{
    switch (id) {
    case ID_DIFF_NEXT: DiffStep(true); return true;
    case ID_DIFF_PREV: DiffStep(false); return true;
    default: return false;
    }
}

bool CQuorvaneView::OnUpdateDiffCommand(int id, CmdUI& ui) const
{
    if (id != ID_DIFF_NEXT && id != ID_DIFF_PREV)
        return false;
    ui.enabled = m_doc && m_doc->DiffPartner();
    ui.checked = false;
    return true;
}

void CQuorvaneView::OnDiffChanged()
{
    // A mark found against another partner (or before the comparison ended) means nothing now.
    if (!m_doc || m_doc->DiffPartner() != m_diffMarkPartner) {
        m_diffMarkStart = kNone;
        m_diffMarkEnd = kNone;
        m_diffMarkPartner = nullptr;
    }
    Redraw();
}

void CQuorvaneView::ReportPartnerError(const QString& text)
{
    // Reported after the paint, once: the comparison ends first, so that the repaints while the
    // box is open (and after it) no longer read the partner's file.
    if (m_partnerErrorPending)
        return;
    m_partnerErrorPending = true;
    QTimer::singleShot(0, this, [this, text] {
        m_partnerErrorPending = false;
        CQuorvaneDoc* partner = m_doc ? m_doc->DiffPartner() : nullptr;
        if (!partner)
            return; // another window of the document reported it already
        partner->SetDiffPartner(nullptr);
        m_doc->SetDiffPartner(nullptr);
        Prompter::ShowError(text);
    });
}

void CQuorvaneView::NotifyDiffPartner()
{
    if (m_doc && m_doc->DiffPartner())
        Q_EMIT m_doc->DiffPartner()->diffChanged();
}
