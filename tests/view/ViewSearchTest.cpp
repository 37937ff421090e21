// Searching through the view: new search, steps, wrap-around, the listing, the jump, the hit
// highlight, direct edit mode, and the listing's life beside edits, reloads and other views.
#include "SearchViewFixture.h"

#include "search/PatternScanner.h"

#include <QImage>
#include <QTest>

namespace {

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// The hits of `hex` in the document's bytes now, by the engine.
std::vector<uint64_t> EngineHits(CQuorvaneDoc& doc, const QString& hex)
{
    const SearchPattern p = *SearchPattern::FromHexText(hex, true);
    std::vector<uint64_t> hits;
    auto source = doc.OpenSource();
    PatternScanner(p).ForEachHit(*source, 0, true, nullptr, [&](uint64_t a, const uint8_t*) {
        hits.push_back(a);
        return true;
    });
    return hits;
}

} // namespace

TEST(ViewSearch, NewSearchStepsListsAndJumps)
{
    SearchViewFixture f(Hex("AAAAAAAA0012AAAA"));
    f.SetCursor(1);
    // A new search finds the hit at the cursor itself, highlights it and lists every hit.
    f.NewSearch(QStringLiteral("AAAA"));
    EXPECT_EQ(f.view->Cursor(), 1u);
    EXPECT_EQ(f.view->FindPos(), 1u);
    EXPECT_EQ(f.view->FindLen(), 2u);
    EXPECT_EQ(ActiveList(f.pane), COutputWnd::ListSearch);
    f.WaitWorkers();
    EXPECT_EQ(f.Lines(COutputWnd::ListSearch),
              QStringList({"00000000  AAAA", "00000001  AAAA", "00000002  AAAA", "00000006  AAAA", "",
                           "検索結果　4件"}));
    EXPECT_EQ(f.view->SearchHits(), (std::vector<uint64_t>{0, 1, 2, 6}));

    // 次へ, 前へ, 検索 again (moves on), wrap-around to the first hit.
    f.Next();
    EXPECT_EQ(f.view->Cursor(), 2u);
    f.Next();
    EXPECT_EQ(f.view->Cursor(), 6u);
    f.Next(); // nothing after the last hit: a step does not wrap
    EXPECT_EQ(f.view->Cursor(), 6u);
    f.Prev();
    EXPECT_EQ(f.view->Cursor(), 2u); // in memory a backward hit lies wholly before the cursor
    f.Again();
    EXPECT_EQ(f.view->Cursor(), 6u);
    f.Again();
    EXPECT_EQ(f.view->Cursor(), 0u) << "検索 past the last hit wraps to address 0";
    EXPECT_EQ(f.view->SelStart(), CQuorvaneView::kNone);

    // Double clicks on the list: a hit line jumps, the summary and the empty line do nothing.
    f.DoubleClickLine(COutputWnd::ListSearch, 3);
    EXPECT_EQ(f.view->Cursor(), 6u);
    EXPECT_EQ(f.view->FindPos(), 6u);
    f.DoubleClickLine(COutputWnd::ListSearch, 5);
    f.DoubleClickLine(COutputWnd::ListSearch, 4);
    um::JumpResult::Send(f.view, qint64(-1));
    EXPECT_EQ(f.view->Cursor(), 6u);

    // The hit is painted in the find colours (検索 background, 0x00BBGGRR 0xC88CFF).
    f.view->OnActivateView(false); // no caret over the cell
    QApplication::processEvents();
    const QImage shot = f.view->viewport()->grab().toImage();
    const CViewLayout& l = f.view->Layout();
    const QRgb find = qRgb(0xFF, 0x8C, 0xC8);
    auto cellHasFind = [&](int column) {
        for (int x = l.HexCellX(column); x < l.HexCellX(column) + l.m_hexCellWidth; ++x)
            for (int y = l.TextY(0); y < l.TextY(0) + l.m_lineHeight; ++y)
                if (shot.pixel(x, y) == find)
                    return true;
        return false;
    };
    EXPECT_TRUE(cellHasFind(6));
    EXPECT_TRUE(cellHasFind(7));
    EXPECT_FALSE(cellHasFind(5));
    EXPECT_FALSE(cellHasFind(0));

    // A reload's reset drops the hits and empties the list.
    f.view->OnActivateView(true);
    um::Reset::Send(f.view);
    EXPECT_TRUE(f.view->SearchHits().empty());
    EXPECT_EQ(f.pane->LineCount(COutputWnd::ListSearch), 0);
}

