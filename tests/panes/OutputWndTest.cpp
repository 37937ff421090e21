// The output pane end to end: its tabs and lists, the hand-backs of a double click, the bookmark
// tab's editing and jumps, and the pane inside the main frame.
#include "panes/OutputWnd.h"

#include "app/ChildFrame.h"
#include "base/CommandIds.h"
#include "app/MainFrame.h"
#include "base/Messages.h"
#include "panes/OutputList.h"
#include "panes/OutputListCtrl.h"
#include "panes/ResultListModel.h"
#include "panes/SameListBox.h"
#include "view/QuorvaneView.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Stands for the active view: records the messages the pane sends it.
class RecordingView : public QWidget
{
public:
    QStringList log;

    bool event(QEvent* e) override
    {
        if (auto* m = um::Cast<um::JumpResult>(e)) {
            log << (m->IsIndex() ? QStringLiteral("jump %1").arg(m->index) : QStringLiteral("jumptext %1").arg(*m->text));
            return true;
        }
        if (auto* m = um::Cast<um::SameGroup>(e)) {
            log << QStringLiteral("group %1").arg(m->wParam);
            return true;
        }
        if (um::Cast<um::SameRefresh>(e)) {
            log << QStringLiteral("refresh");
            return true;
        }
        if (auto* m = um::Cast<um::SetCursor>(e)) {
            log << QStringLiteral("cursor %1").arg(*m->wParam, 0, 16);
            return true;
        }
        if (auto* m = um::Cast<um::SetBookmarkText>(e)) {
            log << QStringLiteral("text %1 [%2]").arg(m->wParam).arg(*m->lParam);
            m->result = 1;
            return true;
        }
        return QWidget::event(e);
    }
};

class OutputWndTest : public ::testing::Test
{
protected:
    RecordingView view;
    COutputWnd pane;

    void SetUp() override
    {
        pane.SetTargetFinder([this] { return &view; });
        pane.resize(600, 300);
        pane.show();
        view.show();
        QApplication::processEvents();
    }

    static QStringList Lines(const QString& prefix, int from, int count)
    {
        QStringList lines;
        for (int i = from; i < from + count; ++i)
            lines << prefix + QString::number(i);
        return lines;
    }

    // The in-place editor that is open now (closed ones wait for their deletion).
    static QLineEdit* OpenEditor(QWidget* list)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QLineEdit* e : list->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    }

    void DoubleClick(COutputList* list, int row)
    {
        pane.ActivateTab(list->ListId());
        QApplication::processEvents();
        list->scrollTo(list->model()->index(row, 0));
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        ASSERT_TRUE(rect.isValid());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

TEST_F(OutputWndTest, TabsStandInOrderAndListsKeepTheirLines)
{
    QTabWidget* tabs = pane.Tabs();
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->tabPosition(), QTabWidget::South);
    QStringList labels;
    for (int i = 0; i < tabs->count(); ++i)
        labels << tabs->tabText(i);
    EXPECT_EQ(labels, (QStringList{"検索", "同一検索", "SUM結果", "フォルダ内検索", "ブックマーク"}));

    pane.AddLines(COutputWnd::ListSearch, Lines(QStringLiteral("A"), 0, 3));
    pane.AddLines(COutputWnd::ListSearch, Lines(QStringLiteral("A"), 3, 2));
    pane.AddLine(COutputWnd::ListSum, QStringLiteral("SUM"));
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSearch), 5);
    EXPECT_EQ(pane.Line(COutputWnd::ListSearch, 4), QStringLiteral("A4"));
    EXPECT_EQ(pane.Line(COutputWnd::ListSearch, 5), QString());
    EXPECT_EQ(pane.Line(COutputWnd::ListSearch, -1), QString());
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSum), 1);
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSame), 0);
    // Lists that do not exist take nothing and hold nothing.
    pane.AddLine(COutputWnd::ListBookmark, QStringLiteral("x"));
    pane.AddLine(42, QStringLiteral("x"));
    EXPECT_EQ(pane.LineCount(42), 0);

    pane.ActivateTab(COutputWnd::ListGrep);
    EXPECT_EQ(tabs->currentIndex(), 3);
    pane.ActivateTab(COutputWnd::ListSame);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(pane.SameGroups()->isVisible());
    EXPECT_TRUE(pane.SameRefreshButton()->isVisible());
    pane.ActivateTab(COutputWnd::ListBookmark);
    EXPECT_EQ(tabs->currentIndex(), 4);
    // The drop-down belongs to the 同一検索 tab alone.
    EXPECT_FALSE(pane.SameGroups()->isVisible());

    pane.ClearList(COutputWnd::ListSearch);
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSearch), 0);
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSum), 1);
    pane.ResetLists();
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSum), 0);
}

