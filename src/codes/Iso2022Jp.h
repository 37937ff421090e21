// ISO-2022-JP with half-width katakana (code page 50222): escapes between character sets.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The two directions of code page 50222 behind WidenFromCodePage and NarrowToCodePage; see there.
QString WidenIso2022Jp(QByteArrayView bytes);
QByteArray NarrowIso2022Jp(QStringView text);
