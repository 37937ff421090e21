// Folder search: name matching, directory walking and scanning each file in large blocks.
#include "search/FolderSearch.h"
#include "document/PositionedRead.h"

#include "base/Prompter.h"
#include "base/NativePath.h"
#include "search/HexFormat.h"
#include "search/PatternScanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

// Unix walks folders with the system calls, which tell FIFOs and devices apart before anything is
// opened and name each folder by device and inode. Elsewhere (Windows) Qt's file information does
// the walk. QUORVANE_QT_FOLDER_WALK selects the Qt walk on Unix too, to test it.
#if defined(Q_OS_UNIX) && !defined(QUORVANE_QT_FOLDER_WALK)
#define QV_POSIX_WALK 1
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if QV_POSIX_WALK

// A file read with positioned reads; the descriptor is owned.
class PosixFileSource final : public ByteSource
{
public:
    PosixFileSource(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    ~PosixFileSource() override { ::close(m_fd); }
    uint64_t Size() const override { return m_size; }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        if (address >= m_size)
            return 0;
        n = static_cast<size_t>(std::min<uint64_t>(n, m_size - address));
        if (!ReadFullyAt(m_fd, dst, n, address, m_error))
            return -1;
        return static_cast<int64_t>(n);
    }
    QString ErrorText() const override { return m_error; }

private:
    int m_fd;
    uint64_t m_size;
    QString m_error;
};
#endif

bool GlobMatch(const QString& name, const QString& pattern)
{
    // Greedy matching with one backtrack point for the last "*".
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

class FolderScan
{
public:
    FolderScan(const FolderSearchRequest& request, const std::atomic<bool>& stop, const FolderSearchSink& sink)
        : m_request(request), m_stop(stop), m_sink(sink), m_scanner(request.pattern)
    {
    }

    FolderSearchResult Run();

private:
    bool Stopped() const { return m_stop.load(std::memory_order_relaxed); }
    void ScanFolder(const QString& folder, const QString& part);
    // The entries of a folder that match `part`, in the order they are searched; empty when the
    // folder was seen before (through a link) or is none.
    struct Entry
    {
        QString name;
        bool regular = false; // known to be a regular file without asking again
    };
    std::vector<Entry> MatchingNames(const QString& folder, const QString& part);
    void SearchFile(const QString& path);
    void ScanSource(const QString& path, ByteSource& source);
    void Emit(QString line)
    {
        m_batch.push_back(std::move(line));
        if (m_batch.size() >= 4096)
            Flush();
    }
    void Flush()
    {
        if (m_batch.isEmpty())
            return;
        if (m_sink.lines)
            m_sink.lines(std::move(m_batch));
        m_batch = QStringList();
    }
    void ReportOpenFailure(const QString& path, const QString& text)
    {
        Flush(); // lines found so far come before the message
        if (m_sink.openFailed)
            m_sink.openFailed(path, text);
        else
            Prompter::ShowError(path + QLatin1Char('\n') + text);
    }

    const FolderSearchRequest& m_request;
    const std::atomic<bool>& m_stop;
    const FolderSearchSink& m_sink;
    PatternScanner m_scanner;
    AlignedBuffer m_buffer; // every file is read into this one
#if QV_POSIX_WALK
    std::set<std::pair<dev_t, ino_t>> m_visited;
#else
    std::set<QString> m_visited; // canonical paths
#endif
    QStringList m_batch;
    FolderSearchResult m_result;
};

FolderSearchResult FolderScan::Run()
{
    QString folder = m_request.folder;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    const QStringList parts = m_request.fileTypes.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        if (Stopped())
            break;
        m_visited.clear();
        ScanFolder(folder, part);
    }
    m_result.stopped = Stopped();
    Emit(FolderSearchTotalLine(static_cast<qint64>(m_result.hits)));
    Flush();
    return m_result;
}

std::vector<FolderScan::Entry> FolderScan::MatchingNames(const QString& folder, const QString& part)
{
    std::vector<Entry> names;
#if QV_POSIX_WALK
    const QByteArray native = PathToNative(folder);
    struct stat self;
    if (::stat(native.constData(), &self) != 0 || !S_ISDIR(self.st_mode))
        return names; // a folder that does not exist finds nothing
    if (!m_visited.insert({self.st_dev, self.st_ino}).second)
        return names; // reached again through a link
    if (DIR* dir = ::opendir(native.constData())) {
        while (const dirent* e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            const QString name = PathFromNative(QByteArray(e->d_name));
            if (MatchesFileType(name, part))
                names.push_back({name, e->d_type == DT_REG});
        }
        ::closedir(dir);
    }
#else
    const QFileInfo self(folder);
    const QString canonical = self.isDir() ? self.canonicalFilePath() : QString();
    if (canonical.isEmpty() || !m_visited.insert(canonical).second)
        return names;
    const QStringList all = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : all)
        if (MatchesFileType(name, part))
            names.push_back({name, false});
