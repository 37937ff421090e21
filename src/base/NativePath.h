// File names as the system's bytes: names that are not UTF-8 survive the trip through QString.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QUrl>
#include <QtGlobal>

// Linux file names are bytes; Qt 6 decodes them as UTF-8 and turns every byte that is not UTF-8
// into U+FFFD, after which the file cannot be found again. This program's path texts keep such a
// byte b as the lone surrogate U+DC00 + b (as Python's "surrogateescape" does), so
// PathToNative(PathFromNative(bytes)) == bytes for every name. Valid UTF-8 decodes exactly as Qt
// decodes it, so ordinary names are ordinary QStrings. Qt's own file classes (QFile, QFileInfo,
// QDir) cannot reach escaped names: open them through OpenNativeFile and StatPath.

// The path text of the system's bytes (command-line arguments, folder entries, dropped URLs).
QString PathFromNative(const QByteArray& bytes);
// The system's bytes of a path text.
QByteArray PathToNative(const QString& path);
// True when `path` holds bytes that are not UTF-8 (Qt's file classes cannot open it).
bool HasForeignBytes(const QString& path);
// The path as the user reads it: each byte that is not UTF-8 shown as "\xHH".
QString PathForDisplay(const QString& path);
// The local file of a file URL (drops, file dialogs), with the bytes of its name kept.
QString PathFromUrl(const QUrl& url);
// A file URL for `path`, with the bytes of its name kept.
QUrl UrlFromPath(const QString& path);
// The absolute, cleaned form of `path` ("." and ".." resolved by name, as QFileInfo does): a
// relative path is taken from the working folder. Unlike QFileInfo, the bytes of a name that is
// not UTF-8 are kept, so the result opens the same file.
QString AbsolutePath(const QString& path);
// The last part of `path` (after the last "/"), bytes kept.
QString FileNameOf(const QString& path);
// Text form of a path for storing in settings, and back; ordinary names are stored as they are.
QString PathToStored(const QString& path);
QString PathFromStored(const QString& stored);

// Opens `file` on `path`; for a name with foreign bytes the system's open is used and the handle
// given to `file` (which then has no fileName()). On failure `error` (when given) receives the
// system's text for it.
bool OpenNativeFile(QFile& file, const QString& path, QIODevice::OpenMode mode, QString* error = nullptr);

// What the system says about a path (links followed).
struct PathFacts
{
    bool exists = false;
    bool isFile = false; // a regular file
    bool isDir = false;
    qint64 size = 0;
};
PathFacts StatPath(const QString& path);
