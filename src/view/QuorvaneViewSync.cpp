// Synchronized scrolling: the other windows on screen follow the first visible row of a view.
#include "view/QuorvaneView.h"

#include "document/QuorvaneDoc.h"
#include "view/MyScrollBar.h"
#include "view/SyncScroll.h"

#include <QMdiArea>
#include <QMdiSubWindow>

void CQuorvaneView::SetSynchronizedScrolling(bool on)
{
    g_syncScroll.store(on);
}

bool CQuorvaneView::IsSynchronizedScrolling()
{
    return g_syncScroll.load();
}

bool CQuorvaneView::ShownForSync() const
{
    if (!isVisible())
        return false;
    // A document window: only the window its group shows follows. With the documents as tabs
    // that is the current tab; with the windows laid side by side every window that is not
    // minimized.
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    if (!area)
        return true;
    if (area->viewMode() == QMdiArea::TabbedView)
        return area->currentSubWindow() == sub;
    return !sub->isMinimized() && !sub->isHidden();
}

void CQuorvaneView::FollowSynchronizedScroll()
{
    if (!g_syncScroll.load() || !MainFrame())
        return;
    const uint64_t row = TopRow();
    const auto views = MainFrame()->findChildren<CQuorvaneView*>();
    for (CQuorvaneView* v : views) {
        if (v == this || !v->m_initialized || !v->ShownForSync() || row > v->RowCount())
            continue;
        // The follower's bar is moved directly: a follower does not make others follow in turn.
        v->m_scrollBar->SetPos64(row);
        v->LoadVisibleWindow();
        v->Redraw();
    }
}
