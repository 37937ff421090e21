// What the hex view needs of the structure editor pane: whether it shows, and activations.
#pragma once

// The structure pane implements this; the frame hands it to each view (UM_GETSTRUCTPANE).
class StructPaneSink
{
public:
    virtual ~StructPaneSink() = default;
    // The structure colours show only while the pane itself is on screen.
    virtual bool IsShowing() const = 0;
    // A view became the active view: the pane's values now come from its document.
    virtual void ViewActivated() = 0;
};
