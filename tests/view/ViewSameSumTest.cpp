// Same search and SUM through the view: groups in the drop-down, group lists, the jump, the stop;
// every SUM method against values computed outside the program (Python's hashlib and zlib).
#include "SearchViewFixture.h"

#include "panes/OutputLineRules.h"
#include "search/SameSearch.h"
#include "search/SumCalculator.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QThread>

namespace {

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

TEST(ViewSameSearch, GroupsListsJumpAndRefresh)
{
    SearchViewFixture f(Hex("414241424142"));
    SameSearchRequest request{2, 0, 6, 50};
    std::atomic<bool> idle{false};
    um::SameSearch::Send(f.view, &request, &idle);
    EXPECT_EQ(ActiveList(f.pane), COutputWnd::ListSame);
    f.WaitWorkers();
    EXPECT_TRUE(idle.load());
    EXPECT_EQ(SameGroups(f.pane), QStringList({"41 42 ", "42 41 ", "2グループ"}));

    um::SameGroup::Send(f.view, 0);
    EXPECT_EQ(f.Lines(COutputWnd::ListSame),
              QStringList({"00000000-00000000", "00000000-00000002", "00000000-00000004", "", "3件"}));
    f.pane->ClearList(COutputWnd::ListSame);
    um::SameGroup::Send(f.view, 2); // the last entry lists every group with its key
    EXPECT_EQ(f.Lines(COutputWnd::ListSame),
              QStringList({"00000000-00000000  41 42 ", "00000000-00000002  41 42 ", "00000000-00000004  41 42 ",
                           "00000000-00000001  42 41 ", "00000000-00000003  42 41 ", "", "5件"}));
    um::SameGroup::Send(f.view, 3); // past the entries: nothing
    EXPECT_EQ(f.pane->LineCount(COutputWnd::ListSame), 7);

    // A double click hands over the address text; the highlight is the sequence length.
    f.DoubleClickLine(COutputWnd::ListSame, 4); // "00000000-00000003  42 41 "
    EXPECT_EQ(f.view->Cursor(), 3u);
    EXPECT_EQ(f.view->FindPos(), 3u);
    EXPECT_EQ(f.view->FindLen(), 2u);

    // The refresh icon fills the drop-down again from the view's groups.
    f.pane->ClearSameGroups();
    um::SameRefresh::Send(f.view);
    EXPECT_EQ(SameGroups(f.pane), QStringList({"41 42 ", "42 41 ", "2グループ"}));
}

TEST(ViewSameSearch, StopDuringARunAndRangeChecks)
{
    // Random bytes: a long run over 16 MB of windows, stopped at once by a second 同一検索.
    SearchViewFixture f(TempFiles::Random(16 * 1024 * 1024, 7));
    SameSearchRequest request{4, 0, 16 * 1024 * 1024, 50};
    std::atomic<bool> idle{false};
    um::SameSearch::Send(f.view, &request, &idle);
    ASSERT_TRUE(f.view->IsSearchWorkerRunning());
    um::SameSearch::Send(f.view, nullptr, nullptr);
    EXPECT_FALSE(f.view->IsSearchWorkerRunning());
    EXPECT_TRUE(idle.load());
    const QStringList groups = SameGroups(f.pane);
    ASSERT_FALSE(groups.isEmpty());
    EXPECT_TRUE(groups.last().endsWith(QStringLiteral("グループ")));
    EXPECT_EQ(f.Lines(COutputWnd::ListSame).value(0), QStringLiteral("検索を中止しました。"));

    // A length of 0 starts nothing.
    SameSearchRequest none{0, 0, 16, 50};
    idle = false;
    um::SameSearch::Send(f.view, &none, &idle);
    EXPECT_FALSE(f.view->IsSearchWorkerRunning());
    EXPECT_TRUE(idle.load());
    EXPECT_EQ(SameGroups(f.pane), groups);
}

TEST(ViewSameSearch, GroupsArriveWhileItRunsAndStayAfterAStop)
{
    // Two-byte sequences over random bytes: every value occurs, the groups come in blocks.
    const QByteArray bytes = TempFiles::Random(4 * 1024 * 1024, 11);
    SearchViewFixture f(bytes);
    SameSearchRequest request{2, 0, static_cast<uint64_t>(bytes.size()), 3};
    std::atomic<bool> idle{false};
    um::SameSearch::Send(f.view, &request, &idle);
    // Wait for the first groups in the drop-down, then stop.
    QElapsedTimer waited;
    waited.start();
    while (f.pane->SameGroupCount() == 0 && f.view->IsSearchWorkerRunning() && waited.elapsed() < 120000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    const bool stoppedMidRun = f.view->IsSearchWorkerRunning();
    um::SameSearch::Send(f.view, nullptr, nullptr);
    EXPECT_FALSE(f.view->IsSearchWorkerRunning());
    EXPECT_TRUE(idle.load());
    const QStringList entries = SameGroups(f.pane);
    ASSERT_GE(entries.size(), 2);
    EXPECT_EQ(entries.last(), SameSearchGroupCountEntry(entries.size() - 1));
    if (stoppedMidRun) {
        EXPECT_EQ(f.Lines(COutputWnd::ListSame).value(0), QStringLiteral("検索を中止しました。"));
    }

    // What was kept is right: each kept group is the group a whole run finds.
    MemoryByteSource src(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    std::atomic<bool> stop{false};
    const SameSearchResult whole = RunSameSearch(src, request, stop);
    QHash<QString, std::vector<uint64_t>> byKey;
    for (const SAMESEARCHLIST& g : whole.groups)
        byKey.insert(g.key, g.addresses);
    for (int i = 0; i + 1 < entries.size(); ++i) {
        ASSERT_TRUE(byKey.contains(entries[i])) << entries[i].toStdString();
        f.pane->ClearList(COutputWnd::ListSame);
        um::SameGroup::Send(f.view, i);
        const QStringList lines = f.Lines(COutputWnd::ListSame);
        ASSERT_EQ(static_cast<size_t>(lines.size()), byKey[entries[i]].size() + 2);
        EXPECT_EQ(OutputLineRules::SameJumpText(lines[0]).toULongLong(nullptr, 16), byKey[entries[i]][0]);
    }
}

TEST(ViewSum, EveryMethodAgainstOutsideValues)
{
    SearchViewFixture f(Hex("0102030405"));
    auto run = [&](SumMethod method, uint64_t start = 0, uint64_t end = 4, uint64_t initial = 0) {
        f.pane->ClearList(COutputWnd::ListSum);
        SumRequest r{start, end, initial};
        um::Sum::Send(f.view, &r, static_cast<int>(method));
        return f.Lines(COutputWnd::ListSum);
    };
    EXPECT_EQ(run(SumMethod::Add),
              QStringList({"----- 加算 -----", "初期値  0 --- 計算範囲  0 - 4", "読み込み幅1Byte  0000000F",
                           "読み込み幅2Byte  00000609", "読み込み幅4Byte  04030206", ""}));
    EXPECT_EQ(ActiveList(f.pane), COutputWnd::ListSum);
    const QStringList sub = run(SumMethod::Subtract);
    EXPECT_EQ(sub.mid(2, 3), QStringList({"読み込み幅1Byte  FFFFFFF1", "読み込み幅2Byte  FFFFF9F7", "読み込み幅4Byte  FBFCFDFA"}));
    const QStringList x = run(SumMethod::Xor);
    EXPECT_EQ(x.mid(2, 3), QStringList({"読み込み幅1Byte  00000001", "読み込み幅2Byte  00000607", "読み込み幅4Byte  04030204"}));
    EXPECT_EQ(run(SumMethod::Crc32), QStringList({"----- CRC32 -----", "計算範囲  0 - 4", "470B99F4", ""}));
    EXPECT_EQ(run(SumMethod::Md5).value(2), QStringLiteral("7CFDD07889B3295D6A550914AB35E068"));
    EXPECT_EQ(run(SumMethod::Sha256).value(2), QStringLiteral("74F81FE167D99B4CB41D6D0CCDA82278CAEE9F3E2F25D5E5A3936FF3DCEC60D0"));
    EXPECT_EQ(run(SumMethod::Sha384).value(2),
              QStringLiteral("D88875DB0F77AAD8F3D994FE68CD1CC7EC3A4FF14378B7FEB991E54784850192145854C36E5A40A0C2E80DA2002D7CC8"));
    EXPECT_EQ(run(SumMethod::Sha512).value(2),
              QStringLiteral("50540BC4AE31875FCEB3829434C55E3C2B66DDD7227A883A3B4CC8F6CDA965AD1712B3EE0008F9CEE08DA93F5234C1A7BF0E2570EF56D65280FFEA691B953EFE"));
    // An end past the document is shown as its last address.
    EXPECT_EQ(run(SumMethod::Crc32, 0, 0xFFFFFFFFFFull).value(1), QStringLiteral("計算範囲  0 - 4"));
}

TEST(ViewSum, LargeRangesRunOnAWorker)
{
    QByteArray big(9 * 1024 * 1024 + 3, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    SearchViewFixture f(big);
    SumRequest r{0, ~uint64_t(0) >> 1, 0};
    um::Sum::Send(f.view, &r, static_cast<int>(SumMethod::Sha256));
    f.WaitWorkers();
    EXPECT_EQ(f.Lines(COutputWnd::ListSum).value(2),
              QStringLiteral("C2F45B16AE1E75156A822B0761C75B28AF7B08EB463B736307ACA7B9C90A0A18"));
    SumRequest tail{5, ~uint64_t(0) >> 1, 0};
    um::Sum::Send(f.view, &tail, static_cast<int>(SumMethod::Md5));
    f.WaitWorkers();
    EXPECT_EQ(f.Lines(COutputWnd::ListSum).value(6), QStringLiteral("89DAB3E502CFF496DFAD58E8F58A35EA"));
    SumRequest crc{0, ~uint64_t(0) >> 1, 0};
    um::Sum::Send(f.view, &crc, static_cast<int>(SumMethod::Crc32));
    // An edit while it runs stops it; nothing half-computed is shown.
    f.view->setFocus();
    um::SetCursor::Send(f.view, nullptr, false);
    f.view->TypeInput(0xA);
    f.WaitWorkers();
    const QStringList lines = f.Lines(COutputWnd::ListSum);
    EXPECT_TRUE(lines.size() == 8 || lines.value(10) == QStringLiteral("283000EC")) << lines.join('|').toStdString();
}