TEST_F(OutputWndTest, ScreenReadersReachTheListsAndTheirLines)
{
    pane.AddLines(COutputWnd::ListSearch, QStringList{"00000010", "00000020"});
    pane.ActivateTab(COutputWnd::ListSearch);
    QApplication::processEvents();
    COutputList* list = pane.List(COutputWnd::ListSearch);
    EXPECT_EQ(list->accessibleName(), QStringLiteral("検索"));
    EXPECT_EQ(pane.List(COutputWnd::ListSame)->accessibleName(), QStringLiteral("同一検索"));
    EXPECT_EQ(pane.BookmarkList()->accessibleName(), QStringLiteral("ブックマーク"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::List);
    QStringList texts;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (child && child->role() == QAccessible::ListItem)
            texts << child->text(QAccessible::Name);
    }
    EXPECT_EQ(texts, (QStringList{"00000010", "00000020"}));
}

TEST_F(OutputWndTest, CopyTakesTheSelectedOrFirstLineAndClearEmpties)
{
    COutputList* list = pane.List(COutputWnd::ListSum);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    list->CopySelectedLine(); // an empty list copies nothing
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));

    pane.AddLines(COutputWnd::ListSum, QStringList{"加算: 1234", "XOR: 00", "CRC32: DEADBEEF"});
    list->CopySelectedLine();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("加算: 1234"));
    list->setCurrentIndex(list->model()->index(2, 0));
    list->CopySelectedLine();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("CRC32: DEADBEEF"));
    list->ClearLines();
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSum), 0);
}

TEST_F(OutputWndTest, FitListWidthFollowsTheFirstSecondAndLastLinesOnly)
{
    COutputList* list = pane.List(COutputWnd::ListSum);
    pane.ActivateTab(COutputWnd::ListSum);
    const QString wide(200, QLatin1Char('W'));
    pane.AddLines(COutputWnd::ListSum, QStringList{"short", "a little longer", wide, "last line"});
    pane.FitListWidth(COutputWnd::ListSum);
    list->doItemsLayout();
    QApplication::processEvents();
    const QFontMetrics metrics(list->font());
    const int extent = metrics.horizontalAdvance(QStringLiteral("a little longer")) + 5;
    EXPECT_EQ(list->Lines()->ItemSize().width(), extent);
    const int expectedMax = std::max(0, extent - list->viewport()->width());
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), expectedMax);

    // A wide last line widens the extent past the viewport.
    pane.AddLine(COutputWnd::ListSum, wide);
    pane.FitListWidth(COutputWnd::ListSum);
    list->doItemsLayout();
    QApplication::processEvents();
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), metrics.horizontalAdvance(wide) + 5 - list->viewport()->width());
}

TEST_F(OutputWndTest, LongListsScrollToTheirLastLine)
{
    COutputList* list = pane.List(COutputWnd::ListSearch);
    pane.ActivateTab(COutputWnd::ListSearch);
    // Past 65,535 lines, where a 16-bit scroll position would stop short.
    for (int block = 0; block < 20; ++block) {
        pane.AddLines(COutputWnd::ListSearch, Lines(QStringLiteral("L"), block * 10000, 10000));
        QApplication::processEvents();
    }
    // Every line is there at once; the view is shown the lines of a long list a moment later.
    ASSERT_EQ(pane.LineCount(COutputWnd::ListSearch), 200000);
    EXPECT_EQ(pane.Line(COutputWnd::ListSearch, 199999), QStringLiteral("L199999"));
    EXPECT_GE(list->model()->rowCount(), 50000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 200000; }, 10000));
    // A list is complete once fitted, whatever the timer did.
    pane.AddLines(COutputWnd::ListSearch, {QStringLiteral("last")});
    pane.FitListWidth(COutputWnd::ListSearch);
    EXPECT_EQ(list->model()->rowCount(), 200001);
    QApplication::processEvents();
    QScrollBar* bar = list->verticalScrollBar();
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    const QModelIndex bottom = list->indexAt(QPoint(2, list->viewport()->height() - 2));
    const QModelIndex top = list->indexAt(QPoint(2, 2));
    ASSERT_TRUE(top.isValid());
    EXPECT_GT(top.row(), 199000);
    EXPECT_TRUE(!bottom.isValid() || bottom.row() == 200000);
    EXPECT_TRUE(list->viewport()->rect().intersects(list->visualRect(list->model()->index(200000, 0))));
}