#endif
    std::sort(names.begin(), names.end(), [](const Entry& x, const Entry& y) {
        const QString& a = x.name;
        const QString& b = y.name;
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

void FolderScan::ScanFolder(const QString& folder, const QString& part)
{
    const std::vector<Entry> names = MatchingNames(folder, part);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (const Entry& entry : names) {
        const QString& name = entry.name;
        if (Stopped())
            return;
        const QString path = prefix + name;
#if QV_POSIX_WALK
        if (entry.regular) {
            SearchFile(path); // the folder listing said so; opening it checks once more
            continue;
        }
        struct stat st;
        if (::stat(PathToNative(path).constData(), &st) != 0) {
            struct stat lst;
            if (::lstat(PathToNative(path).constData(), &lst) == 0 && S_ISLNK(lst.st_mode))
                continue; // a link that leads nowhere is not a file
            ReportOpenFailure(path, QString::fromLocal8Bit(std::strerror(errno)));
            continue;
        }
        const bool isFolder = S_ISDIR(st.st_mode);
        const bool isFile = S_ISREG(st.st_mode);
#else
        const QFileInfo info(path);
        if (!info.exists())
            continue; // a link that leads nowhere, or an entry gone since the listing
        const bool isFolder = info.isDir();
        const bool isFile = info.isFile();
#endif
        if (isFolder) {
            if (m_request.subfolders)
                ScanFolder(path, part);
            continue;
        }
        if (!isFile)
            continue; // FIFOs, devices and sockets have no bytes to search; opening one could block
        SearchFile(path);
    }
}

void FolderScan::SearchFile(const QString& path)
{
#if QV_POSIX_WALK
    // O_NONBLOCK: should the entry have become a FIFO since it was looked at, opening it must not hang.
    const int fd = ::open(PathToNative(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        ReportOpenFailure(path, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size >= (uint64_t(1) << 32)) {
        ::close(fd);
        return; // 4 GiB and more: skipped silently
    }
    // A regular file reads the same with O_NONBLOCK set: the flag stays.
    PosixFileSource source(fd, size);
#else
    FileByteSource source(path);
    if (!source.IsOpen()) {
        ReportOpenFailure(path, source.ErrorText());
        return;
    }
    if (source.Size() >= (uint64_t(1) << 32))
        return; // 4 GiB and more: skipped silently
#endif
    ScanSource(path, source);
}

void FolderScan::ScanSource(const QString& path, ByteSource& source)
{
    ++m_result.filesSearched;
    bool any = false;
    const ScanResult r = m_scanner.ForEachHit(source, 0, false, &m_stop, [&](uint64_t a, const uint8_t*) {
        if (!any) {
            Emit(path);
            any = true;
        }
        QString line;
        hexfmt::AppendHex(line, a, 8);
        Emit(std::move(line));
        ++m_result.hits;
        return true;
    }, &m_buffer);
    if (any)
        Emit(QString());
    if (r.status == ScanResult::Failed)
        ReportOpenFailure(path, r.errorText);
}

} // namespace

std::optional<SearchPattern> BuildFolderSearchPattern(const QString& hexText, bool fromString)
{
    return SearchPattern::FromHexText(hexText, fromString);
}

QString FolderSearchDecimalToHex(const QString& decimal)
{
    if (decimal.isEmpty())
        return {};
    qsizetype i = 0;
    bool negative = false;
    if (i < decimal.size() && (decimal[i] == QLatin1Char('-') || decimal[i] == QLatin1Char('+'))) {
        negative = decimal[i] == QLatin1Char('-');
        ++i;
    }
    int64_t value = 0;
    for (; i < decimal.size(); ++i) {
        const QChar c = decimal[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = std::min<int64_t>(value * 10 + (c.unicode() - u'0'), int64_t(1) << 32);
    }
    if (negative)
        value = -value;
    value = std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
    return QString::number(static_cast<uint32_t>(static_cast<int32_t>(value)), 16).toUpper();
}

bool MatchesFileType(const QString& name, const QString& part)
{
    if (part.isEmpty())
        return false;
    const QString n = name.toCaseFolded();
    const QString p = part.toCaseFolded();
    if (p.endsWith(QLatin1String(".*")) && GlobMatch(n, p.chopped(2)))
        return true; // "x.*" also names "x" itself
    if (p.size() > 1 && p.endsWith(QLatin1Char('.')) && !p.endsWith(QLatin1String("..")))
        return !n.contains(QLatin1Char('.')) && GlobMatch(n, p.chopped(1));
    return GlobMatch(n, p);
}

FolderSearchResult RunFolderSearch(const FolderSearchRequest& request, const std::atomic<bool>& stop,
                                   const FolderSearchSink& sink)
{
    FolderScan scan(request, stop, sink);
    return scan.Run();
}

QString FolderSearchTotalLine(qint64 hits)
{
    return QStringLiteral("全 %1件").arg(hits);
}
