// Finding the main frame and the active view for the window messages.
#include "app/MessageTargets.h"

#include "app/MainFrame.h"

#include <QApplication>

CMainFrame* FindMainFrame(const QWidget* from)
{
    // A floating pane is a window of its own, but its parent is still the frame.
    for (const QWidget* w = from; w; w = w->parentWidget())
        if (auto* frame = qobject_cast<CMainFrame*>(const_cast<QWidget*>(w)))
            return frame;
    // Not inside the frame (a parentless dialog): the program has one frame.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<CMainFrame*>(w))
            return frame;
    return nullptr;
}

CQuorvaneView* FindActiveView(const QWidget* from)
{
    CMainFrame* frame = FindMainFrame(from);
    return frame ? frame->ActiveView() : nullptr;
}