TEST(ViewSearch, NoHitEmptyDocumentAndStepsWithoutAListing)
{
    {
        SearchViewFixture f(Hex("0102030405"));
        f.SetCursor(3);
        f.NewSearch(QStringLiteral("FF"));
        EXPECT_EQ(f.view->Cursor(), 0u) << "a failed new search returns to the selection anchor";
        f.WaitWorkers();
        EXPECT_EQ(f.Lines(COutputWnd::ListSearch), QStringList({"", "検索結果　0件"}));
        // 次へ with an empty hit list is a new search from the cursor, the cursor's own hit included.
        f.SetCursor(3);
        f.pattern = *SearchPattern::FromHexText(QStringLiteral("04"), false);
        f.Next();
        EXPECT_EQ(f.view->Cursor(), 3u);
        f.WaitWorkers();
        EXPECT_EQ(f.view->SearchHits(), std::vector<uint64_t>{3});
        // 前へ at address 0 still finds a one-byte hit there.
        f.pattern = *SearchPattern::FromHexText(QStringLiteral("01"), false);
        f.NewSearch(QStringLiteral("01"));
        f.WaitWorkers();
        f.SetCursor(0);
        f.Prev();
        EXPECT_EQ(f.view->Cursor(), 0u);
        EXPECT_EQ(f.view->FindPos(), 0u);
    }
    {
        SearchViewFixture f{QByteArray()};
        f.NewSearch(QStringLiteral("00"));
        f.Next();
        f.Prev();
        EXPECT_EQ(f.view->Cursor(), 0u);
        f.WaitWorkers();
        EXPECT_TRUE(f.view->SearchHits().empty());
        EXPECT_TRUE(f.prompter.asked.empty());
    }
}

TEST(ViewSearch, DirectEditStepsAndAVanishedFile)
{
    QByteArray bytes(3 * 1024 * 1024, '\0');
    bytes.replace(5, 2, Hex("E703"));
    bytes.replace(2 * 1024 * 1024 + 1, 2, Hex("E703"));
    bytes.replace(bytes.size() - 2, 2, Hex("E703"));
    SearchViewFixture f(bytes, true);
    ASSERT_TRUE(f.doc.IsDirectEdit());
    f.NewSearch(QStringLiteral("03E7")); // reversed order: the bytes E7 03
    EXPECT_EQ(f.view->Cursor(), 5u);
    f.Next();
    EXPECT_EQ(f.view->Cursor(), 2u * 1024 * 1024 + 1);
    f.Next();
    EXPECT_EQ(f.view->Cursor(), uint64_t(bytes.size() - 2));
    f.WaitWorkers();
    EXPECT_EQ(f.view->SearchHits(), (std::vector<uint64_t>{5, 2 * 1024 * 1024 + 1, uint64_t(bytes.size() - 2)}));
    // On disk a backward hit may reach past the cursor: from 6 the hit at 5 is found.
    f.SetCursor(6);
    f.Prev();
    EXPECT_EQ(f.view->Cursor(), 5u);

    // The file vanishes: one error box, the cursor stays.
    ASSERT_TRUE(QFile::remove(f.path));
    f.prompter.asked.clear();
    f.Next();
    EXPECT_EQ(f.view->Cursor(), 5u);
    ASSERT_EQ(f.prompter.asked.size(), 1u) << f.prompter.asked.back().text.toStdString();
    EXPECT_EQ(f.prompter.asked[0].caption, QStringLiteral("エラー"));
}

