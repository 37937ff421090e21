// Comparing two windows through the main frame: the dialog, colours, 次へ/前へ, the end of a pair,
// and synchronised scrolling of windows laid side by side.
#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "document/QuorvaneDoc.h"
#include "search/DiffSelDlg.h"
#include "view/MyScrollBar.h"
#include "view/QuorvaneView.h"
#include "view/SyncScroll.h"

#include "ModalDialog.h"
#include "FrameTest.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMdiArea>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>
#include <QScopeGuard>
#include <chrono>
#include <functional>
#include <thread>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kTextBk = 0xFFFFFF;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kDiffpBk = 0xFF00FF; // magenta: the own byte is greater
constexpr uint32_t kDiffpTxt = 0x0000FF;
constexpr uint32_t kDiffmBk = 0xFFFF00; // cyan: the own byte is smaller
constexpr uint32_t kDiffmTxt = 0x008000;

QRgb Rgb(uint32_t c)
{
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

double Share(const QImage& image, const QRect& r, uint32_t c)
{
    int hits = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x, ++all)
            hits += (image.pixel(x, y) & 0xFFFFFF) == (Rgb(c) & 0xFFFFFF);
    return all ? double(hits) / all : 0.0;
}

int Count(const QImage& image, const QRect& r, uint32_t c)
{
    int hits = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            hits += (image.pixel(x, y) & 0xFFFFFF) == (Rgb(c) & 0xFFFFFF);
    return hits;
}

class CompareTest : public FrameTest
{
protected:

    void SetUp() override
    {
        const QString g = QStringLiteral("*.*");
        settings->WriteDefaultGroup();
        settings->SetGroupFontName(g, QStringLiteral("DejaVu Sans Mono"));
        settings->SetGroupSetting(SettingId::FontSize, 12, g);
        settings->SetGroupSetting(SettingId::Color_TextBk, kTextBk, g);
        settings->SetGroupSetting(SettingId::Color_Text, kText, g);
        settings->SetGroupSetting(SettingId::Color_DiffpBk, kDiffpBk, g);
        settings->SetGroupSetting(SettingId::Color_DiffpTxt, kDiffpTxt, g);
        settings->SetGroupSetting(SettingId::Color_DiffmBk, kDiffmBk, g);
        settings->SetGroupSetting(SettingId::Color_DiffmTxt, kDiffmTxt, g);
        ShowFrame({1200, 700});
    }
    void TearDown() override
    {
        g_syncScroll = false;
        FrameTest::TearDown();
    }

    CChildFrame* Open(const QString& name, const QByteArray& bytes, bool direct = false)
    {
        return frame->OpenDocumentFile(files.Write(name, bytes), direct);
    }

    // Runs 別ウィンドウと比較 and, while its dialog is open, lets `act` work on it.
    void RunCompareDialog(const std::function<void(CDiffSelDlg*)>& act)
    {
        EXPECT_TRUE(WhileModal<CDiffSelDlg>([&] { frame->ExecuteCommand(ID_DIFF_START); }, act));
    }

    // Chooses the candidate line `row` in the dialog.
    void CompareWith(int row)
    {
        RunCompareDialog([row](CDiffSelDlg* dlg) {
            dlg->List()->setCurrentRow(row);
            dlg->CompareButton()->click();
        });
    }

    static QImage Paint(CQuorvaneView* view)
    {
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        QPainter p(&image);
        view->PaintView(p, image.size());
        return image;
    }
    // The hex text of byte `column` of screen row 0 with its "+"/"-" mark.
    static QRect Cell(CQuorvaneView* view, int column, int chars = 3)
    {
        const CViewLayout& L = view->Layout();
        return QRect(L.HexCellX(column), L.TextY(0), chars * L.m_charWidth, L.m_lineHeight);
    }
};

