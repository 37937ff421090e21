// Path texts that keep the system's bytes, and opening and stating files by them.
#include "base/NativePath.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // byte b travels as U+DC00 + b (b >= 0x80)

bool IsEscape(char16_t u)
{
    return u >= 0xDC80 && u <= 0xDCFF;
}

// Length of the valid UTF-8 sequence at p (of n bytes left), or 0 when it is not valid.
int ValidSequence(const unsigned char* p, qsizetype n)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int len = 0;
    char32_t min = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, cp = c & 0x07;
    } else {
        return 0;
    }
    if (n < len)
        return 0;
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

const QString kStoredPrefix = QStringLiteral("@Path(");

} // namespace

#ifndef _WIN32
static bool OpenByBytes(QFile& file, const QString& path, QIODevice::OpenMode mode, QString* error);
#endif

QString PathFromNative(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        // Runs of valid UTF-8 decode as Qt decodes them.
        qsizetype j = i;
        while (j < n) {
            const int len = ValidSequence(p + j, n - j);
            if (len == 0)
                break;
            j += len;
        }
        if (j > i)
            out += QString::fromUtf8(bytes.constData() + i, j - i);
        if (j < n)
            out += QChar(char16_t(kEscapeBase + p[j++]));
        i = j;
    }
    return out;
}

QByteArray PathToNative(const QString& path)
{
    if (!HasForeignBytes(path))
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype i = 0;
    while (i < path.size()) {
        qsizetype j = i;
        while (j < path.size() && !IsEscape(path[j].unicode()))
            ++j;
        if (j > i)
            out += QStringView(path).mid(i, j - i).toUtf8();
        if (j < path.size())
            out += char(path[j++].unicode() - kEscapeBase);
        i = j;
    }
    return out;
}

bool HasForeignBytes(const QString& path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        // A low surrogate right after a high one is half of an ordinary character.
        if (IsEscape(u) && !(i > 0 && path[i - 1].isHighSurrogate()))
            return true;
    }
    return false;
}

QString PathForDisplay(const QString& path)
{
    if (!HasForeignBytes(path))
        return path;
    QString out;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        if (IsEscape(u) && !(i > 0 && path[i - 1].isHighSurrogate()))
            out += QStringLiteral("\\x") + QString::number(unsigned(u - kEscapeBase), 16).toUpper();
        else
            out += path[i];
    }
    return out;
}

QString AbsolutePath(const QString& path)
{
#ifdef _WIN32
    return QFileInfo(path).absoluteFilePath();
#else
    if (path.isEmpty())
        return path;
    QString full = path;
    if (!path.startsWith(QLatin1Char('/'))) {
        // The working folder as the system's bytes: it may hold foreign bytes itself.
        QByteArray cwd(4096, Qt::Uninitialized);
        while (!::getcwd(cwd.data(), static_cast<size_t>(cwd.size()))) {
            if (errno != ERANGE)
                return QFileInfo(path).absoluteFilePath();
            cwd.resize(cwd.size() * 2);
        }
        cwd.truncate(qsizetype(std::strlen(cwd.constData())));
        full = PathFromNative(cwd) + QLatin1Char('/') + path;
    }
    // Lexical clean-up; escaped bytes are single units that never equal "/" or ".".
    QStringList parts;
    for (const QString& part : full.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return QLatin1Char('/') + parts.join(QLatin1Char('/'));
#endif
}

QString FileNameOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString PathFromUrl(const QUrl& url)
{
    if (!url.isLocalFile())
        return url.toLocalFile();
    // The encoded path keeps every byte as %HH; toLocalFile() would turn foreign bytes into U+FFFD.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    QString path = PathFromNative(bytes);
    if (!url.host().isEmpty())
        path = QStringLiteral("//") + url.host() + path;
    return path;
}

QUrl UrlFromPath(const QString& path)
{
    if (!HasForeignBytes(path))
        return QUrl::fromLocalFile(path);
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(PathToNative(path).toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

QString PathToStored(const QString& path)
{
    if (!HasForeignBytes(path))
        return path;
    return kStoredPrefix + QString::fromLatin1(PathToNative(path).toPercentEncoding("/")) + QLatin1Char(')');
}

QString PathFromStored(const QString& stored)
{
    if (!stored.startsWith(kStoredPrefix) || !stored.endsWith(QLatin1Char(')')))
        return stored;
    const QString inner = stored.mid(kStoredPrefix.size(), stored.size() - kStoredPrefix.size() - 1);
    return PathFromNative(QByteArray::fromPercentEncoding(inner.toLatin1()));
}

bool OpenNativeFile(QFile& file, const QString& path, QIODevice::OpenMode mode, QString* error)
{
#ifndef _WIN32
    if (HasForeignBytes(path))
        return OpenByBytes(file, path, mode, error);
#endif
    file.setFileName(path);
    if (file.open(mode))
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

#ifndef _WIN32
bool OpenByBytes(QFile& file, const QString& path, QIODevice::OpenMode mode, QString* error)
{
    int flags = O_CLOEXEC;
    if ((mode & QIODevice::ReadWrite) == QIODevice::ReadWrite)
        flags |= O_RDWR;
    else if (mode & QIODevice::WriteOnly)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    if ((mode & QIODevice::WriteOnly) && !(mode & QIODevice::ExistingOnly))
        flags |= O_CREAT;
    if (mode & QIODevice::NewOnly)
        flags |= O_CREAT | O_EXCL;
    if (mode & QIODevice::Truncate)
        flags |= O_TRUNC;
    if (mode & QIODevice::Append)
        flags |= O_APPEND;
    int fd;
    do {
        fd = ::open(PathToNative(path).constData(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (error)
            *error = qt_error_string(errno);
        return false;
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
#endif

PathFacts StatPath(const QString& path)
{
    PathFacts facts;
#ifdef _WIN32
    const QFileInfo info(path);
    facts.exists = info.exists();
    facts.isFile = info.isFile();
    facts.isDir = info.isDir();
    facts.size = info.size();
#else
    struct stat st {};
    if (::stat(PathToNative(path).constData(), &st) != 0)
        return facts;
    facts.exists = true;
    facts.isFile = S_ISREG(st.st_mode);
    facts.isDir = S_ISDIR(st.st_mode);
    facts.size = static_cast<qint64>(st.st_size);
#endif
    return facts;
}
