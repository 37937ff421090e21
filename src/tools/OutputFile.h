// A file written by the tools (range output, fixed-form and concatenation results, bookmark
// lists): it replaces the destination only when every byte has been written and synced.
#pragma once

#include <QSaveFile>
#include <QString>
#include <cstddef>
#include <cstdint>

// Writes go to a temporary file beside the destination; Commit() flushes, syncs and renames it
// over the destination. A failed write, a failed commit or an object destroyed without Commit()
// leaves the destination as it was. Destinations that are not regular files (devices, folders,
// pipes) are refused, so nothing is ever renamed over them.
class COutputFile
{
public:
    explicit COutputFile(const QString& path);
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    bool Open();
    // Writes all n bytes or fails.
    bool Write(const uint8_t* data, size_t n);
    bool Commit();
    // Drops what was written; the destination stays as it was.
    void Cancel();
    // The system's text for the failure, with the destination's name.
    QString ErrorText() const { return m_error; }

private:
    bool Fail(const QString& text);

    QString m_path;
    QSaveFile m_file;
    QString m_error;
    bool m_failed = false;
};

// Writes a whole block to `path` through COutputFile; false with the text in `error`.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);
