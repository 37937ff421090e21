// The main frame: menus and keys, status bar, documents and their windows, drops, save questions.
#include "app/AboutDlg.h"
#include "app/ChildFrame.h"
#include "app/CustomizeDlg.h"
#include "base/CommandIds.h"
#include "base/CommandTable.h"
#include "base/DialogFolder.h"
#include "base/FileSizeText.h"
#include "app/MainFrame.h"
#include "view/MessageTargets.h"
#include "base/Messages.h"
#include "app/StatusPanes.h"
#include "app/WindowsDlg.h"
#include "view/QuorvaneView.h"
#include "document/QuorvaneDoc.h"

#include "FrameTest.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>
#include <map>

namespace {

class MainFrameTest : public FrameTest
{
protected:

    void SetUp() override { ShowFrame(); }

    QString Write(const QString& name, const QByteArray& bytes) { return files.Write(name, bytes); }

    QStringList VisibleMenus() const
    {
        QStringList titles;
        for (QAction* a : frame->menuBar()->actions())
            if (a->isVisible() && a->menu())
                titles << a->text();
        return titles;
    }

    // Ids of the visible items of a menu, in order (0 for a separator, -1 for a submenu).
    static std::vector<int> MenuIds(QMenu* menu)
    {
        std::vector<int> ids;
        for (QAction* a : menu->actions()) {
            if (!a->isVisible())
                continue;
            ids.push_back(a->isSeparator() ? 0 : a->menu() ? -1 : a->data().toInt());
        }
        return ids;
    }

    QMenu* TopMenu(const QString& title) const
    {
        for (QAction* a : frame->menuBar()->actions())
            if (a->isVisible() && a->text() == title)
                return a->menu();
        return nullptr;
    }

    bool Enabled(int id)
    {
        frame->UpdateCommandUI();
        return frame->CommandAction(id)->isEnabled();
    }
};

} // namespace

