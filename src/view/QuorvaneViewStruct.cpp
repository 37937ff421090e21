// The hex view's side of the structure editor: the structure ranges it paints and moves to.
#include "base/Messages.h"
#include "view/StructPaneSink.h"
#include "view/QuorvaneView.h"

bool CQuorvaneView::HandleStructMessage(QEvent* e)
{
    auto* m = um::Cast<um::SetStructRange>(e);
    if (!m)
        return false;
    // The member first, then the whole structure; each moves the cursor to its start. A range at
    // or past the end of the file is still kept (it paints nothing) but does not move the cursor.
    if (m->lParam) {
        m_marks.structSelStart = m->lParam->start;
        m_marks.structSelEnd = m->lParam->end;
        if (m->lParam->end > m->lParam->start)
            m_nav.SetCursorTo(m->lParam->start);
    }
    if (m->wParam) {
        m_marks.structStart = m->wParam->start;
        m_marks.structEnd = m->wParam->end;
        m_nav.SetCursorTo(m->wParam->start);
    }
    RefreshInfoPane();
    Redraw();
    return true;
}

bool CQuorvaneView::StructPaneShowing() const
{
    // The structure colours show while the pane itself is on screen (not hidden or behind a tab).
    return m_structPane && m_structPane->IsShowing();
}
