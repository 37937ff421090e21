// The hex view's font: the face the settings ask for, or a fixed-pitch stand-in, at its pixel size.
#pragma once

#include <QFont>
#include <QString>

// The font of the view (and of its printed pages) for the group settings FontName and FontSize:
// the face when it exists and is fixed-pitch, otherwise the system's fixed-pitch font; the size
// is points at 96 per inch, rounded, as a pixel size, the same for every face. `usedRequested`
// tells which it was.
QFont MakeViewFont(const QString& name, int pointSize, bool& usedRequested);
// Whether a face suits rows of bytes: every Latin letter and digit equally wide. Japanese faces
// such as IPAゴシック and Noto Sans Mono CJK JP count, though their kanji take two cells.
bool IsFixedPitchFace(const QString& family);