TEST_F(MainFrameTest, MenusCarryEveryCommandWithItsTextAndEnabledOnlyWhenBuilt)
{
    EXPECT_EQ(frame->windowTitle(), "Quorvane Ver2.44");
    // Without a document only three menus show, with the items that need none.
    EXPECT_EQ(VisibleMenus(), (QStringList{"ファイル(&F)", "表示(&V)", "ヘルプ(&H)"}));
    EXPECT_EQ(MenuIds(TopMenu("ファイル(&F)")), (std::vector<int>{57600, 57601, 32914, 0, -1, 0, 32795, 57665}));
    EXPECT_EQ(MenuIds(TopMenu("表示(&V)")), (std::vector<int>{-1, 59393, 0, 32825}));

    frame->OpenDocumentFile(Write("a.bin", QByteArray(40, 'a')));
    EXPECT_EQ(VisibleMenus(), (QStringList{"ファイル(&F)", "編集(&E)", "検索(&F)", "表示(&V)", "比較(&D)",
                                           "ウィンドウ(&W)", "マクロ(&M)", "ヘルプ(&H)"}));

    const std::map<int, QString> texts = {
        {57600, "新規作成(&N)\tCtrl+N"}, {57601, "開く(&O)...\tCtrl+O"}, {32914, "直接編集モード(&D)..."},
        {57602, "閉じる(&C)"}, {57603, "上書き保存(&S)\tCtrl+S"}, {57604, "名前を付けて保存(&A)..."},
        {32846, "再読み込み(&R)"}, {32920, "指定範囲をファイル出力(&T)"}, {32877, "印刷(&P)...\tCtrl+P"},
        {32795, "レジストリを削除して終了"}, {57665, "アプリケーションの終了(&X)"},
        {57643, "元に戻す(&U)\tCtrl+Z"}, {57644, "やり直し(&R)\tCtrl+Y"}, {57635, "切り取り(&T)\tCtrl+X"},
        {57634, "コピー(&C)\tCtrl+C"}, {32886, "文字としてコピー(&S)\t"}, {57637, "貼り付け(&P)\tCtrl+V"},
        {32922, "数値として貼り付け(&B)"}, {32812, "全て選択(&A)\tCtrl+A"}, {32873, "連結(&L)..."},
        {32916, "定型入力(&F)..."}, {32810, "編集禁止(&N)"}, {32828, "バッファクリア(&D)..."},
        {154, "検索(&F)\tF1"}, {156, "前へ(&P)\tF2"}, {155, "次へ(&N)\tF3"}, {32784, "置換(&R)\tF4"},
        {32791, "ファイル先頭(&S)\tHome"}, {32792, "ファイル末尾(&E)\tEnd"}, {32793, "アドレスジャンプ(&J)\tCtrl+J"},
        {32911, "リストを開く(&O)..."}, {32912, "リストを保存(&S)..."}, {32800, "ブックマーク(&B)\tShift+F1"},
        {32801, "前へ移動(&I)\tShift+F2"}, {32802, "次へ移動(&H)\tShift+F3"}, {32803, "クリア(&D)\tShift+F4"},
        {32875, "フォルダ内検索(&G)..."}, {59393, "ステータス バー(&S)"},
        {32837, "ASCII(&A)"}, {32838, "JIS(&J)"}, {32839, "Shift-JIS(&S)"}, {32840, "EUC(&E)"},
        {32841, "Unicode(&L)"}, {32842, "UnicodeBE(&B)"}, {32843, "UTF-8(&U)"}, {32844, "EBCDIC(&C)"},
        {32845, "EBCDIK(&K)"}, {32822, "リトルエンディアン(&L)"}, {32823, "ビッグエンディアン(&B)"},
        {32907, "ファイルのプロパティ(&P)..."}, {32825, "環境設定(&A)..."},
        {32771, "別ウィンドウと比較(&D)...\tF5"}, {32779, "前へ(&F)\tF6"}, {32778, "次へ(&N)\tF7"},
        {32772, "比較解除(&R)\tF8"}, {57648, "新しいウィンドウを開く(&N)"}, {32850, "記録/終了(&R)"},
        {32851, "再生(&S)"}, {57664, "バージョン情報(&A)..."},
    };
    for (const auto& [id, text] : texts) {
        QAction* a = frame->CommandAction(id);
        ASSERT_NE(a, nullptr) << id;
        EXPECT_EQ(a->text(), text) << id;
        EXPECT_FALSE(a->associatedObjects().isEmpty()) << id << " is in no menu";
    }
    EXPECT_EQ(MenuIds(TopMenu("ファイル(&F)")),
              (std::vector<int>{57600, 57601, 32914, 57602, 0, 57603, 57604, 32846, 0, 32920, 32877, 57609, 32930, 0, -1, 0, 32795, 57665}));
    EXPECT_EQ(MenuIds(TopMenu("比較(&D)")), (std::vector<int>{32771, 32779, 32778, 32772}));
    EXPECT_EQ(MenuIds(TopMenu("ウィンドウ(&W)")), (std::vector<int>{57648, 0, 57652, 57651, 32940, 0, 131}));
    EXPECT_EQ(MenuIds(TopMenu("マクロ(&M)")), (std::vector<int>{32850, 32851}));

    // 比較解除 waits for a comparison; フォルダ内検索 needs no document.
    EXPECT_FALSE(Enabled(32772));
    EXPECT_TRUE(Enabled(32875));
    // The properties pane takes 検索, 置換 and アドレスジャンプ; 前へ and 次へ wait for a pattern.
    for (int id : {154, 32793, 32784})
        EXPECT_TRUE(Enabled(id)) << id;
    for (int id : {155, 156})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(ID_MACRO_PLAY)); // nothing recorded
    // What the frame and the document already do is enabled.
    for (int id : {57600, 57601, 32914, 57602, 57604, 32846, 57648, 57664, 57665, 32795, 32825, 32850, 32771})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(ID_FILE_SAVE)); // not modified

    // Key bindings: exactly the accelerator table, with Ctrl+P for 印刷.
    std::map<QString, int> keys;
    for (QAction* a : frame->actions())
        if (!a->shortcut().isEmpty())
            keys[a->shortcut().toString(QKeySequence::PortableText)] = a->data().toInt();
    const std::map<QString, int> expected = {
        {"Ctrl+C", 57634}, {"Ctrl+X", 57635}, {"Ctrl+V", 57637}, {"Ctrl+Y", 57644}, {"Ctrl+Z", 57643},
        {"Ctrl+N", 57600}, {"Ctrl+O", 57601}, {"Ctrl+P", 32877}, {"Ctrl+S", 57603}, {"Ctrl+A", 32812}, {"Ctrl+J", 32793},
        {"F12", 32810}, {"F1", 154}, {"F2", 156}, {"F3", 155}, {"F4", 32784}, {"Home", 32791}, {"End", 32792},
        {"Shift+F1", 32800}, {"Shift+F2", 32801}, {"Shift+F3", 32802}, {"Shift+F4", 32803},
        {"F5", 32771}, {"F6", 32779}, {"F7", 32778}, {"F8", 32772},
    };
    EXPECT_EQ(keys, expected);

    // The toolbar "標準", buttons in their order.
    auto* bar = frame->findChild<QToolBar*>("StandardToolbar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->windowTitle(), "標準");
    std::vector<int> buttons;
    for (QAction* a : bar->actions())
        buttons.push_back(a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(buttons, (std::vector<int>{57600, 57601, 32914, 57603, 57604, 0, 32877, 0, 32810, 32907, 0, 57635, 57634,
                                         32886, 57637, 32922, 0, 57643, 57644, 0, 32875, 0, 32771, 32772, 32779, 32778,
                                         0, 32791, 32792, 0, 32911, 32912, 32800, 32801, 32802, 32803, 0, 32850, 32851}));
}

TEST_F(MainFrameTest, DockingPanesHaveTheirCaptionsPlacesAndTabGroups)
{
    const std::map<int, QString> captions = {{150, "情報"}, {149, "出力"}, {151, "プロパティ"},
                                             {148, "構造体編集"}, {152, "ビットマップ"}};
    for (const auto& [id, caption] : captions) {
        ASSERT_NE(frame->Pane(id), nullptr) << id;
        EXPECT_EQ(frame->Pane(id)->windowTitle(), caption);
    }
    EXPECT_EQ(frame->dockWidgetArea(frame->Pane(150)), Qt::BottomDockWidgetArea);
    EXPECT_EQ(frame->dockWidgetArea(frame->Pane(149)), Qt::BottomDockWidgetArea);
    EXPECT_EQ(frame->dockWidgetArea(frame->Pane(151)), Qt::RightDockWidgetArea);
    EXPECT_EQ(frame->tabifiedDockWidgets(frame->Pane(149)), QList<QDockWidget*>{frame->Pane(148)});
    EXPECT_EQ(frame->tabifiedDockWidgets(frame->Pane(151)), QList<QDockWidget*>{frame->Pane(152)});
    // The output group (its active tab: the structure editor) sits to the right of the info pane.
    EXPECT_LT(frame->Pane(150)->geometry().left(), frame->Pane(148)->geometry().left());
}

TEST_F(MainFrameTest, StatusBarShowsSizeModeAndDirectEditWithTheirWidths)
{
    CStatusPanes* status = frame->StatusPanes();
    EXPECT_EQ(status->PaneText(0), "aia");
    EXPECT_EQ(status->PaneText(2), "NUM");
    const int numWidth = status->PaneWidth(2);
    status->SetNumLock(false);
    EXPECT_EQ(status->PaneText(2), "");
    EXPECT_EQ(status->PaneWidth(2), numWidth);
    status->SetNumLock(true);
    EXPECT_EQ(status->PaneText(2), "NUM");
    EXPECT_EQ(status->PaneText(4), "直接編集");
    EXPECT_FALSE(status->DirectEditOn());

    const QFontMetrics fm(QApplication::font());
    um::StatusText::SendFileSize(frame.get(), 5000);
    EXPECT_EQ(status->PaneText(1), "4K+904Byte");
    EXPECT_EQ(status->PaneWidth(1), fm.horizontalAdvance("4K+904Byte") + 3);
    um::StatusText::Send(frame.get(), um::PaneInputMode, "挿入");
    EXPECT_EQ(status->PaneText(3), "挿入");
    EXPECT_EQ(status->PaneWidth(3), fm.horizontalAdvance("挿入") + 1);
    um::StatusText::SendDirectEdit(frame.get(), true);
    EXPECT_TRUE(status->DirectEditOn());
    // Off still shows the word, in grey.
    um::StatusText::SendDirectEdit(frame.get(), false);
    EXPECT_EQ(status->PaneText(4), "直接編集");
    EXPECT_FALSE(status->DirectEditOn());

    // A menu prompt covers the idle text while it shows.
    QStatusTipEvent tip(QStringLiteral("ファイルを再読み込み"));
    QCoreApplication::sendEvent(frame.get(), &tip);
    EXPECT_EQ(status->PaneText(0), "ファイルを再読み込み");
    QStatusTipEvent none{QString()};
    QCoreApplication::sendEvent(frame.get(), &none);
    EXPECT_EQ(status->PaneText(0), "aia");

    // Activating a document shows its path and its size; closing the last window leaves nothing
    // of it behind: no path, no size, no typing mode, 直接編集 grey.
    const QString path = Write("sized.bin", QByteArray(1024 * 1024 + 5, 'x'));
    CChildFrame* child = frame->OpenDocumentFile(path);
    ASSERT_NE(child, nullptr);
    child->GetDocument()->WaitForLoader();
    QCoreApplication::processEvents();
    EXPECT_EQ(status->PaneText(0), QDir::toNativeSeparators(path));
    EXPECT_EQ(status->PaneText(1), "1M+0K+5Byte");
    CChildFrame* direct = frame->OpenDocumentFile(Write("direct.bin", "0123"), true);
    ASSERT_NE(direct, nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(status->DirectEditOn());
    frame->ExecuteCommand(ID_FILE_CLOSE);
    Flush();
    EXPECT_EQ(frame->ChildFrames().size(), 1);
    EXPECT_EQ(status->PaneText(1), "1M+0K+5Byte"); // the remaining window is active again
    frame->ExecuteCommand(ID_FILE_CLOSE);
    Flush();
    EXPECT_TRUE(frame->ChildFrames().isEmpty());
    EXPECT_EQ(status->PaneText(0), "");
    EXPECT_EQ(status->PaneText(1), "");
    EXPECT_EQ(status->PaneText(3), "");
    EXPECT_FALSE(status->DirectEditOn());
    EXPECT_EQ(status->PaneText(4), "直接編集");

    // The frame's own number space: 0x8004 for a view is not the frame's "show character code".
    const int shown = frame->ShownCharCode();
    um::SetCharCode::Send(frame.get(), shown == 3 ? 4 : 3);
    EXPECT_EQ(frame->ShownCharCode(), shown);
    um::ShowCharCode::Send(frame.get(), 7, false);
    EXPECT_EQ(frame->ShownCharCode(), 7);
    um::ShowByteOrder::Send(frame.get(), 1);
    EXPECT_EQ(frame->ShownByteOrder(), 1);
}

TEST_F(MainFrameTest, DocumentsOpenOnceAndCloseWithTheirLastWindow)
{
    const QString path = Write("a.bin", "0123456789");
    CChildFrame* first = frame->OpenDocumentFile(path);
    ASSERT_NE(first, nullptr);
    QPointer<CQuorvaneDoc> doc = first->GetDocument();
    EXPECT_EQ(doc->GetFileSize(), 10u);
    EXPECT_EQ(frame->windowTitle(), "a.bin[*] - Quorvane Ver2.44");
    EXPECT_EQ(frame->RecentFiles().First(), QDir::toNativeSeparators(path));

    // The same file again activates its window instead of a second document.
    EXPECT_EQ(frame->OpenDocumentFile(path), first);
    EXPECT_EQ(frame->Documents().size(), 1);

    // Missing files and folders are refused with a message, and nothing opens.
    EXPECT_EQ(frame->OpenDocumentFile(files.Path("missing.bin")), nullptr);
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked.back().caption, "エラー");
    EXPECT_EQ(frame->OpenDocumentFile(files.dir.path()), nullptr);
    EXPECT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(frame->ChildFrames().size(), 1);

    // A second window on the same document.
    ASSERT_TRUE(frame->ExecuteCommand(ID_WINDOW_NEW));
    QList<CChildFrame*> windows = frame->ChildFramesOf(doc);
    ASSERT_EQ(windows.size(), 2);
    EXPECT_EQ(windows[0]->windowTitle(), "a.bin:1[*]");
    EXPECT_EQ(windows[1]->windowTitle(), "a.bin:2[*]");
    EXPECT_EQ(frame->ActiveChild(), windows[1]);

    windows[1]->close();
    Flush();
    EXPECT_FALSE(doc.isNull());
    EXPECT_EQ(frame->ChildFrames().size(), 1);
    EXPECT_EQ(frame->ChildFrames().front()->windowTitle(), "a.bin[*]");
    frame->ChildFrames().front()->close();
    Flush();
    EXPECT_TRUE(doc.isNull());
    EXPECT_EQ(frame->windowTitle(), "Quorvane Ver2.44");
    EXPECT_EQ(VisibleMenus().size(), 3);

    // New documents are untitled and numbered.
    ASSERT_TRUE(frame->ExecuteCommand(ID_FILE_NEW));
    EXPECT_EQ(frame->ActiveChild()->windowTitle(), "Quorvane1[*]");
    EXPECT_FALSE(Enabled(ID_FILE_RELOAD)); // nothing on disk to read again
}

TEST_F(MainFrameTest, ModifiedDocumentsAskBeforeClosing)
{
    const QString path = Write("b.bin", "ABCD");
    CChildFrame* child = frame->OpenDocumentFile(path);
    ASSERT_NE(child, nullptr);
    QPointer<CQuorvaneDoc> doc = child->GetDocument();
    const uint8_t z = 'Z';
    doc->OverwriteBytes(0, &z, 1);
    doc->SetModifiedFlag(true);
    EXPECT_TRUE(Enabled(ID_FILE_SAVE));

    // Cancel keeps the document.
    prompter.answers = {PromptAnswer::Cancel};
    frame->ExecuteCommand(ID_FILE_CLOSE);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "b.bin への変更を保存しますか?");
    EXPECT_EQ(prompter.asked[0].caption, "Quorvane");
    EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_FALSE(doc.isNull());

    // Closing one of two windows does not ask; the last one does.
    frame->NewWindow();
    frame->ActiveChild()->close();
    EXPECT_EQ(prompter.asked.size(), 1u);
    prompter.answers = {PromptAnswer::Yes};
    frame->ActiveChild()->close();
    Flush();
    EXPECT_EQ(prompter.asked.size(), 2u);
    EXPECT_TRUE(doc.isNull());
    EXPECT_EQ(TempFiles::Read(path), "ZBCD");

    // Closing the program asks for every modified document; one Cancel keeps everything open.
    CChildFrame* c1 = frame->OpenDocumentFile(Write("c1.bin", "11"));
    CChildFrame* c2 = frame->OpenDocumentFile(Write("c2.bin", "22"));
    c1->GetDocument()->SetModifiedFlag(true);
    c2->GetDocument()->SetModifiedFlag(true);
    prompter.answers = {PromptAnswer::No, PromptAnswer::Cancel};
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(frame->ChildFrames().size(), 2);
    prompter.answers = {PromptAnswer::No, PromptAnswer::No};
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(frame->ChildFrames().isEmpty());
    EXPECT_EQ(TempFiles::Read(files.Path("c1.bin")), "11");
}

