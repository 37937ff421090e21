// The main frame's window layout: documents as tabs, or side by side to see two files at once.
#include "app/MainFrame.h"

#include "app/ChildFrame.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTimer>

namespace {

// Lays the windows out again whenever the document area changes size.
class ResizeWatcher : public QObject
{
public:
    ResizeWatcher(QObject* parent, std::function<void()> onResize)
        : QObject(parent), m_onResize(std::move(onResize))
    {
        setObjectName(ObjectName());
    }
    // Found by name: the class has no meta-object of its own for findChild to test.
    static QString ObjectName() { return QStringLiteral("QuorvaneResizeWatcher"); }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Resize)
            m_onResize();
        return QObject::eventFilter(watched, e);
    }

private:
    std::function<void()> m_onResize;
};

} // namespace

void CMainFrame::SetWindowLayout(WindowLayout layout)
{
    const bool wasTabs = m_windowLayout == WindowLayout::Tabs;
    m_windowLayout = layout;
    if (layout == WindowLayout::Tabs) {
        if (wasTabs)
            return;
        m_mdi->setViewMode(QMdiArea::TabbedView);
        // The area makes a new tab bar: the middle click closes tabs on it too.
        if (QTabBar* tabs = m_mdi->findChild<QTabBar*>())
            tabs->installEventFilter(this);
        for (QMdiSubWindow* w : m_mdi->subWindowList())
            w->showMaximized();
        return;
    }
    if (wasTabs) {
        m_mdi->setViewMode(QMdiArea::SubWindowView);
        if (!m_mdi->findChild<QObject*>(ResizeWatcher::ObjectName(), Qt::FindDirectChildrenOnly))
            m_mdi->installEventFilter(new ResizeWatcher(m_mdi, [this] { ArrangeWindows(); }));
    }
    ArrangeWindows();
}

void CMainFrame::ArrangeWindows()
{
    if (m_windowLayout == WindowLayout::Tabs)
        return;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (!w->isHidden() && !w->isMinimized())
            windows << w;
    const int n = static_cast<int>(windows.size());
    if (n == 0)
        return;
    const QRect area = m_mdi->viewport()->rect();
    const bool sideBySide = m_windowLayout == WindowLayout::SideBySide;
    for (int i = 0; i < n; ++i) {
        QRect r;
        if (sideBySide) {
            const int x0 = area.width() * i / n, x1 = area.width() * (i + 1) / n;
            r = QRect(area.left() + x0, area.top(), x1 - x0, area.height());
        } else {
            const int y0 = area.height() * i / n, y1 = area.height() * (i + 1) / n;
            r = QRect(area.left(), area.top() + y0, area.width(), y1 - y0);
        }
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        windows[i]->setGeometry(r);
    }
}

bool CMainFrame::WindowLayoutUpdate(int id, CmdUI& ui) const
{
    WindowLayout layout;
    switch (id) {
    case ID_WINDOW_TILE_VERT: layout = WindowLayout::SideBySide; break;
    case ID_WINDOW_TILE_HORZ: layout = WindowLayout::Stacked; break;
    case ID_WINDOW_TABS: layout = WindowLayout::Tabs; break;
    default: return false;
    }
    ui.enabled = !ChildFrames().isEmpty();
    ui.checked = m_windowLayout == layout;
    return true;
}

bool CMainFrame::WindowLayoutCommand(int id)
{
    switch (id) {
    case ID_WINDOW_TILE_VERT: SetWindowLayout(WindowLayout::SideBySide); return true;
    case ID_WINDOW_TILE_HORZ: SetWindowLayout(WindowLayout::Stacked); return true;
    case ID_WINDOW_TABS: SetWindowLayout(WindowLayout::Tabs); return true;
    default: return false;
    }
}
