// What panes and dialogs need of the main frame without including it: the window that holds the
// views, and its active view.
#pragma once

class CQuorvaneView;

class ViewHost
{
public:
    virtual ~ViewHost() = default;
    // The active document window's view; null when no document window is open.
    virtual CQuorvaneView* ActiveView() const = 0;
};
