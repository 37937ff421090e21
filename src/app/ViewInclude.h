// The hex view's declaration: the real view, or its stand-in while the view is not built yet.
#pragma once

#ifdef QUORVANE_HAVE_VIEW
#include "view/QuorvaneView.h"
#else
#include "app/ViewStandIn.h"
#endif
