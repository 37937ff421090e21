// The properties pane in the frame: typing into the grid, the keys the frame routes to it,
// address jumps, the address menus, the display category and the requests it sends.
#include "panes/PropertiesWnd.h"

#include "base/CommandIds.h"
#include "app/MainFrame.h"
#include "base/Messages.h"
#include "panes/MPGridCtrl.h"
#include "search/SumCalculator.h"
#include "view/QuorvaneView.h"
#include "view/SyncScroll.h"

#include <QDockWidget>

#include "FrameTest.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// Records the requests the pane sends to the view.
class RequestLog : public QObject
{
public:
    QStringList log;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (auto* m = um::Cast<um::Search>(e)) {
            log << QStringLiteral("search kind=%1 new=%2 len=%3").arg(int(m->wParam->RequestKind())).arg(m->lParam).arg(m->wParam->Length());
            return true;
        }
        if (auto* m = um::Cast<um::Replace>(e)) {
            log << QStringLiteral("replace bytes=%1 scope=%2").arg(m->lParam->bytes.size()).arg(int(m->lParam->scope));
            return true;
        }
        if (auto* m = um::Cast<um::Sum>(e)) {
            log << QStringLiteral("sum %1-%2 method=%3").arg(m->wParam->start).arg(m->wParam->end).arg(m->lParam);
            return true;
        }
        if (auto* m = um::Cast<um::SameSearch>(e)) {
            log << (m->wParam ? QStringLiteral("same n=%1").arg(m->wParam->n) : QStringLiteral("same stop"));
            return true;
        }
        return false;
    }
};

class PropertiesWndTest : public FrameTest
{
protected:
    CPropertiesWnd* pane = nullptr;
    CQuorvaneView* view = nullptr;

    void SetUp() override
    {
        ShowFrame();
        pane = qobject_cast<CPropertiesWnd*>(frame->Pane(ID_PANE_PROPERTIES)->widget());
        ASSERT_NE(pane, nullptr);
        const QString path = files.Write(QStringLiteral("a.bin"), QByteArray(0x100, '\x41'));
        ASSERT_NE(frame->OpenDocumentFile(path), nullptr);
        view = frame->ActiveView();
        ASSERT_NE(view, nullptr);
        QApplication::processEvents();
    }

    // Types into a property's entry as a user would and ends with Enter.
    void Type(PropId id, const QString& keys)
    {
        CMPGridCtrl* grid = pane->Grid();
        grid->EditProperty(id);
        auto* edit = qobject_cast<QLineEdit*>(grid->Tree()->indexWidget(grid->ValueIndex(id)));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }

    void Choose(PropId id, const QString& option)
    {
        CMPGridCtrl* grid = pane->Grid();
        grid->EditProperty(id);
        auto* combo = qobject_cast<QComboBox*>(grid->Tree()->indexWidget(grid->ValueIndex(id)));
        ASSERT_NE(combo, nullptr);
        const int index = combo->findText(option);
        ASSERT_GE(index, 0);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
        QApplication::processEvents();
    }
};

TEST_F(PropertiesWndTest, GridShowsItsCategoriesAndTypedValuesConvert)
{
    CMPGridCtrl* grid = pane->Grid();
    EXPECT_TRUE(grid->IsExpanded(0));
    EXPECT_TRUE(grid->IsExpanded(3));
    EXPECT_FALSE(grid->IsExpanded(4)); // 同一検索 and SUM計算 start collapsed
    EXPECT_FALSE(grid->IsExpanded(5));
    EXPECT_EQ(pane->ToolBar()->actions().size(), 8);

    Type(PropSearchDecimal, "999");
    EXPECT_EQ(pane->Value(PropSearchHex), "03E7");
    // Letters never reach 10進数.
    Type(PropSearchDecimal, "12ab3");
    EXPECT_EQ(pane->Value(PropSearchDecimal), "123");
    // 16進数 shows upper case and refuses other letters.
    Type(PropSearchHex, "03e7zz");
    EXPECT_EQ(pane->Value(PropSearchHex), "03E7");
    EXPECT_EQ(pane->Value(PropSearchDecimal), "999");

    // The description area shows the selected property's description.
    grid->EditProperty(PropSearchHex);
    EXPECT_TRUE(grid->DescriptionArea()->text().contains("ワイルドカードの?を使用できます。"));
    EXPECT_FALSE(grid->DescriptionArea()->toolTip().contains('\n'));

    // Every entry is known by its property's name.
    grid->EditProperty(PropSumInitial);
    QWidget* entry = grid->Tree()->indexWidget(grid->ValueIndex(PropSumInitial));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->accessibleName(), "初期値");
}

TEST_F(PropertiesWndTest, KeysRoutedByTheFrameSendRequestsToTheView)
{
    RequestLog log;
    view->installEventFilter(&log);
    // F1 with an empty 16進数: the error and no request.
    EXPECT_TRUE(frame->ExecuteCommand(ID_SEARCH));
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_TRUE(log.log.isEmpty());
    EXPECT_FALSE(frame->CommandState(ID_SEARCH_NEXT).enabled);

    Type(PropSearchHex, "4142");
    frame->ExecuteCommand(ID_SEARCH);
    EXPECT_TRUE(frame->CommandState(ID_SEARCH_NEXT).enabled);
    frame->ExecuteCommand(ID_SEARCH_NEXT);
    frame->ExecuteCommand(ID_SEARCH_PREV);
    frame->ExecuteCommand(ID_SEARCH); // the pattern existed: not new
    // A change of a search field discards the pattern: 次へ is off again.
    Choose(PropSearchForm, "ビッグエンディアン");
    EXPECT_FALSE(pane->HasSearchPattern());
    EXPECT_FALSE(frame->CommandState(ID_SEARCH_NEXT).enabled);

    Type(PropReplaceNumber, "0x3e7");
    EXPECT_EQ(pane->Value(PropReplaceNumber), "0x3E7");
    frame->ExecuteCommand(ID_REPLACE);

    pane->OnCommand(CPropertiesWnd::kSum);
    pane->OnCommand(CPropertiesWnd::kSameSearch); // バイト数 0: nothing
    Type(PropSameBytes, "2");
    pane->OnCommand(CPropertiesWnd::kSameSearch);
    pane->OnCommand(CPropertiesWnd::kSameSearch); // running: stops it
    EXPECT_EQ(log.log, (QStringList{"search kind=2 new=1 len=2", "search kind=1 new=0 len=2", "search kind=0 new=0 len=2",
                                    "search kind=2 new=0 len=2", "replace bytes=2 scope=1", "sum 0-1 method=0", "same n=2",
                                    "same stop"}));
    view->removeEventFilter(&log);
}

