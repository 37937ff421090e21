// Writing a tool's output file completely or not at all.
#include "tools/OutputFile.h"

#include <QFileInfo>

COutputFile::COutputFile(const QString& path) : m_path(path), m_file(path) {}

bool COutputFile::Fail(const QString& text)
{
    m_failed = true;
    m_error = QStringLiteral("%1: %2").arg(m_path, text.isEmpty() ? QStringLiteral("書き込みに失敗しました。") : text);
    m_file.cancelWriting();
    return false;
}

bool COutputFile::Open()
{
    const QFileInfo info(m_path);
    if (m_path.isEmpty())
        return Fail(QStringLiteral("出力先が未入力です。"));
    if (info.exists() && !info.isFile())
        return Fail(QStringLiteral("通常のファイルではありません。"));
    if (!m_file.open(QIODevice::WriteOnly))
        return Fail(m_file.errorString());
    return true;
}

bool COutputFile::Write(const uint8_t* data, size_t n)
{
    if (m_failed)
        return false;
    size_t done = 0;
    while (done < n) {
        const qint64 put = m_file.write(reinterpret_cast<const char*>(data + done), static_cast<qint64>(n - done));
        if (put <= 0)
            return Fail(m_file.errorString());
        done += static_cast<size_t>(put);
    }
    return true;
}

bool COutputFile::Commit()
{
    if (m_failed)
        return false;
    if (!m_file.flush())
        return Fail(m_file.errorString());
    // QSaveFile syncs the temporary file before it renames it over the destination.
    if (!m_file.commit()) {
        m_failed = true;
        m_error = QStringLiteral("%1: %2").arg(m_path, m_file.errorString());
        return false;
    }
    return true;
}

void COutputFile::Cancel()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
    m_failed = true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    COutputFile out(path);
    if (out.Open() && out.Write(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()))
        && out.Commit())
        return true;
    if (error)
        *error = out.ErrorText();
    return false;
}
