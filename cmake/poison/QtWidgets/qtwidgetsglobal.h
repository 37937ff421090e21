// Every Qt Widgets header starts by including this file; the core library finds this one first.
#error "quorvane_core must not use Qt Widgets: move this code to the UI layer"