TEST_F(OutputWndTest, VeryLongListsAreLaidOutInBatchesAndStillReachTheirLastLine)
{
    // Past the length laid out in one pass when the list completes: the layout goes on in
    // batches after the last lines arrived, and the last line can be scrolled to once it is done.
    COutputList* list = pane.List(COutputWnd::ListSearch);
    pane.ActivateTab(COutputWnd::ListSearch);
    pane.AddLines(COutputWnd::ListSearch, Lines(QStringLiteral("L"), 0, 300000));
    pane.AddLines(COutputWnd::ListSearch, {QStringLiteral("last")});
    pane.FitListWidth(COutputWnd::ListSearch);
    ASSERT_EQ(list->model()->rowCount(), 300001);
    QScrollBar* bar = list->verticalScrollBar();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        bar->setValue(bar->maximum());
        QApplication::processEvents();
        const QModelIndex top = list->indexAt(QPoint(2, 2));
        return top.isValid() && top.row() > 299000;
    }, 20000));
    EXPECT_TRUE(list->viewport()->rect().intersects(list->visualRect(list->model()->index(300000, 0))));
}

TEST_F(OutputWndTest, DoubleClicksHandLinesBackToTheView)
{
    // 検索: any line goes to the view by its index; the view ignores lines past its hits.
    pane.AddLines(COutputWnd::ListSearch, QStringList{"00000010", "00000020", "", "検索結果　2件"});
    DoubleClick(pane.List(COutputWnd::ListSearch), 1);
    DoubleClick(pane.List(COutputWnd::ListSearch), 3);
    EXPECT_EQ(view.log, (QStringList{"jump 1", "jump 3"}));
    EXPECT_TRUE(view.hasFocus() || QApplication::focusWidget() == &view || !view.isActiveWindow());

    // 同一検索: address lines as text; the empty line and the count line hand nothing back.
    view.log.clear();
    pane.AddLines(COutputWnd::ListSame, QStringList{"00000010", "00000001-00000020", "", "2件"});
    DoubleClick(pane.List(COutputWnd::ListSame), 0);
    DoubleClick(pane.List(COutputWnd::ListSame), 1);
    DoubleClick(pane.List(COutputWnd::ListSame), 2);
    DoubleClick(pane.List(COutputWnd::ListSame), 3);
    EXPECT_EQ(view.log, (QStringList{"jumptext 00000010", "jumptext 0000000100000020"}));

    // フォルダ内検索: the file line of the block and the clicked line go to the folder search.
    QStringList handedBack;
    pane.SetGrepJumpHandler([&](const QString& file, const QString& line) { handedBack << file + "|" + line; });
    pane.AddLines(COutputWnd::ListGrep, QStringList{"/d/a.bin", "00000010", "", "/d/b.bin", "0000FF00", "", "全 2件"});
    DoubleClick(pane.List(COutputWnd::ListGrep), 4);
    DoubleClick(pane.List(COutputWnd::ListGrep), 3);
    DoubleClick(pane.List(COutputWnd::ListGrep), 6);
    EXPECT_EQ(handedBack, (QStringList{"/d/b.bin|0000FF00", "/d/b.bin|/d/b.bin"}));
    // Hits at 0x10000000 and above are hit lines of their file, not file names of their own.
    handedBack.clear();
    pane.ClearList(COutputWnd::ListGrep);
    pane.AddLines(COutputWnd::ListGrep, QStringList{"/d/c.bin", "10000000"});
    pane.AddLines(COutputWnd::ListGrep, QStringList{"10000008", "", "全 2件"});
    DoubleClick(pane.List(COutputWnd::ListGrep), 2);
    DoubleClick(pane.List(COutputWnd::ListGrep), 1);
    EXPECT_EQ(handedBack, (QStringList{"/d/c.bin|10000008", "/d/c.bin|10000000"}));
    // Emptied by クリア in the middle of a search: the rest of that block belongs to no file.
    handedBack.clear();
    pane.ClearList(COutputWnd::ListGrep);
    pane.AddLines(COutputWnd::ListGrep, QStringList{"/d/e.bin", "00000001"});
    pane.List(COutputWnd::ListGrep)->ClearLines();
    pane.AddLines(COutputWnd::ListGrep, QStringList{"10000000", "", "/d/f.bin", "00000002", "", "全 2件"});
    DoubleClick(pane.List(COutputWnd::ListGrep), 0);
    DoubleClick(pane.List(COutputWnd::ListGrep), 3);
    EXPECT_EQ(handedBack, QStringList{"/d/f.bin|00000002"});

    // SUM results hand nothing back.
    view.log.clear();
    pane.AddLine(COutputWnd::ListSum, QStringLiteral("00000010"));
    DoubleClick(pane.List(COutputWnd::ListSum), 0);
    EXPECT_TRUE(view.log.isEmpty());
}