TEST_F(MainFrameTest, WindowListActivatesSavesAndClosesWindows)
{
    EXPECT_FALSE(Enabled(ID_WINDOW_MANAGER));
    CChildFrame* first = frame->OpenDocumentFile(Write("w1.bin", "1"));
    CChildFrame* second = frame->OpenDocumentFile(Write("w2.bin", "2"));
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(Enabled(ID_WINDOW_MANAGER));
    const uint8_t z = 'Z';
    first->GetDocument()->OverwriteBytes(0, &z, 1);
    first->GetDocument()->SetModifiedFlag(true);

    {
        CWindowsDlg dlg(frame.get());
        QListWidget* list = dlg.List();
        ASSERT_EQ(list->count(), 2);
        EXPECT_TRUE(list->item(0)->text().startsWith("w1.bin"));
        EXPECT_TRUE(list->item(0)->text().endsWith("*")); // modified
        EXPECT_FALSE(list->item(1)->text().endsWith("*"));
        EXPECT_EQ(list->currentRow(), 1); // the active window

        list->clearSelection();
        list->item(0)->setSelected(true);
        dlg.ActivateSelected();
        EXPECT_EQ(frame->ActiveChild(), first);

        // Saving writes the modified document; the list loses its mark.
        dlg.SaveSelected();
        EXPECT_EQ(TempFiles::Read(files.Path("w1.bin")), "Z");
        EXPECT_FALSE(dlg.List()->item(0)->text().endsWith("*"));

        // Closing asks about unsaved changes like any close; Cancel keeps the window.
        first->GetDocument()->SetModifiedFlag(true);
        dlg.List()->clearSelection();
        dlg.List()->item(0)->setSelected(true);
        dlg.List()->item(1)->setSelected(true);
        prompter.answers = {PromptAnswer::Cancel};
        dlg.CloseSelected();
        Flush();
        EXPECT_EQ(prompter.asked.size(), 1u);
        EXPECT_EQ(frame->ChildFrames().size(), 2);
        EXPECT_EQ(dlg.List()->count(), 2);

        first->GetDocument()->SetModifiedFlag(false);
        dlg.List()->item(0)->setSelected(true);
        dlg.List()->item(1)->setSelected(true);
        dlg.CloseSelected();
        Flush();
        EXPECT_TRUE(frame->ChildFrames().isEmpty());
        EXPECT_EQ(dlg.List()->count(), 0);
    }
    EXPECT_FALSE(Enabled(ID_WINDOW_MANAGER));
}