TEST_F(PropertiesWndTest, AddressJumpInItsThreeModesExtendsASelection)
{
    Type(PropJumpAddress, "00000000-00000020");
    EXPECT_EQ(pane->Value(PropJumpAddress), "00000000-00000020");
    frame->ExecuteCommand(ID_ADDRESS_JUMP);
    EXPECT_EQ(view->Cursor(), 0x20u);
    Choose(PropJumpType, "下相対値");
    frame->ExecuteCommand(ID_ADDRESS_JUMP);
    EXPECT_EQ(view->Cursor(), 0x40u);
    Choose(PropJumpType, "上相対値");
    Type(PropJumpAddress, "00000000-00000010");
    frame->ExecuteCommand(ID_ADDRESS_JUMP);
    EXPECT_EQ(view->Cursor(), 0x30u);
    // Backward past 0 stops at 0; forward past the end stops at the end-of-file cell.
    Type(PropJumpAddress, "00000000-00001000");
    frame->ExecuteCommand(ID_ADDRESS_JUMP);
    EXPECT_EQ(view->Cursor(), 0u);
    Choose(PropJumpType, "下相対値");
    frame->ExecuteCommand(ID_ADDRESS_JUMP);
    EXPECT_EQ(view->Cursor(), 0x100u);

    // With a selection the jump extends it to the new cursor.
    um::SelectRange::Send(view, 0x10, 0x18);
    Choose(PropJumpType, "絶対値");
    Type(PropJumpAddress, "00000000-00000040");
    frame->ExecuteCommand(ID_ADDRESS_JUMP);
    EXPECT_EQ(view->Cursor(), 0x40u);
    EXPECT_EQ(std::min(view->SelStart(), view->SelEnd()), 0x10u);
    EXPECT_EQ(std::max(view->SelStart(), view->SelEnd()), 0x40u);
}

TEST_F(PropertiesWndTest, AddressMenusReadTheViewsCursorAndSelection)
{
    uint64_t at = 0x30;
    um::SetCursor::Send(view, &at, false);
    pane->FillFromMenu(PropSameStart, 32897); // 選択範囲 without a selection
    EXPECT_EQ(pane->Value(PropSameStart), "00000000-00000000");
    pane->FillFromMenu(PropSumStart, 32894);
    EXPECT_EQ(pane->Value(PropSumStart), "00000000-00000030");
    pane->FillFromMenu(PropSumEnd, 32895);
    EXPECT_EQ(pane->Value(PropSumEnd), "00000000-000000FF");
    pane->FillFromMenu(PropSumStart, 32893);
    EXPECT_EQ(pane->Value(PropSumStart), "00000000-00000000");

    pane->Grid()->SetValue(PropSameStart, "00000000-00000040");
    pane->FillFromMenu(PropSameRange, 32903); // cursor before the start
    EXPECT_EQ(pane->Value(PropSameRange), "00000001");
    pane->FillFromMenu(PropSameRange, 32905);
    EXPECT_EQ(pane->Value(PropSameRange), "000000C0");
    um::SelectRange::Send(view, 0x50, 0x5F);
    pane->FillFromMenu(PropSameRange, 32904);
    EXPECT_EQ(pane->Value(PropSameRange), "00000020");
    pane->FillFromMenu(PropSumEnd, 32899);
    EXPECT_EQ(pane->Value(PropSumEnd), "00000000-0000005F");
}

TEST_F(PropertiesWndTest, DisplayCategoryFollowsAndDrivesTheView)
{
    // A view being set up shows its code in both code fields; on activation only in 表示.
    um::ShowCharCode::Send(frame.get(), 6, true);
    EXPECT_EQ(pane->Value(PropViewCode), "UTF-8");
    EXPECT_EQ(pane->Value(PropSearchCode), "UTF-8");
    um::ShowCharCode::Send(frame.get(), 42, false);
    EXPECT_EQ(pane->Value(PropViewCode), "Shift-JIS");
    EXPECT_EQ(pane->Value(PropSearchCode), "UTF-8");
    um::ShowByteOrder::Send(frame.get(), 1);
    EXPECT_EQ(pane->Value(PropViewOrder), "ビッグエンディアン");

    Choose(PropViewCode, "EUC");
    EXPECT_EQ(view->GetCharCode(), CharCodeFromValue(3));
    Choose(PropViewOrder, "リトルエンディアン");
    EXPECT_EQ(view->GetByteOrder(), 0);
    Choose(PropViewOrder, "ビッグエンディアン");
    EXPECT_EQ(view->GetByteOrder(), 1);

    Choose(PropSyncScroll, "ON");
    EXPECT_TRUE(g_syncScroll.load());
    Choose(PropSyncScroll, "OFF");
    EXPECT_FALSE(g_syncScroll.load());
}

} // namespace