void SendWheel(QWidget* w, int delta)
{
    const QPoint pos(50, 50);
    QWheelEvent e(QPointF(pos), QPointF(w->mapToGlobal(pos)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST_F(CompareTest, DialogPairsTwoDocumentsWhichPaintTheirDifferencesAndStepThroughThem)
{
    CChildFrame* a = Open("a.bin", QByteArray("\x00\x11\x22\x33", 4));
    CChildFrame* b = Open("b.bin", QByteArray("\x00\x10\x20\x33", 4));
    CQuorvaneView* va = a->GetActiveView();
    CQuorvaneView* vb = b->GetActiveView();
    EXPECT_FALSE(frame->CommandState(ID_DIFF_END).enabled);
    EXPECT_FALSE(frame->CommandState(ID_DIFF_NEXT).enabled);

    // The dialog lists the other window by its path; 比較 without a chosen line keeps it open.
    RunCompareDialog([&](CDiffSelDlg* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "比較ウィンドウ選択");
        ASSERT_EQ(dlg->List()->count(), 1);
        EXPECT_EQ(dlg->List()->item(0)->text(), QDir::toNativeSeparators(a->GetDocument()->PathName()));
        dlg->CompareButton()->click();
        EXPECT_TRUE(dlg->isVisible());
        dlg->List()->setCurrentRow(0);
        dlg->CompareButton()->click();
        EXPECT_FALSE(dlg->isVisible());
    });
    ASSERT_TRUE(frame->IsComparing());
    EXPECT_EQ(frame->DiffLeft(), a->GetDocument());
    EXPECT_EQ(frame->DiffRight(), b->GetDocument());
    EXPECT_TRUE(frame->CommandState(ID_DIFF_END).enabled);

    // 11 over 10 is "11+" in the plus colours in a, and "10-" in the minus colours in b; equal
    // bytes keep the plain colours.
    const QImage ia = Paint(va);
    EXPECT_GT(Share(ia, Cell(va, 1), kDiffpBk), 0.4);
    EXPECT_GT(Count(ia, Cell(va, 1), kDiffpTxt), 0);
    EXPECT_GT(Share(ia, Cell(va, 0, 2), kTextBk), 0.5);
    EXPECT_GT(Share(ia, Cell(va, 3, 2), kTextBk), 0.5);
    const QImage before = Paint(vb);
    EXPECT_GT(Share(before, Cell(vb, 1), kDiffmBk), 0.4);
    EXPECT_GT(Share(before, Cell(vb, 2), kDiffmBk), 0.4);

    // 次へ from 0 marks 1..2 (drawn bold: more text pixels) and puts the cursor on 1.
    ASSERT_EQ(frame->ActiveView(), vb);
    EXPECT_TRUE(frame->CommandState(ID_DIFF_NEXT).enabled);
    EXPECT_TRUE(frame->ExecuteCommand(ID_DIFF_NEXT));
    EXPECT_EQ(vb->Cursor(), 1u);
    EXPECT_EQ(vb->DiffMarkStart(), 1u);
    EXPECT_EQ(vb->DiffMarkEnd(), 2u);
    const QImage marked = Paint(vb);
    EXPECT_GT(Count(marked, Cell(vb, 2), kDiffmTxt), Count(before, Cell(vb, 2), kDiffmTxt));
    // A second 次へ finds nothing and leaves the cursor on the mark's end; 前へ from inside the
    // mark finds nothing before 1.
    frame->ExecuteCommand(ID_DIFF_NEXT);
    EXPECT_EQ(vb->Cursor(), 2u);
    EXPECT_EQ(vb->DiffMarkStart(), 1u);
    frame->ExecuteCommand(ID_DIFF_PREV);
    EXPECT_EQ(vb->Cursor(), 2u);
    EXPECT_EQ(vb->DiffMarkEnd(), 2u);

    // 比較解除: no partner, no colours, no steps.
    EXPECT_TRUE(frame->ExecuteCommand(ID_DIFF_END));
    EXPECT_FALSE(frame->IsComparing());
    EXPECT_EQ(a->GetDocument()->DiffPartner(), nullptr);
    EXPECT_EQ(b->GetDocument()->DiffPartner(), nullptr);
    EXPECT_LT(Share(Paint(va), Cell(va, 1), kDiffpBk), 0.01);
    EXPECT_FALSE(frame->CommandState(ID_DIFF_NEXT).enabled);
    EXPECT_EQ(vb->DiffMarkStart(), CQuorvaneView::kNone);

    // キャンセル starts nothing.
    RunCompareDialog([](CDiffSelDlg* dlg) { dlg->reject(); });
    EXPECT_FALSE(frame->IsComparing());
}

TEST_F(CompareTest, ComparedLengthIsTheShorterAndRunsAtItsEdgesAreFound)
{
    // Ten bytes against four: differences at 0 and at 3, the last compared address.
    CChildFrame* longer = Open("long.bin", QByteArray("\xFF\x00\x00\x01\x55\x55\x55\x55\x55\x55", 10));
    Open("short.bin", QByteArray("\x00\x00\x00\x00", 4));
    frame->MdiArea()->setActiveSubWindow(longer);
    CompareWith(0);
    ASSERT_TRUE(frame->IsComparing());
    CQuorvaneView* v = longer->GetActiveView();
    ASSERT_EQ(frame->ActiveView(), v);

    const QImage img = Paint(v);
    EXPECT_GT(Share(img, Cell(v, 0), kDiffpBk), 0.4);
    EXPECT_GT(Share(img, Cell(v, 3), kDiffpBk), 0.4);
    for (int j = 4; j < 10; ++j)
        EXPECT_LT(Share(img, Cell(v, j), kDiffpBk) + Share(img, Cell(v, j), kDiffmBk), 0.01) << j;

    // From the end of the file 前へ starts at the partner's length: the run at 3, then the one at 0.
    frame->ExecuteCommand(ID_JUMP_END);
    EXPECT_EQ(v->Cursor(), 10u);
    frame->ExecuteCommand(ID_DIFF_PREV);
    EXPECT_EQ(v->Cursor(), 3u);
    EXPECT_EQ(v->DiffMarkEnd(), 3u);
    frame->ExecuteCommand(ID_DIFF_PREV);
    EXPECT_EQ(v->Cursor(), 0u);
    EXPECT_EQ(v->DiffMarkStart(), 0u);
    EXPECT_EQ(v->DiffMarkEnd(), 0u);
    // 次へ from the mark at 0 reaches the run at the last compared address, then nothing more.
    frame->ExecuteCommand(ID_DIFF_NEXT);
    EXPECT_EQ(v->Cursor(), 3u);
    EXPECT_EQ(v->DiffMarkEnd(), 3u);
    EXPECT_FALSE(v->DiffNext());
    EXPECT_EQ(v->Cursor(), 3u);
}

TEST_F(CompareTest, StepsWaitForBothLoaders)
{
    // Two files of 3 MB that differ only past the first megabyte, whose loaders are held back:
    // 次へ must see the loaded bytes, not 00 on both sides.
    QByteArray a(3 * 1024 * 1024, '\x11');
    QByteArray b = a;
    b[0x200000] = '\x22';
    std::atomic<bool> release{false};
    CQuorvaneDoc::s_loaderStartHook = [&release](const QString&) {
        while (!release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    std::thread releaser;
    const auto cleanup = qScopeGuard([&] {
        release.store(true);
        if (releaser.joinable())
            releaser.join();
        CQuorvaneDoc::s_loaderStartHook = nullptr;
    });
    CChildFrame* first = Open("a.bin", a);
    Open("b.bin", b);
    frame->MdiArea()->setActiveSubWindow(first);
    CompareWith(0);
    ASSERT_TRUE(frame->IsComparing());
    CQuorvaneView* v = first->GetActiveView();
    ASSERT_TRUE(v->GetDocument()->IsLoading());
    // The loaders go on a moment later, while the step waits for them.
    releaser = std::thread([&release] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        release.store(true);
    });
    frame->ExecuteCommand(ID_DIFF_NEXT);
    EXPECT_EQ(v->Cursor(), 0x200000u);
    EXPECT_EQ(v->DiffMarkStart(), 0x200000u);
    EXPECT_EQ(v->DiffMarkEnd(), 0x200000u);
}

TEST_F(CompareTest, PairEndsWithItsWindowAndNeverOutlivesADocument)
{
    CChildFrame* a = Open("a.bin", QByteArray("abcd"));
    CChildFrame* b = Open("b.bin", QByteArray("abXd"));
    CChildFrame* c = Open("c.bin", QByteArray("Abcd"));
    CQuorvaneDoc* da = a->GetDocument();
    CQuorvaneDoc* db = b->GetDocument();
    CQuorvaneDoc* dc = c->GetDocument();

    // Lines in tab order without the active window (c).
    frame->MdiArea()->setActiveSubWindow(c);
    ASSERT_EQ(frame->CompareCandidates(), (QList<CChildFrame*>{a, b}));
    // c with a, then c with b: the first pair ends completely.
    CompareWith(0);
    EXPECT_EQ(da->DiffPartner(), dc);
    CompareWith(1);
    EXPECT_EQ(dc->DiffPartner(), db);
    EXPECT_EQ(db->DiffPartner(), dc);
    EXPECT_EQ(da->DiffPartner(), nullptr);

    // Another window of the active document chosen: no comparison at all.
    frame->MdiArea()->setActiveSubWindow(a);
    CChildFrame* a2 = frame->NewWindow();
    ASSERT_EQ(frame->ActiveChild(), a2);
    const int own = static_cast<int>(frame->CompareCandidates().indexOf(a));
    ASSERT_GE(own, 0);
    CompareWith(own);
    EXPECT_FALSE(frame->IsComparing());
    EXPECT_EQ(db->DiffPartner(), nullptr);
    EXPECT_EQ(dc->DiffPartner(), nullptr);

    // a with b, then b's window closes: the pair ends and a has no partner left.
    frame->MdiArea()->setActiveSubWindow(a);
    CompareWith(static_cast<int>(frame->CompareCandidates().indexOf(b)));
    ASSERT_EQ(da->DiffPartner(), db);
    b->close();
    Flush();
    EXPECT_FALSE(frame->IsComparing());
    EXPECT_EQ(da->DiffPartner(), nullptr);
    EXPECT_FALSE(frame->CommandState(ID_DIFF_END).enabled);
}

TEST_F(CompareTest, PartnerOnDiskIsReadFromItsFileAndAVanishedFileIsReportedOnce)
{
    CChildFrame* a = Open("a.bin", QByteArray(64, '\x10'));
    QByteArray other(64, '\x10');
    other[40] = '\x20';
    other[41] = '\x05';
    CChildFrame* direct = Open("direct.bin", other, true);
    ASSERT_TRUE(direct->GetDocument()->IsDirectEdit());
    frame->MdiArea()->setActiveSubWindow(a);
    CompareWith(0);
    ASSERT_TRUE(frame->IsComparing());
    CQuorvaneView* v = a->GetActiveView();

    EXPECT_TRUE(v->DiffNext());
    EXPECT_EQ(v->Cursor(), 40u);
    EXPECT_EQ(v->DiffMarkEnd(), 41u);
    const QImage img = Paint(v);
    const CViewLayout& L = v->Layout();
    const QRect row2(L.HexCellX(8), L.TextY(2), 3 * L.m_charWidth, L.m_lineHeight);
    const QRect row2b(L.HexCellX(9), L.TextY(2), 3 * L.m_charWidth, L.m_lineHeight);
    EXPECT_GT(Share(img, row2, kDiffmBk), 0.4); // 10 under 20
    EXPECT_GT(Share(img, row2b, kDiffpBk), 0.4); // 10 over 05

    // The partner's file goes away: one error box, the comparison ends, repaints stay quiet.
    ASSERT_TRUE(QFile::remove(direct->GetDocument()->PathName()));
    prompter.asked.clear();
    for (int i = 0; i < 3; ++i) {
        v->viewport()->repaint();
        QApplication::processEvents();
    }
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "エラー");
    EXPECT_FALSE(frame->IsComparing());
    EXPECT_EQ(a->GetDocument()->DiffPartner(), nullptr);
}

TEST_F(CompareTest, WindowsSideBySideFollowTheScrolledOneWhenSynchronised)
{
    QByteArray bytes(16 * 600, '\x01');
    CChildFrame* a = Open("a.bin", bytes);
    CChildFrame* b = Open("b.bin", bytes, true); // the follower re-reads its rows from disk
    CChildFrame* c = Open("c.bin", QByteArray(16 * 2, '\x02')); // too short to follow
    CQuorvaneView* va = a->GetActiveView();
    CQuorvaneView* vb = b->GetActiveView();
    CQuorvaneView* vc = c->GetActiveView();

    // As tabs only the current window is on screen: nobody follows.
    g_syncScroll = true;
    frame->MdiArea()->setActiveSubWindow(a);
    SendWheel(va->viewport(), -360);
    EXPECT_EQ(va->TopRow(), 3u);
    EXPECT_EQ(vb->TopRow(), 0u);

    // Side by side every window is on screen and follows, within its own length.
    ASSERT_TRUE(frame->ExecuteCommand(ID_WINDOW_TILE_VERT));
    Flush();
    EXPECT_EQ(frame->CurrentWindowLayout(), CMainFrame::WindowLayout::SideBySide);
    EXPECT_TRUE(frame->CommandState(ID_WINDOW_TILE_VERT).checked);
    EXPECT_LT(a->geometry().right(), b->geometry().left());
    EXPECT_LT(b->geometry().right(), c->geometry().left());
    SendWheel(va->viewport(), -360);
    EXPECT_EQ(va->TopRow(), 6u);
    EXPECT_EQ(vb->TopRow(), 6u);
    EXPECT_EQ(b->GetDocument()->WindowFirstRow(), 6u);
    EXPECT_EQ(vc->TopRow(), 0u);
    // Scrolling the follower moves the first one back; the short one still stays.
    vb->ScrollToRow(4);
    EXPECT_EQ(va->TopRow(), 4u);
    EXPECT_EQ(vc->TopRow(), 0u);

    // Off: nobody follows.
    g_syncScroll = false;
    SendWheel(va->viewport(), -120);
    EXPECT_EQ(vb->TopRow(), 4u);

    // Back to tabs: every window fills the area again.
    frame->ExecuteCommand(ID_WINDOW_TABS);
    EXPECT_EQ(frame->MdiArea()->viewMode(), QMdiArea::TabbedView);
}
