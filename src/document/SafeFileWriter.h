// The one way this program writes a file: complete, synced, and renamed over the old one.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

// Writes a new file beside `target` and renames it over the target only when every byte, the
// final flush and the sync succeeded; then syncs the folder, so that once Commit() has returned
// true a power loss cannot bring back the old name pointing at nothing. On any failure the target
// keeps its previous contents, the temporary file is removed, and ErrorString() holds the
// system's text for the first failure ("No space left on device", ...).
//
//     SafeFileWriter out(path);
//     if (!out.Open() || !out.Write(data, n) || !out.Commit())
//         Prompter::ShowError(out.ErrorString());
//
// - A target that exists but is not a regular file (folder, FIFO, device, socket) is refused by
//   Open(), so nothing ever blocks on a pipe or writes into a device.
// - A symbolic link is followed: the file it names is replaced and the link stays a link.
// - A replaced file keeps its permission bits (and, where the system allows, its owner); a new
//   file gets what a plain create gives it.
// - The temporary file is named after the target: "<target>.<6 characters>.qvtmp".
// - Paths are this program's path texts (NativePath.h): names that are not UTF-8 work.
// One writer writes one file; it is not shared between threads.
class SafeFileWriter
{
public:
    explicit SafeFileWriter(const QString& target);
    ~SafeFileWriter(); // an uncommitted temporary file is removed
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Checks the target and creates the temporary file.
    bool Open();
    // Writes all n bytes (short writes are continued) or fails.
    bool Write(const void* data, qint64 n);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    // Writes the whole of the file `source` (read in large blocks); a read failure fails too.
    // A new target takes the permission bits of `source`.
    // `progress` (when given) hears the bytes copied so far after each block; false stops the
    // copy, which then fails with an empty ErrorString().
    bool WriteFrom(const QString& source, const std::function<bool(qint64 copied)>& progress = {});
    // Syncs and closes the temporary file: after this the new contents are on disk, and only
    // the rename is left. Commit() does it when it has not been done.
    bool Flush();
    // Flush(), then renames the temporary file over the target and syncs the folder.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Cancel();

    bool IsOpen() const { return m_fd >= 0 || m_flushed; }
    qint64 Written() const { return m_written; }
    // The temporary file while open, for work that must change the new file in place before
    // Commit() (Commit() syncs every write made to it, through any handle).
    QString TemporaryPath() const;
    QString ErrorString() const { return m_error; }

    // The steps a write goes through, for the test seam below.
    enum class Step { Create, Write, Sync, Close, Rename, FolderSync };
    // Test seam: when set, called before each step; a non-zero return is taken as the system's
    // error number of that step (ENOSPC, EIO, ...), as if the system had failed it.
    static std::function<int(Step)> s_failureHook;

private:
    bool Fail(int error);

    QString m_target;   // as given
    QByteArray m_final; // the file to replace (links followed), in the system's bytes
    QByteArray m_temp;  // the temporary file beside it
    int m_fd = -1;
    qint64 m_written = 0;
    bool m_committed = false;
    bool m_replacing = false; // the target existed when opened
    bool m_flushed = false;   // synced and closed, waiting for the rename
    QString m_error;
};

// True when `path` may be written: a regular file (links followed) or nothing yet. Else false
// with the message for the user in `error`.
bool IsWritableTarget(const QString& path, QString* error);

// The whole of `bytes` into `path` through SafeFileWriter. False with the system's text in `error`.
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error);

// A complete copy of `source` at `target` through SafeFileWriter, or none; the copy keeps the
// source's permission bits when `target` is new.
bool CopyFileSafely(const QString& source, const QString& target, QString* error);

// Makes `backup` hold the current contents of the existing file `path`, replacing an older backup
// only once the new one is complete. With `mayShare` the backup may be a second name of the
// current file (a hard link; no bytes are copied) - right when `path` is about to be replaced by
// a new file rather than changed in place; where links cannot be made the bytes are copied.
bool MakeBackup(const QString& path, const QString& backup, bool mayShare, QString* error);

// The system's text for an error number.
QString SystemErrorText(int error);
