// The properties pane in the frame: typing into the grid, the keys the frame routes to it,
// address jumps, the address menus, the display category and the requests it sends.
#include "panes/PropertiesWnd.h"

#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/Messages.h"
#include "panes/MPGridCtrl.h"
#include "search/SumCalculator.h"
#include "view/QuorvaneView.h"
#include "view/SyncScroll.h"
#include "panes/OutputList.h"
#include "panes/OutputWnd.h"

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

    // Types into a property's entry and leaves it open, as a user who goes straight for a key.
    QLineEdit* TypeOpen(PropId id, const QString& keys)
    {
        CMPGridCtrl* grid = pane->Grid();
        grid->EditProperty(id);
        auto* edit = qobject_cast<QLineEdit*>(grid->Tree()->indexWidget(grid->ValueIndex(id)));
        if (!edit)
            return nullptr;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, keys);
        return edit;
    }

    // A pane that shares its dock area with others is in front when its tab is the current one.
    static bool InFront(QDockWidget* dock) { return dock->isVisible() && !dock->visibleRegion().isEmpty(); }

    QAction* Button(int id) const
    {
        for (QAction* a : pane->ToolBar()->actions())
            if (a->data().toInt() == id)
                return a;
        return nullptr;
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

TEST_F(PropertiesWndTest, CommandsTakeTheValueBeingTypedWhicheverWayTheyArrive)
{
    frame->activateWindow();
    QApplication::setActiveWindow(frame.get());
    struct Log : QObject
    {
        QStringList log;
        bool eventFilter(QObject*, QEvent* e) override
        {
            auto bytes = [](const SearchPattern* p) {
                QString out;
                for (uint16_t entry : p->Entries())
                    out += QString::asprintf("%02X", entry & 0xFF);
                return out;
            };
            if (auto* m = um::Cast<um::Search>(e)) {
                log << QStringLiteral("search ") + bytes(m->wParam);
                return true;
            }
            if (auto* m = um::Cast<um::Replace>(e)) {
                log << QStringLiteral("replace ") + bytes(m->wParam);
                return true;
            }
            return false;
        }
    } log;
    view->installEventFilter(&log);

    // 文字列 typed, F1 pressed in the entry: the string is encoded and searched, no "data empty".
    QLineEdit* edit = TypeOpen(PropSearchText, QStringLiteral("bash"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(pane->Value(PropSearchHex), "62617368");
    EXPECT_EQ(log.log, QStringList{"search 62617368"});

    // 4142 committed, 7878 typed over it without Enter: F4 replaces 78 78, not 41 42.
    Type(PropSearchHex, "4142");
    edit = TypeOpen(PropSearchHex, QStringLiteral("7878"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_F4);
    EXPECT_EQ(log.log.value(1), "replace 7878");
    EXPECT_EQ(pane->Value(PropSearchDecimal), "30840"); // the change rules ran

    // The toolbar's 検索 button takes the open entry too.
    TypeOpen(PropSearchHex, QStringLiteral("4343"));
    Button(CPropertiesWnd::kSearch)->trigger();
    EXPECT_EQ(log.log.value(2), "search 4343");

    // Ctrl+J with the address still in its entry.
    edit = TypeOpen(PropJumpAddress, QStringLiteral("0000000000000030"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(view->Cursor(), 0x30u);
    view->removeEventFilter(&log);
}

TEST_F(PropertiesWndTest, ToolbarFollowsTheViewItsPatternAndTheLastClose)
{
    auto enabled = [&] {
        QStringList on;
        for (QAction* a : pane->ToolBar()->actions())
            if (a->isEnabled())
                on << a->toolTip();
        return on;
    };
    // A file is open: everything but 前へ and 次へ, which need a pattern.
    EXPECT_EQ(enabled(), (QStringList{"すべて展開", "SUM計算", "検索", "置換", "同一検索", "アドレスジャンプ"}));
    Type(PropSearchHex, "4141");
    frame->ExecuteCommand(ID_SEARCH);
    EXPECT_EQ(enabled().size(), 8);
    EXPECT_TRUE(Button(CPropertiesWnd::kSearchNext)->isEnabled());
    // Every button says what it does in the status bar.
    for (QAction* a : pane->ToolBar()->actions())
        EXPECT_FALSE(a->statusTip().isEmpty()) << a->toolTip().toStdString();

    frame->CloseDocument(frame->ActiveDocument());
    Flush();
    EXPECT_EQ(enabled(), QStringList{"すべて展開"});
}

TEST_F(PropertiesWndTest, ResultsAndTheEmptyPatternComeToTheFront)
{
    frame->activateWindow();
    QApplication::setActiveWindow(frame.get());
    QDockWidget* output = frame->Pane(ID_PANE_OUTPUT);
    QDockWidget* structs = frame->Pane(ID_PANE_STRUCT);
    QDockWidget* props = frame->Pane(ID_PANE_PROPERTIES);
    QDockWidget* bitmap = frame->Pane(ID_PANE_BITMAP);
    // As the frame sets them up: 構造体編集 over 出力, ビットマップ over プロパティ.
    ASSERT_TRUE(InFront(structs));
    ASSERT_FALSE(InFront(output));
    ASSERT_TRUE(InFront(bitmap));
    ASSERT_FALSE(InFront(props));

    // F1 with nothing to search: the message, then the pane it names with 16進数 open.
    frame->ExecuteCommand(ID_SEARCH);
    QApplication::processEvents();
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_TRUE(InFront(props));
    QWidget* hex = pane->Grid()->Tree()->indexWidget(pane->Grid()->ValueIndex(PropSearchHex));
    ASSERT_NE(hex, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), hex);

    // Hits: the output pane comes to the front with its 検索 tab.
    COutputWnd* out = frame->OutputPane();
    out->Tabs()->setCurrentIndex(2);
    Type(PropSearchHex, "4141");
    frame->ExecuteCommand(ID_SEARCH);
    QApplication::processEvents();
    EXPECT_TRUE(InFront(output));
    EXPECT_EQ(out->Tabs()->tabText(out->Tabs()->currentIndex()), "検索");

    // SUM results pile up: the newest lines are scrolled into view.
    structs->raise();
    for (int i = 0; i < 30; ++i)
        pane->OnCommand(CPropertiesWnd::kSum);
    QApplication::processEvents();
    EXPECT_TRUE(InFront(output));
    COutputList* sums = out->List(COutputWnd::ListSum);
    const QModelIndex last = sums->model()->index(out->LineCount(COutputWnd::ListSum) - 1, 0);
    EXPECT_TRUE(sums->viewport()->rect().intersects(sums->visualRect(last)));
}

TEST_F(PropertiesWndTest, ShiftTabAndEscapeGoBackToTheView)
{
    frame->activateWindow();
    QApplication::setActiveWindow(frame.get());
    // An entry opens as soon as its row is current: Shift+Tab there goes to the view, keeping
    // what was typed.
    QLineEdit* edit = TypeOpen(PropSearchHex, QStringLiteral("41"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(pane->Value(PropSearchHex), "41");

    // Esc on the 文字コード list closes it and gives the view the focus.
    CMPGridCtrl* grid = pane->Grid();
    grid->EditProperty(PropViewCode);
    auto* combo = qobject_cast<QComboBox*>(grid->Tree()->indexWidget(grid->ValueIndex(PropViewCode)));
    ASSERT_NE(combo, nullptr);
    combo->setFocus();
    combo->showPopup();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(pane->Value(PropViewCode), "Shift-JIS");
}

TEST_F(PropertiesWndTest, NamesFitTheirColumnWhichCanBeResized)
{
    CMPGridCtrl* grid = pane->Grid();
    // A pane wide enough for the names: they get all they need; a narrow one keeps room for values.
    frame->resize(1400, 900);
    frame->resizeDocks({frame->Pane(ID_PANE_PROPERTIES)}, {420}, Qt::Horizontal);
    QApplication::processEvents();
    const QFontMetrics metrics(grid->Tree()->font());
    for (const char* name : {"バイトオーダー", "同期スクロール", "開始アドレス", "1グループ件数"})
        EXPECT_GE(grid->NameColumnWidth(), metrics.horizontalAdvance(QString::fromUtf8(name)) + 2 * grid->Tree()->indentation())
            << name;
    const int fit = grid->NameColumnWidth();
    grid->SetNameColumnWidth(fit + 30);
    EXPECT_EQ(grid->NameColumnWidth(), fit + 30);
    grid->FitNameColumn();
    EXPECT_EQ(grid->NameColumnWidth(), fit);
    frame->resizeDocks({frame->Pane(ID_PANE_PROPERTIES)}, {120}, Qt::Horizontal);
    QApplication::processEvents();
    EXPECT_LE(grid->NameColumnWidth(), grid->Tree()->viewport()->width() - 60);
    frame->resizeDocks({frame->Pane(ID_PANE_PROPERTIES)}, {420}, Qt::Horizontal);
    QApplication::processEvents();
    EXPECT_EQ(grid->NameColumnWidth(), fit);
}
