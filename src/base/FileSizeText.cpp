// The status bar's file-size text.
#include "base/FileSizeText.h"

QString FormatFileSize(uint64_t n)
{
    const uint64_t k = n >> 10;
    const uint64_t m = n >> 20;
    const uint64_t g = n >> 30;
    QString text = QString::number(k == 0 ? n : n % 1024) + QStringLiteral("Byte");
    if (k == 0)
        return text;
    text = QString::number(m == 0 ? k : k % 1024) + QStringLiteral("K+") + text;
    if (m == 0)
        return text;
    text = QString::number(g == 0 ? m : m % 1024) + QStringLiteral("M+") + text;
    if (g == 0)
        return text;
    return QString::number(g) + QStringLiteral("G+") + text;
}