TEST_F(OutputWndTest, SameSearchGroupsAndRefreshReachTheView)
{
    pane.ActivateTab(COutputWnd::ListSame);
    pane.AddSameGroup(QStringLiteral("[0] 3件 41 42"));
    pane.AddSameGroup(QStringLiteral("[1] 2件 00 00"));
    pane.AddSameGroup(QStringLiteral("2グループ"));
    EXPECT_EQ(pane.SameGroupCount(), 3);
    pane.AddLines(COutputWnd::ListSame, QStringList{"00000010", "00000020", "", "2件"});

    // Choosing a group empties the list and asks the view for that group.
    Q_EMIT pane.SameGroups()->activated(1);
    EXPECT_EQ(pane.LineCount(COutputWnd::ListSame), 0);
    QTest::mousePress(pane.SameRefreshButton(), Qt::LeftButton);
    QTest::mouseRelease(pane.SameRefreshButton(), Qt::LeftButton);
    EXPECT_EQ(view.log, (QStringList{"group 1", "refresh"}));

    pane.ClearSameGroups();
    EXPECT_EQ(pane.SameGroupCount(), 0);
}

TEST_F(OutputWndTest, BookmarkDescriptionsAreEditedInPlaceAndRowsJump)
{
    COutputListCtrl* list = pane.BookmarkList();
    pane.ActivateTab(COutputWnd::ListBookmark);
    pane.SetBookmarkRows({{"00000000-00000010", "header"}, {"00000001-0000FF00", ""}});
    QApplication::processEvents();
    ASSERT_EQ(pane.BookmarkRowCount(), 2);
    EXPECT_EQ(list->header()->sectionSize(0), 120);
    EXPECT_EQ(list->header()->sectionSize(1), 120);
    EXPECT_TRUE(view.log.isEmpty()); // filling reports nothing

    // A double click on 説明 opens an editor over that cell; Enter stores the new text.
    const QRect cell = list->visualRect(list->model()->index(1, COutputListCtrl::ColumnText));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QLineEdit* editor = OpenEditor(list);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("テーブル"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(list->CellText(1, COutputListCtrl::ColumnText), QStringLiteral("テーブル"));

    // Editing to an empty text stores the empty text.
    const QRect first = list->visualRect(list->model()->index(0, COutputListCtrl::ColumnText));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
    editor = OpenEditor(list);
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(view.log, (QStringList{"text 1 [テーブル]", "text 0 []"}));

    // A double click on the address activates the row: the view's cursor goes there.
    view.log.clear();
    const QRect address = list->visualRect(list->model()->index(1, COutputListCtrl::ColumnAddress));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, address.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, address.center());
    EXPECT_EQ(view.log, (QStringList{"cursor 10000ff00"}));

    // The divider's double click fits the column to its widest cell plus 15 pixels.
    list->FitColumn(COutputListCtrl::ColumnAddress);
    EXPECT_EQ(list->header()->sectionSize(0), QFontMetrics(list->font()).horizontalAdvance(QStringLiteral("00000001-0000FF00")) + 15);
}

TEST(OutputPaneInFrameTest, TheFrameDocksThePaneHandsItToViewsAndAReloadEmptiesIt)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    CMainFrame frame;
    frame.show();
    auto* pane = dynamic_cast<COutputWnd*>(um::GetOutputPane::Send(&frame));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(frame.Pane(ID_PANE_OUTPUT)->widget(), pane);

    const QString path = files.Write(QStringLiteral("a.bin"), QByteArray(64, 'x'));
    ASSERT_NE(frame.OpenDocumentFile(path), nullptr);
    CQuorvaneView* view = frame.ActiveView();
    ASSERT_NE(view, nullptr);
    pane->AddLine(COutputWnd::ListSearch, QStringLiteral("00000010"));
    pane->AddLine(COutputWnd::ListSum, QStringLiteral("加算"));
    pane->AddSameGroup(QStringLiteral("g"));
    um::Reset::Send(view);
    EXPECT_EQ(pane->LineCount(COutputWnd::ListSearch), 0);
    EXPECT_EQ(pane->LineCount(COutputWnd::ListSum), 0);
    EXPECT_EQ(pane->SameGroupCount(), 0);

    // A bookmark row activated in the real frame moves the real view's cursor.
    pane->SetBookmarkRows({{"00000000-00000030", ""}});
    emit pane->BookmarkList()->rowActivated(0, QStringLiteral("00000000-00000030"));
    EXPECT_EQ(view->Cursor(), 0x30u);

    // 非表示 hides the pane's dock.
    emit pane->List(COutputWnd::ListSum)->hidePaneRequested();
    EXPECT_FALSE(frame.Pane(ID_PANE_OUTPUT)->isVisible());
}

} // namespace
