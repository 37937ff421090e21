// フォルダ内検索 through the main frame: the dialog filled and run, the lines in the output pane,
// a double click back to the file, 中止, and the searches that must not start.
#include "app/ChildFrame.h"
#include "base/CommandIds.h"
#include "app/MainFrame.h"
#include "app/ProgressBar.h"
#include "panes/OutputList.h"
#include "panes/OutputWnd.h"
#include "search/GrepSetup.h"
#include "view/QuorvaneView.h"

#include "ModalDialog.h"
#include "FrameTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

class FolderSearchDlgTest : public FrameTest
{
protected:

    void SetUp() override
    {
        settings->WriteDefaultGroup();
        ShowFrame({1200, 800});
    }

    QString Root() const { return QDir::cleanPath(files.dir.path()); }

    // Runs フォルダ内検索 and lets `act` work on the dialog while it is open.
    void RunDialog(const std::function<void(CGrepSetup*)>& act)
    {
        EXPECT_TRUE(WhileModal<CGrepSetup>([&] { frame->ExecuteCommand(ID_FOLDER_SEARCH); }, act));
    }

    void WaitForSearch()
    {
        QElapsedTimer t;
        t.start();
        while (frame->IsFolderSearchRunning() && t.elapsed() < 20000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(frame->IsFolderSearchRunning());
    }

    QStringList Lines() const
    {
        QStringList lines;
        COutputWnd* pane = frame->OutputPane();
        for (int i = 0; i < pane->LineCount(COutputWnd::ListGrep); ++i)
            lines << pane->Line(COutputWnd::ListGrep, i);
        return lines;
    }

    static QByteArray With(int size, const QList<int>& at, const QByteArray& what)
    {
        QByteArray b(size, '\0');
        for (int a : at)
            b.replace(a, what.size(), what);
        return b;
    }
};

} // namespace