// Typing into the document while its hits are being listed: every edit first stops and joins the
// listing, and the listing then starts again on the changed bytes (run under ThreadSanitizer in CI).
TEST(ViewSearch, TypingWhileAListingRuns)
{
    QByteArray bytes(24 * 1024 * 1024, '\x11');
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 64)
        bytes[i] = '\x5A';
    SearchViewFixture f(bytes);
    f.view->setFocus();
    f.NewSearch(QStringLiteral("5A11"), true);
    bool sawRunning = f.view->IsSearchWorkerRunning();
    // Overwrite two digits, switch to insert, type two more (the store grows and its gap moves).
    for (const char* keys : {"5A", "77"}) {
        QTest::keyClicks(f.view, QString::fromLatin1(keys));
        sawRunning = sawRunning || f.view->IsSearchWorkerRunning();
        QApplication::processEvents();
        QTest::keyClick(f.view, Qt::Key_Insert);
    }
    QTest::keyClick(f.view, Qt::Key_Delete);
    EXPECT_TRUE(sawRunning);
    f.WaitWorkers();
    const std::vector<uint64_t> expected = EngineHits(f.doc, QStringLiteral("5A11"));
    EXPECT_EQ(f.view->SearchHits(), expected);
    EXPECT_EQ(f.pane->LineCount(COutputWnd::ListSearch), static_cast<int>(expected.size()) + 2);
    EXPECT_EQ(f.pane->Line(COutputWnd::ListSearch, static_cast<int>(expected.size()) + 1),
              QStringLiteral("検索結果　%1件").arg(expected.size()));
}

TEST(ViewSearch, AnotherViewReListsItsOwnHitsAndClosingJoinsTheListing)
{
    SearchViewFixture f(Hex("00ABCD00ABCD"));
    f.NewSearch(QStringLiteral("CDAB"));
    f.WaitWorkers();
    ASSERT_EQ(f.pane->LineCount(COutputWnd::ListSearch), 4);

    // A second view of the same document, without hits of its own, empties the list when it becomes
    // active; the first one lists its hits again when it comes back.
    auto* second = new CQuorvaneView(&f.doc, f.frame.get());
    second->OnInitialUpdate();
    f.view->OnActivateView(false);
    second->OnActivateView(true);
    f.WaitWorkers();
    EXPECT_EQ(f.pane->LineCount(COutputWnd::ListSearch), 0);
    second->OnActivateView(false);
    f.view->OnActivateView(true);
    f.WaitWorkers();
    EXPECT_EQ(f.Lines(COutputWnd::ListSearch),
              QStringList({"00000001  ABCD", "00000004  ABCD", "", "検索結果　2件"}));

    // A view closed in the middle of a long listing stops and joins it.
    {
        QByteArray big(32 * 1024 * 1024, '\x01');
        SearchViewFixture g(big);
        g.NewSearch(QStringLiteral("01"));
        EXPECT_TRUE(g.view->IsSearchWorkerRunning());
        delete g.view; // must not hang nor leave a thread reading the store
        g.view = nullptr;
    }
    delete second;
}

TEST(ViewSearch, LongPatternsKeepTheirWholeLength)
{
    // A pattern of 300 bytes, twice in the document: listed, re-listed and highlighted whole.
    QByteArray pattern;
    for (int i = 0; i < 300; ++i)
        pattern.append(static_cast<char>(i * 7 + 1));
    SearchViewFixture f(QByteArray(5, '\0') + pattern + QByteArray(3, '\0') + pattern);
    f.NewSearch(QString::fromLatin1(pattern.toHex().toUpper()), true);
    f.WaitWorkers();
    const QString second = QStringLiteral("%1  ").arg(5 + 300 + 3, 8, 16, QLatin1Char('0')).toUpper()
                           + QString::fromLatin1(pattern.toHex().toUpper());
    ASSERT_EQ(f.pane->LineCount(COutputWnd::ListSearch), 4);
    EXPECT_EQ(f.Lines(COutputWnd::ListSearch).value(1), second);
    EXPECT_EQ(f.view->FindLen(), 300u);

    // Another view comes and goes: the re-list shows the same 300 bytes.
    auto* other = new CQuorvaneView(&f.doc, f.frame.get());
    other->OnInitialUpdate();
    f.view->OnActivateView(false);
    other->OnActivateView(true);
    f.WaitWorkers();
    other->OnActivateView(false);
    f.view->OnActivateView(true);
    f.WaitWorkers();
    EXPECT_EQ(f.Lines(COutputWnd::ListSearch).value(1), second);
    f.DoubleClickLine(COutputWnd::ListSearch, 1);
    EXPECT_EQ(f.view->Cursor(), 308u);
    EXPECT_EQ(f.view->FindLen(), 300u);
    delete other;
}
