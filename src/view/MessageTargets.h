// Where the window messages go: the main frame of any window of the program, and its active view.
#pragma once

class CQuorvaneView;
class QObject;
class QWidget;

// The main frame that `from` belongs to: its top-level frame, also from a floating pane or a
// dialog parented to the frame. Null when `from` is null and no frame exists. Messages for the
// frame are sent to it; it is the window that implements ViewHost.
QObject* FindMainFrame(const QWidget* from);

// The active view: the main frame's active document window's view. Null when no document window
// is open; a sender that finds none sends nothing.
CQuorvaneView* FindActiveView(const QWidget* from);