TEST_F(FolderSearchDlgTest, DialogRunsTheSearchIntoThePaneAndADoubleClickOpensTheFileAtTheHit)
{
    // Subfolders are entered only when their names match the file type too.
    QDir(files.dir.path()).mkdir("sub.dat");
    QDir(files.dir.path()).mkdir("other");
    const QString a = files.Write("a.dat", With(0x40, {0x10, 0x20}, "AB"));
    const QString b = files.Write("sub.dat/b.dat", With(0x20, {0x1E}, "AB"));
    files.Write("other/c.dat", With(0x20, {0}, "AB"));
    files.Write("c.txt", With(0x20, {0}, "AB"));
    settings->SetFolderHistory({QStringLiteral("/elsewhere")});

    RunDialog([&](CGrepSetup* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "フォルダ内検索");
        EXPECT_EQ(dlg->CodeCombo()->currentText(), "Shift-JIS");
        EXPECT_EQ(dlg->CodeCombo()->count(), 8); // no ASCII
        EXPECT_EQ(dlg->FileTypeCombo()->currentText(), "*.*");
        ASSERT_EQ(dlg->FileTypeCombo()->count(), 4);
        EXPECT_EQ(dlg->FileTypeCombo()->itemText(3), "*.dat;*.ini");
        EXPECT_FALSE(dlg->HistoryList()->isVisible());
        EXPECT_EQ(dlg->HistoryList()->item(0)->text(), "/elsewhere");
        EXPECT_EQ(dlg->HexEdit()->accessibleName(), "16進数");

        // Without a folder, then without data: an error each, and the dialog stays.
        dlg->SearchButton()->click();
        EXPECT_EQ(prompter.LastText(), "検索対象のフォルダを指定してください。");
        dlg->FolderEdit()->setText(Root());
        dlg->SearchButton()->click();
        EXPECT_EQ(prompter.LastText(), "検索するデータを入力してください。");
        EXPECT_TRUE(dlg->isVisible());

        // The number fields follow each other; the digits are a number, least significant
        // byte first: 4241 looks for 41 42.
        QTest::keyClicks(dlg->HexEdit(), "4241");
        EXPECT_EQ(dlg->DecimalEdit()->text(), "16961");
        QTest::keyClicks(dlg->DecimalEdit(), "0");
        EXPECT_EQ(dlg->HexEdit()->text(), "2968A");
        dlg->DecimalEdit()->clear();
        QTest::keyClicks(dlg->DecimalEdit(), "16961");
        EXPECT_EQ(dlg->HexEdit()->text(), "4241");
        dlg->FileTypeCombo()->setEditText("*.dat");
        dlg->SubfolderCheck()->setChecked(true);
        dlg->SearchButton()->click();
        EXPECT_FALSE(dlg->isVisible());
    });
    EXPECT_TRUE(frame->FolderSearchProgress()->isVisible() || !frame->IsFolderSearchRunning());
    WaitForSearch();
    EXPECT_FALSE(frame->FolderSearchProgress()->isVisible());
    EXPECT_EQ(Lines(), (QStringList{a, "00000010", "00000020", "", b, "0000001E", "", "全 3件"}));
    COutputWnd* pane = frame->OutputPane();
    EXPECT_EQ(pane->Tabs()->currentWidget(), pane->List(COutputWnd::ListGrep));
    // The folder went to the top of the history; "*.dat" was a choice already.
    EXPECT_EQ(settings->FolderHistory(), (QStringList{Root(), "/elsewhere"}));
    EXPECT_EQ(settings->FolderSearchFileTypes(), "*.* *.exe *.dat *.dat;*.ini");

    // A double click on an address opens the file with the cursor on the hit.
    COutputList* list = pane->List(COutputWnd::ListGrep);
    const QPoint at = list->visualRect(list->model()->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_NE(frame->ActiveDocument(), nullptr);
    EXPECT_EQ(frame->ActiveDocument()->PathName(), a);
    EXPECT_EQ(frame->ActiveView()->Cursor(), 0x20u);
    // On a path line it only opens (here: activates) the file.
    frame->OpenFolderSearchHit(b, b);
    EXPECT_EQ(frame->ActiveDocument()->PathName(), b);
    EXPECT_EQ(frame->ActiveView()->Cursor(), 0u);
    frame->OpenFolderSearchHit(b, "0000001E");
    EXPECT_EQ(frame->ActiveView()->Cursor(), 0x1Eu);

    // A new file type is stored after the choices; the string of 文字列 wins over the number.
    RunDialog([&](CGrepSetup* dlg) {
        EXPECT_EQ(dlg->HistoryList()->item(0)->text(), Root());
        dlg->FolderEdit()->setText(Root());
        dlg->FileTypeCombo()->setEditText("*.txt");
        QTest::keyClicks(dlg->HexEdit(), "FF");
        dlg->TextEdit()->setText("AB");
        dlg->SearchButton()->click();
    });
    WaitForSearch();
    EXPECT_EQ(Lines(), (QStringList{QDir(Root()).filePath("c.txt"), "00000000", "", "全 1件"}));
    EXPECT_EQ(settings->FolderSearchFileTypes(), "*.* *.exe *.dat *.dat;*.ini *.txt");
}

TEST_F(FolderSearchDlgTest, HistoryIsCalledUpFromTheFolderFieldAndDropsOrBrowsingGiveTheFolder)
{
    settings->SetFolderHistory({QStringLiteral("/one"), QStringLiteral("/two")});
    CGrepSetup dlg(2, frame.get());
    dlg.show();
    QApplication::processEvents();
    QTest::keyClick(dlg.FolderEdit(), Qt::Key_Down);
    ASSERT_TRUE(dlg.HistoryList()->isVisible());
    QTest::keyClick(dlg.HistoryList(), Qt::Key_Down);
    QTest::keyClick(dlg.HistoryList(), Qt::Key_Return);
    EXPECT_EQ(dlg.FolderEdit()->text(), "/two");
    EXPECT_FALSE(dlg.HistoryList()->isVisible());
    EXPECT_EQ(dlg.HistoryList()->item(0)->text(), "/two");

    const QString file = files.Write("x.bin", "x");
    dlg.TakeDroppedPath(file);
    EXPECT_EQ(dlg.FolderEdit()->text(), QDir::toNativeSeparators(Root()));
    dlg.TakeDroppedPath(Root());
    EXPECT_EQ(dlg.FolderEdit()->text(), QDir::toNativeSeparators(Root()));

    // The browse button: a chosen folder fills the field, a cancelled choice leaves it.
    QDir(files.dir.path()).mkdir("picked");
    const QString picked = QDir::cleanPath(files.dir.filePath("picked"));
    EXPECT_TRUE(WhileModal<QFileDialog>([&] { dlg.BrowseButton()->click(); },
                                        [&](QFileDialog* fd) {
                                            fd->setDirectory(picked);
                                            static_cast<QDialog*>(fd)->accept(); // public there
                                        }));
    EXPECT_EQ(dlg.FolderEdit()->text(), QDir::toNativeSeparators(picked));
    EXPECT_TRUE(WhileModal<QFileDialog>([&] { dlg.BrowseButton()->click(); },
                                        [&](QFileDialog* fd) { fd->reject(); }));
    EXPECT_EQ(dlg.FolderEdit()->text(), QDir::toNativeSeparators(picked));
    // A 16進数 text that begins with "?" leaves 10進数 empty and is still searched.
    QTest::keyClicks(dlg.HexEdit(), "?1");
    EXPECT_EQ(dlg.HexEdit()->text(), "?1");
    EXPECT_TRUE(dlg.DecimalEdit()->text().isEmpty());
}

