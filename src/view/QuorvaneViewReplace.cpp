// The view's replace: the replace loop of the document, asking the replace dialog at every hit.
#include "view/QuorvaneView.h"

#include "app/Messages.h"
#include "document/QuorvaneDoc.h"
#include "search/ReplaceDlg.h"
#include "search/ReplaceEngine.h"
#include "view/ViewSearchState.h"

namespace {

ReplaceDecision DecisionOf(int id)
{
    switch (id) {
    case CReplaceDlg::IdReplace: return ReplaceDecision::Replace;
    case CReplaceDlg::IdSkip: return ReplaceDecision::Skip;
    case CReplaceDlg::IdReplaceAll: return ReplaceDecision::ReplaceAll;
    default: return ReplaceDecision::Stop;
    }
}

} // namespace

void CQuorvaneView::OnReplace(const SearchPattern& pattern, const ReplaceRequest& request)
{
    if (!m_doc || !m_doc->IsEditable() || pattern.IsEmpty())
        return;
    ViewSearchState& s = *m_search;
    if (s.replaceRunning)
        return; // a replace of this view is already asking (the dialog is modal)
    s.replaceRunning = true;

    SearchCursor st;
    st.cursor = m_nav.m_cursor;
    st.findPos = m_marks.findPos;
    st.findLen = m_marks.findLen;
    st.selStart = m_nav.m_selStart;
    st.selEnd = m_nav.m_selEnd;
    st.selAnchor = m_nav.m_selAnchor;

    // The view shows the state the loop reached: the cursor on the hit, the hit highlighted.
    auto showState = [this](const SearchCursor& c) {
        m_nav.m_cursor = c.cursor;
        m_nav.m_lowNibble = false;
        m_nav.m_selStart = c.selStart;
        m_nav.m_selEnd = c.selEnd;
        m_marks.findPos = c.findPos;
        m_marks.findLen = c.findLen;
    };

    ReplaceCallbacks callbacks;
    callbacks.decide = [this, &s, &showState](const SearchCursor& c) {
        showState(c);
        m_layout.SetFileSize(FileSize());
        UpdateScrollRange();
        EnsureCursorVisible(false);
        viewport()->repaint();
        CReplaceDlg dialog(this);
        dialog.Place(s.replaceRect, this);
        const int id = dialog.exec();
        s.replaceRect = dialog.geometry();
        return DecisionOf(id);
    };
    callbacks.replaced = [this, &showState](const SearchCursor& c) {
        showState(c);
        SendStatusFileSize();
    };

    RunReplace(*m_doc, pattern, request, st, callbacks);

    // The engine removes the hit highlight; an anchor it dropped stays the view's own.
    m_nav.m_cursor = std::min(st.cursor, FileSize());
    m_nav.m_selStart = st.selStart;
    m_nav.m_selEnd = st.selEnd;
    m_nav.m_lowNibble = false;
    m_marks.findPos = st.findPos;
    m_marks.findLen = st.findLen;
    s.replaceRunning = false;
    m_layout.SetFileSize(FileSize());
    Redraw();
    SendStatusFileSize();
    UpdateScrollRange();
    setFocus();
    EnsureCursorVisible(true);
    RestartInterruptedWork();
}
