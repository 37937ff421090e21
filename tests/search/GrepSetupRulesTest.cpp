// The folder search dialog's rules and the worker's hand-over of lines to the owning thread.
#include "search/FolderSearchJob.h"
#include "search/GrepSetupRules.h"

#include "TempFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace GrepSetupRules;

TEST(GrepSetupRules, NumberFieldsStoredChoicesAndHistory)
{
    EXPECT_EQ(DecimalForHex(""), QString());
    EXPECT_EQ(DecimalForHex("4241"), QString("16961"));
    EXPECT_EQ(DecimalForHex("FFFFFFFF"), QString("-1"));
    EXPECT_EQ(DecimalForHex("123456789"), QString("591751049")); // the low 32 bits: 23456789
    EXPECT_FALSE(DecimalForHex("1?").has_value());

    const QStringList choices = FileTypeChoices("*.* *.exe  *.dat;*.ini ");
    EXPECT_EQ(choices, (QStringList{"*.*", "*.exe", "*.dat;*.ini"}));
    EXPECT_FALSE(FileTypesToStore(choices, "*.EXE").has_value());
    EXPECT_EQ(FileTypesToStore(choices, "*.bin"), QString("*.* *.exe *.dat;*.ini *.bin"));

    EXPECT_EQ(HistoryAfterSearch({"/a", "/b"}, "/B"), (QStringList{"/a", "/b"}));
    EXPECT_EQ(HistoryAfterSearch({"/a", "/b"}, "/c"), (QStringList{"/c", "/a", "/b"}));
    EXPECT_EQ(HistoryWithFirst({"/a", "/b", "/c"}, 2), (QStringList{"/c", "/a", "/b"}));
    EXPECT_EQ(HistoryWithFirst({"/a"}, 5), QStringList{"/a"});
}

TEST(GrepSetupRules, ChecksAndThePatternOfTheRequest)
{
    Fields f;
    EXPECT_EQ(CheckFields(f, true), "検索対象のフォルダを指定してください。");
    f.folder = "/tmp";
    EXPECT_EQ(CheckFields(f, true), "検索するデータを入力してください。");
    f.hex = "?1"; // no 10進数 for it, and still a pattern
    EXPECT_EQ(CheckFields(f, true), QString());
    EXPECT_TRUE(CheckFields(f, false).startsWith("検索対象のフォルダが見つかりません。"));

    const auto entries = [](const Fields& fields) {
        const auto r = BuildRequest(fields);
        return r ? r->pattern.Entries() : std::vector<uint16_t>{0xFFFF};
    };
    EXPECT_EQ(entries(f), (std::vector<uint16_t>{0x1001})); // any byte whose low nibble is 1
    f.hex = "1234";
    EXPECT_EQ(entries(f), (std::vector<uint16_t>{0x34, 0x12}));
    f.text = "AB";
    f.codeName = "Shift-JIS";
    EXPECT_EQ(entries(f), (std::vector<uint16_t>{0x41, 0x42}));
    f.text = QStringLiteral("\x01"); // a control character: nothing in EBCDIC
    f.codeName = "EBCDIC";
    EXPECT_FALSE(BuildRequest(f).has_value());
    f.text.clear();
    f.folder = "/tmp/x/../y/";
    EXPECT_EQ(BuildRequest(f)->folder, "/tmp/y");
}

TEST(FolderSearchJob, LinesArriveInOrderOnTheOwningThreadAndAStopNeverHangs)
{
    TempFiles files;
    for (int i = 0; i < 3; ++i)
        files.Write(QStringLiteral("f%1.bin").arg(i), QByteArray(40, 'x'));
    FolderSearchRequest request;
    request.folder = files.dir.path();
    request.pattern = SearchPattern({uint16_t('x')});

    CFolderSearchJob job;
    QStringList lines;
    bool finished = false, onOwner = true;
    CFolderSearchJob::Handlers h;
    h.lines = [&](const QStringList& l) {
        onOwner = onOwner && QThread::currentThread() == job.thread();
        lines << l;
    };
    h.finished = [&](const FolderSearchResult& r) {
        finished = true;
        EXPECT_EQ(r.hits, 120u);
    };
    job.Start(request, h);
    QElapsedTimer t;
    t.start();
    while (!finished && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(finished);
    EXPECT_FALSE(job.IsRunning());
    EXPECT_TRUE(onOwner);
    EXPECT_EQ(lines.size(), 3 * (40 + 2) + 1);
    EXPECT_EQ(lines.first(), QDir(files.dir.path()).filePath("f0.bin"));
    EXPECT_EQ(lines.last(), "全 120件");

    // Many lines and nobody taking them: the worker waits, and a stop releases it at once.
    files.Write("big.bin", QByteArray(100000, 'x'));
    finished = false;
    job.Start(request, h);
    QThread::msleep(50);
    job.StopAndWait();
    EXPECT_FALSE(job.IsRunning());
    QCoreApplication::processEvents();
    EXPECT_FALSE(finished); // what the stopped run still handed over is dropped
}