TEST_F(MainFrameTest, CustomizedKeysAndToolbarWorkAndComeBackAtTheNextStart)
{
    ASSERT_NE(frame->OpenDocumentFile(Write("k.bin", "1234")), nullptr);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    CQuorvaneDoc* doc = frame->ActiveDocument();

    // Through the dialog: Ctrl+L takes over 編集禁止 from F12, and Ctrl+C moves from コピー to
    // 元に戻す; the toolbar loses its first button and gains 全て選択 at its end.
    {
        CCustomizeDlg dlg(frame.get());
        const CKeyBindings before = dlg.Keys();
        EXPECT_TRUE(dlg.AssignKey(ID_EDIT_LOCK, QKeySequence("Ctrl+L")));
        dlg.RemoveKey(ID_EDIT_LOCK, QKeySequence(Qt::Key_F12));
        EXPECT_TRUE(dlg.AssignKey(ID_EDIT_UNDO, QKeySequence("Ctrl+C")));
        EXPECT_FALSE(dlg.AssignKey(ID_EDIT_UNDO, QKeySequence()));
        EXPECT_TRUE(dlg.Keys().Keys(ID_EDIT_COPY).isEmpty());
        dlg.RemoveButton(0);
        dlg.AddButton(ID_SELECT_ALL, 1000);
        dlg.AddButton(99999, 0); // no such command
        EXPECT_EQ(frame->KeyBindings(), before); // nothing changes before OK
        dlg.ApplyTo(*frame);
    }
    QTest::keyClick(frame->ActiveView(), Qt::Key_F12);
    EXPECT_EQ(doc->EditLock(), 0u);
    QTest::keyClick(frame->ActiveView(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(doc->EditLock(), 1u);
    // The menu shows a changed key; unchanged items keep their own labels.
    EXPECT_EQ(frame->CommandAction(ID_EDIT_LOCK)->text(), "編集禁止(&N)\t" + QKeySequence("Ctrl+L").toString(QKeySequence::NativeText));
    EXPECT_EQ(frame->CommandAction(ID_EDIT_COPY)->text(), "コピー(&C)");
    EXPECT_EQ(frame->CommandAction(ID_EDIT_PASTE)->text(), "貼り付け(&P)\tCtrl+V");
    std::vector<int> expected(ToolbarLayout().begin() + 1, ToolbarLayout().end());
    expected.push_back(ID_SELECT_ALL);
    EXPECT_EQ(frame->ToolbarButtons(), expected);
    auto* toolbar = frame->findChild<QToolBar*>("StandardToolbar");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->actions().front(), frame->CommandAction(ID_FILE_OPEN));
    EXPECT_EQ(toolbar->actions().back(), frame->CommandAction(ID_SELECT_ALL));

    // Saved with the workspace and restored by the next frame.
    frame->SaveWorkspace(*settings.store);
    const CKeyBindings keys = frame->KeyBindings();
    frame.reset();
    frame = std::make_unique<CMainFrame>();
    EXPECT_EQ(frame->KeyBindings(), CKeyBindings::Defaults());
    frame->RestoreWorkspace(*settings.store);
    EXPECT_EQ(frame->KeyBindings(), keys);
    EXPECT_EQ(frame->ToolbarButtons(), expected);

    // Stored values that make no sense leave the program's own keys and buttons, or what of
    // them can be read.
    settings.store->SetValue("Workspace/Keyboard-0/Accelerators", QByteArray("garbage;;=;77777=Ctrl+Q"));
    settings.store->SetValue("Workspace/Toolbar-0/Buttons", "0,0,x,99999,57600,0,0,57601,0");
    frame.reset();
    frame = std::make_unique<CMainFrame>();
    frame->RestoreWorkspace(*settings.store);
    EXPECT_EQ(frame->KeyBindings(), CKeyBindings::Defaults());
    EXPECT_EQ(frame->ToolbarButtons(), (std::vector<int>{57600, 0, 57601}));
}

TEST(KeyBindings, StoredFormReadsBackIncludingAwkwardKeys)
{
    CKeyBindings b = CKeyBindings::Defaults();
    b.Assign(ID_EDIT_LOCK, QKeySequence("Ctrl+;"));
    b.Assign(ID_EDIT_REDO, QKeySequence("Ctrl+="));
    b.Assign(ID_EDIT_REDO, QKeySequence("Ctrl+C")); // taken from コピー
    bool ok = false;
    EXPECT_EQ(CKeyBindings::Parse(b.Format(), &ok), b);
    EXPECT_TRUE(ok);
    EXPECT_EQ(b.CommandOf(QKeySequence("Ctrl+C")), ID_EDIT_REDO);
    EXPECT_TRUE(b.Keys(ID_EDIT_COPY).isEmpty());

    // No keys at all is a choice of its own, not a fault.
    CKeyBindings none;
    EXPECT_EQ(CKeyBindings::Parse(none.Format(), &ok), none);
    EXPECT_TRUE(ok);
    CKeyBindings::Parse("", &ok);
    EXPECT_FALSE(ok);
}

TEST_F(MainFrameTest, MiddleClickOnATabClosesItsWindow)
{
    frame->OpenDocumentFile(Write("m1.bin", "1"));
    CChildFrame* second = frame->OpenDocumentFile(Write("m2.bin", "2"));
    auto* tabs = frame->MdiArea()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 2);

    // A modified document still gets its question: a stray click must not lose edits.
    second->GetDocument()->SetModifiedFlag(true);
    prompter.answers = {PromptAnswer::Cancel};
    QTest::mouseClick(tabs, Qt::MiddleButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(frame->ChildFrames().size(), 2);

    QTest::mouseClick(tabs, Qt::MiddleButton, {}, tabs->tabRect(0).center());
    ASSERT_EQ(frame->ChildFrames().size(), 1);
    EXPECT_EQ(frame->ChildFrames().front(), second);
}

TEST_F(MainFrameTest, DroppedFilesOpenAndFoldersAreSkipped)
{
    const QString f1 = Write("d1.bin", "first");
    const QString f2 = Write("d2.bin", "second");
    QDir(files.dir.path()).mkdir("folder");
    auto drop = [&](Qt::KeyboardModifiers mods) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(files.Path("folder")), QUrl::fromLocalFile(f1), QUrl::fromLocalFile(f2)});
        QDropEvent ev(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, mods);
        // The application delivers drop events only during a real drag-and-drop: hand the event
        // to the frame directly.
        static_cast<QObject*>(frame.get())->event(&ev);
    };

    // With Ctrl every file opens in direct edit mode, once the user has read what that means.
    prompter.answers = {PromptAnswer::Ok};
    drop(Qt::ControlModifier);
    ASSERT_EQ(prompter.asked.size(), 1u); // the folder is skipped without a word
    EXPECT_EQ(prompter.asked[0].caption, QStringLiteral("確認"));
    QList<CQuorvaneDoc*> docs = frame->Documents();
    ASSERT_EQ(docs.size(), 2);
    EXPECT_TRUE(docs[0]->IsDirectEdit());
    EXPECT_TRUE(docs[1]->IsDirectEdit());
    EXPECT_EQ(frame->StatusPanes()->PaneText(0), QDir::toNativeSeparators(f2));
    EXPECT_TRUE(frame->StatusPanes()->DirectEditOn());
    // Their tabs carry the grey mark of direct edit mode.
    EXPECT_FALSE(frame->ChildFramesOf(docs[0]).front()->windowIcon().isNull());

    for (CChildFrame* c : frame->ChildFrames())
        c->close();
    drop(Qt::NoModifier);
    docs = frame->Documents();
    ASSERT_EQ(docs.size(), 2);
    EXPECT_FALSE(docs[0]->IsDirectEdit());
    EXPECT_FALSE(frame->StatusPanes()->DirectEditOn());
    EXPECT_EQ(docs[1]->GetFileSize(), 6u);
}

