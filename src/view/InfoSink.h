// What the hex view hands to the info pane: the bytes and facts under the cursor.
#pragma once

#include "view/InfoRows.h"

// The info pane implements this; the frame hands it to each view (UM_GETINFOPANE).
class InfoSink
{
public:
    virtual ~InfoSink() = default;
    virtual void UpdateInfo(const InfoInput& input) = 0;
};
