// The status bar's file-size text: every unit from the highest non-zero one down to bytes.
#pragma once

#include <QString>
#include <cstdint>

// 0 -> "0Byte", 5000 -> "4K+904Byte", 1048581 -> "1M+0K+5Byte"; gigabytes are not reduced.
QString FormatFileSize(uint64_t n);
