// 同期スクロール: the process-wide switch that makes the other visible windows follow a view's scrolling.
#pragma once

#include <atomic>

// Set by the properties pane (表示 > 同期スクロール, "ON"/"OFF"), read by the views when they scroll.
inline std::atomic<bool> g_syncScroll{false};
