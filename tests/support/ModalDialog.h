// Driving a modal dialog from a test: `start` opens it (and returns once it is closed); while it
// is open, `act` gets the dialog, and a dialog still open afterwards is cancelled.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Returns whether a dialog of type `Dialog` was shown.
template <typename Dialog>
bool WhileModal(const std::function<void()>& start, const std::function<void(Dialog*)>& act)
{
    bool ran = false;
    std::function<void()> poll;
    poll = [&] {
        auto* dlg = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            QTimer::singleShot(10, poll);
            return;
        }
        ran = true;
        act(dlg);
        if (dlg->isVisible())
            dlg->reject();
    };
    QTimer::singleShot(0, poll);
    start();
    return ran;
}