TEST_F(MainFrameTest, ReloadReadsTheFileAgain)
{
    const QString path = Write("r.bin", "old");
    CChildFrame* child = frame->OpenDocumentFile(path);
    ASSERT_NE(child, nullptr);
    // A selection in each of two windows of the document.
    CChildFrame* second = frame->NewWindow();
    um::SelectRange::Send(child->GetActiveView(), 0u, 1u);
    um::SelectRange::Send(second->GetActiveView(), 1u, 2u);
    ASSERT_EQ(child->GetActiveView()->SelStart(), 0u);
    ASSERT_EQ(second->GetActiveView()->SelStart(), 1u);
    Write("r.bin", "brand new");
    ASSERT_TRUE(frame->ExecuteCommand(ID_FILE_RELOAD));
    CQuorvaneDoc* doc = child->GetDocument();
    EXPECT_EQ(doc->GetFileSize(), 9u);
    EXPECT_EQ(doc->ByteAt(0), 'b');
    // Every window of the reloaded document forgets what it had selected in the old bytes.
    EXPECT_EQ(child->GetActiveView()->SelStart(), CQuorvaneView::kNone);
    EXPECT_EQ(second->GetActiveView()->SelStart(), CQuorvaneView::kNone);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->StatusPanes()->PaneText(1), "9Byte");
}

