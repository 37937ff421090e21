// Tests of the folder search: name matching, walking folders and links, special files, hits.
#include "search/FolderSearch.h"

#include "ScriptedPrompter.h"
#include "SearchTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace testsupport;

namespace {

struct Outcome
{
    QStringList lines;
    QStringList failures;
    FolderSearchResult result;
};

// Root reads every file whatever its permission bits. While this lives, the calling thread lacks
// the two capabilities that allow that, so it meets permission bits like any other user.
class PermissionBitsApply
{
public:
    PermissionBitsApply()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_active = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionBitsApply()
    {
        if (m_active)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool Active() const { return m_active || ::geteuid() != 0; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_active = false;
};

Outcome Search(const QString& folder, const QString& hex, const QString& types, bool sub, bool fromString = false)
{
    FolderSearchRequest request;
    request.folder = folder;
    request.fileTypes = types;
    request.subfolders = sub;
    request.pattern = *BuildFolderSearchPattern(hex, fromString);
    Outcome o;
    FolderSearchSink sink;
    sink.lines = [&](QStringList&& l) { o.lines += l; };
    sink.openFailed = [&](const QString& path, const QString&) { o.failures << path; };
    std::atomic<bool> stop{false};
    o.result = RunFolderSearch(request, stop, sink);
    return o;
}

} // namespace

TEST(FolderSearchTest, FileTypesMatchAsOnWindows)
{
    EXPECT_TRUE(MatchesFileType("data.bin", "*.*"));
    EXPECT_TRUE(MatchesFileType("README", "*.*"));
    EXPECT_TRUE(MatchesFileType("a.DAT", "*.dat"));
    EXPECT_FALSE(MatchesFileType("a.data", "*.dat"));
    EXPECT_FALSE(MatchesFileType("tools", "*.exe"));
    EXPECT_TRUE(MatchesFileType("file1.txt", "file?.txt"));
    EXPECT_FALSE(MatchesFileType("file12.txt", "file?.txt"));
    EXPECT_TRUE(MatchesFileType("readme", "readme.*"));
    EXPECT_TRUE(MatchesFileType("Makefile", "*."));
    EXPECT_FALSE(MatchesFileType("a.c", "*."));
    EXPECT_TRUE(MatchesFileType("x", "*"));
    EXPECT_FALSE(MatchesFileType("x", ""));
    EXPECT_TRUE(MatchesFileType(QStringLiteral("データ.DAT"), QStringLiteral("*.dat")));
}

TEST(FolderSearchTest, HitsLinesAndParts)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    ASSERT_TRUE(WriteFile(root + "/a.dat", {0x41, 0x41, 0x41, 0x41}));       // 41 41: hits at 0 and 2
    ASSERT_TRUE(WriteFile(root + "/b.ini", {0x41, 0x41, 0x42}));             // 41 42 at 1
    ASSERT_TRUE(WriteFile(root + "/c.txt", {0x34, 0x12, 0x00, 0x34, 0x12}));  // 34 12 at 0 and 3
    ASSERT_TRUE(QDir(root).mkdir("tools"));
    ASSERT_TRUE(WriteFile(root + "/tools/d.dat", {0x41, 0x41}));
    ASSERT_TRUE(QDir(root).mkdir("sub.dat"));
    ASSERT_TRUE(WriteFile(root + "/sub.dat/e.dat", {0x00, 0x41, 0x41}));

    // Non-overlapping hits; the digits are a number, least significant byte first.
    Outcome o = Search(root, "4141", "*.dat", false);
    EXPECT_EQ(o.lines, (QStringList{root + "/a.dat", "00000000", "00000002", "", QStringLiteral("全 2件")}));
    o = Search(root, "1234", "*.txt", false);
    EXPECT_EQ(o.lines, (QStringList{root + "/c.txt", "00000000", "00000003", "", QStringLiteral("全 2件")}));
    o = Search(root, "4142", "*.*", false, true);
    EXPECT_EQ(o.lines, (QStringList{root + "/b.ini", "00000001", "", QStringLiteral("全 1件")}));

    // Subfolders are entered only when their names match the part: "tools" is not, "sub.dat" is.
    o = Search(root, "4141", "*.dat", true);
    EXPECT_EQ(o.lines, (QStringList{root + "/a.dat", "00000000", "00000002", "", root + "/sub.dat/e.dat", "00000001", "",
                                    QStringLiteral("全 3件")}));
    // Each part is a scan of its own: a file matching both is reported twice.
    o = Search(root, "41", "*.dat;a.*", false);
    EXPECT_EQ(o.result.hits, 8u);
    EXPECT_EQ(o.lines.count(root + "/a.dat"), 2);
    // A trailing ";" scans an empty part, which finds nothing.
    EXPECT_EQ(Search(root, "41", "*.ini;", false).result.hits, 2u);
    // A missing folder gives only the total line.
    EXPECT_EQ(Search(root + "/none", "41", "*.*", true).lines, QStringList{QStringLiteral("全 0件")});
}

TEST(FolderSearchTest, LinksSpecialFilesLargeFilesAndStop)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    ASSERT_TRUE(QDir(root).mkpath("loop/inner"));
    ASSERT_TRUE(WriteFile(root + "/loop/inner/x.bin", {0x7E}));
    // A link back to the top: the walk must still end, reading each folder once.
    ASSERT_EQ(::symlink(QFile::encodeName(root).constData(), QFile::encodeName(root + "/loop/inner/back").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(root + "/dangling").constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600), 0);
    // A sparse file of 4 GiB is skipped without being read.
    {
        QFile big(root + "/big.bin");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(qint64(1) << 32));
    }
    Outcome o = Search(root, "7E", "*", true);
    EXPECT_EQ(o.result.hits, 1u);
    EXPECT_TRUE(o.failures.isEmpty());
    EXPECT_EQ(o.lines.front(), root + "/loop/inner/x.bin");

    // A file that cannot be opened is reported and the search goes on.
    ASSERT_TRUE(WriteFile(root + "/secret.bin", {0x7E}));
    ::chmod(QFile::encodeName(root + "/secret.bin").constData(), 0);
    {
        PermissionBitsApply asUser;
        if (asUser.Active()) {
            o = Search(root, "7E", "*.bin", false);
            EXPECT_EQ(o.failures, QStringList{root + "/secret.bin"});
            EXPECT_EQ(o.result.hits, 0u);
        }
    }

    // A stop before the start: only the total line.
    FolderSearchRequest request;
    request.folder = root;
    request.fileTypes = "*";
    request.subfolders = true;
    request.pattern = *BuildFolderSearchPattern("7E", false);
    std::atomic<bool> stop{true};
    QStringList lines;
    FolderSearchSink sink;
    sink.lines = [&](QStringList&& l) { lines += l; };
    EXPECT_TRUE(RunFolderSearch(request, stop, sink).stopped);
    EXPECT_EQ(lines, QStringList{QStringLiteral("全 0件")});
}