TEST_F(FolderSearchDlgTest, StopKeepsWhatWasFoundAndBadRequestsStartNothing)
{
    // Two thousand files with one hit each; 中止 right after the start.
    QDir(files.dir.path()).mkdir("many");
    const QByteArray bytes = With(16 * 1024, {16 * 1024 - 2}, "\xC3\xA9");
    for (int i = 0; i < 2000; ++i)
        files.Write(QStringLiteral("many/f%1.bin").arg(i, 4, 10, QLatin1Char('0')), bytes);
    RunDialog([&](CGrepSetup* dlg) {
        dlg->FolderEdit()->setText(Root() + "/many");
        QTest::keyClicks(dlg->HexEdit(), "A9C3");
        dlg->SearchButton()->click();
    });
    ASSERT_TRUE(frame->IsFolderSearchRunning());
    ASSERT_TRUE(frame->FolderSearchProgress()->IsMoving());
    frame->FolderSearchProgress()->StopButton()->click();
    EXPECT_FALSE(frame->FolderSearchProgress()->isVisible());
    WaitForSearch();
    const QStringList lines = Lines();
    ASSERT_FALSE(lines.isEmpty());
    const int hits = static_cast<int>(lines.filter(QRegularExpression("^[0-9A-F]{8}$")).size());
    EXPECT_EQ(lines.last(), QStringLiteral("全 %1件").arg(hits));
    EXPECT_LT(hits, 2000);

    // A folder with nothing to search: only the total line.
    QDir(files.dir.path()).mkdir("empty");
    RunDialog([&](CGrepSetup* dlg) {
        dlg->FolderEdit()->setText(Root() + "/empty");
        QTest::keyClicks(dlg->HexEdit(), "00");
        dlg->SearchButton()->click();
    });
    WaitForSearch();
    EXPECT_EQ(Lines(), QStringList{"全 0件"});

    // A folder that does not exist, and a string the code cannot write: an error, no search.
    prompter.asked.clear();
    RunDialog([&](CGrepSetup* dlg) {
        dlg->FolderEdit()->setText(Root() + "/missing");
        QTest::keyClicks(dlg->HexEdit(), "00");
        dlg->SearchButton()->click();
        EXPECT_TRUE(dlg->isVisible());
        dlg->FolderEdit()->setText(Root());
        dlg->CodeCombo()->setCurrentText("EBCDIC");
        dlg->TextEdit()->setText(QStringLiteral("\x01"));
        dlg->SearchButton()->click();
        EXPECT_TRUE(dlg->isVisible());
    });
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_TRUE(prompter.asked[0].text.startsWith("検索対象のフォルダが見つかりません。"));
    // The message names the first character the code cannot hold.
    EXPECT_EQ(prompter.asked[1].text, QStringLiteral("「U+0001」は EBCDIC で表せません。"));
    EXPECT_FALSE(frame->IsFolderSearchRunning());
    EXPECT_EQ(Lines(), QStringList{"全 0件"});
}

TEST_F(FolderSearchDlgTest, ClosingTheFrameStopsAndJoinsARunningSearch)
{
    QDir(files.dir.path()).mkdir("many");
    for (int i = 0; i < 400; ++i)
        files.Write(QStringLiteral("many/f%1.bin").arg(i), With(64 * 1024, {100}, "Q"));
    FolderSearchRequest request;
    request.folder = Root() + "/many";
    request.pattern = SearchPattern({uint16_t('Q')});
    frame->StartFolderSearch(request);
    ASSERT_TRUE(frame->IsFolderSearchRunning());
    frame.reset(); // must return: the worker is stopped and waited for
    SUCCEED();
}