TEST_F(MainFrameTest, HandedOverFileOpensAndEditLockKeyToggles)
{
    const QString path = Write("h.bin", "handed");
    um::OpenFromClipboard::Post(frame.get(), path);
    EXPECT_TRUE(frame->ChildFrames().isEmpty()); // posted: nothing happens before the loop runs
    QCoreApplication::processEvents();
    ASSERT_EQ(frame->Documents().size(), 1);
    EXPECT_EQ(frame->ActiveDocument()->PathName(), QFileInfo(path).absoluteFilePath());

    // A start without a file only brings the window forward.
    um::OpenFromClipboard::Post(frame.get(), QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->Documents().size(), 1);
    EXPECT_TRUE(prompter.asked.empty());

    // F12 (編集禁止) reaches the document through the frame's key bindings.
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    CQuorvaneDoc* doc = frame->ActiveDocument();
    ASSERT_EQ(doc->EditLock(), 0u);
    QTest::keyClick(frame->ActiveView(), Qt::Key_F12);
    EXPECT_EQ(doc->EditLock(), 1u);
    frame->UpdateCommandUI();
    EXPECT_TRUE(frame->CommandAction(ID_EDIT_LOCK)->isChecked());
    QTest::keyClick(frame->ActiveView(), Qt::Key_F12);
    EXPECT_EQ(doc->EditLock(), 0u);

    // UM_FOCUS moves the keyboard focus between the properties pane and the view.
    um::Focus::Send(frame.get(), false);
    // The pane hands the focus on to its grid.
    QWidget* props = frame->Pane(ID_PANE_PROPERTIES)->widget();
    EXPECT_TRUE(QApplication::focusWidget() == props || props->isAncestorOf(QApplication::focusWidget()));
    um::Focus::Send(frame.get(), true);
    EXPECT_EQ(QApplication::focusWidget(), frame->ActiveView());
}

