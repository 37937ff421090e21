// Finding the main frame and the active view for the window messages.
#include "view/MessageTargets.h"

#include "view/ViewHost.h"

#include <QApplication>
#include <QWidget>

namespace {

ViewHost* FindHost(const QWidget* from)
{
    // A floating pane is a window of its own, but its parent is still the frame.
    for (const QWidget* w = from; w; w = w->parentWidget())
        if (auto* host = dynamic_cast<ViewHost*>(const_cast<QWidget*>(w)))
            return host;
    // Not inside the frame (a parentless dialog): the program has one frame.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* host = dynamic_cast<ViewHost*>(w))
            return host;
    return nullptr;
}

} // namespace

QObject* FindMainFrame(const QWidget* from)
{
    return dynamic_cast<QObject*>(FindHost(from));
}

CQuorvaneView* FindActiveView(const QWidget* from)
{
    ViewHost* host = FindHost(from);
    return host ? host->ActiveView() : nullptr;
}