TEST_F(MainFrameTest, AboutBoxNamesTheProgramAndItsVersion)
{
    CAboutDlg about(frame.get());
    EXPECT_EQ(about.windowTitle(), "バージョン情報");
    QStringList texts;
    for (QLabel* l : about.findChildren<QLabel*>())
        texts << l->text();
    EXPECT_TRUE(texts.contains("Quorvane, Ver2.44"));
    QStringList buttons;
    for (QPushButton* b : about.findChildren<QPushButton*>())
        buttons << b->text();
    EXPECT_EQ(buttons, QStringList{"閉じる"});
}

TEST_F(MainFrameTest, PanesFindTheFrameAndTheActiveViewAlsoWhenFloating)
{
    QWidget* pane = frame->Pane(ID_PANE_INFO)->widget();
    EXPECT_EQ(FindMainFrame(pane), frame.get());
    EXPECT_EQ(FindActiveView(pane), nullptr); // no document: nothing to send to

    frame->OpenDocumentFile(Write("v1.bin", "1"));
    frame->OpenDocumentFile(Write("v2.bin", "2"));
    frame->Pane(ID_PANE_INFO)->setFloating(true);
    EXPECT_EQ(FindMainFrame(pane), frame.get());
    ASSERT_NE(FindActiveView(pane), nullptr);
    EXPECT_EQ(FindActiveView(pane)->GetDocument()->Title(), "v2.bin");
    frame->MdiArea()->setActiveSubWindow(frame->ChildFrames().front());
    EXPECT_EQ(FindActiveView(pane)->GetDocument()->Title(), "v1.bin");
    EXPECT_EQ(frame->windowTitle(), "v1.bin[*] - Quorvane Ver2.44");
}

TEST_F(MainFrameTest, DialogsStartInTheDocumentsFolderElseTheLastOneElseHome)
{
    CDialogFolder::Reset();
    // Never the program's folder (the current directory), whatever it is.
    EXPECT_EQ(frame->DialogStartFolder(), QDir::homePath());
    const QString elsewhere = files.Path("sub");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    CDialogFolder::Remember(elsewhere + QStringLiteral("/chosen.bin"));
    EXPECT_EQ(frame->DialogStartFolder(), elsewhere);
    // An untitled document is proposed in that folder too.
    EXPECT_EQ(CDialogFolder::StartPath(QString(), QStringLiteral("Quorvane1")), elsewhere + QStringLiteral("/Quorvane1"));

    const QString path = Write("doc.bin", "0123");
    ASSERT_NE(frame->OpenDocumentFile(path), nullptr);
    EXPECT_EQ(frame->DialogStartFolder(), QFileInfo(path).absolutePath());
    // A remembered folder that has gone since is passed over.
    frame->ExecuteCommand(ID_FILE_CLOSE);
    Flush();
    ASSERT_TRUE(QDir(elsewhere).removeRecursively());
    EXPECT_EQ(frame->DialogStartFolder(), QDir::homePath());
    CDialogFolder::Reset();
}

TEST_F(MainFrameTest, PaneListKeepsItsOrderWhateverTheLayoutDoes)
{
    auto paneTitles = [this] {
        std::unique_ptr<QMenu> menu(frame->createPopupMenu());
        QStringList titles;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                titles << a->text();
        return titles;
    };
    const QStringList expected{"標準", "情報", "出力", "プロパティ", "構造体編集", "ビットマップ", "カスタマイズ..."};
    EXPECT_EQ(paneTitles(), expected);
    // Floating, re-docking and maximising move the panes around in the toolkit's own lists.
    frame->Pane(148)->setFloating(true);
    frame->Pane(150)->setFloating(true);
    frame->Pane(150)->setFloating(false);
    frame->removeDockWidget(frame->Pane(151));
    frame->addDockWidget(Qt::LeftDockWidgetArea, frame->Pane(151));
    frame->Pane(151)->show();
    frame->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_EQ(paneTitles(), expected);
}
