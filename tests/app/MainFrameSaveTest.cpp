// The frame around saving: the modified mark on the document tab and in the title, and a long
// save that shows its progress and can be stopped with the file left as it was.
#include "FrameTest.h"

#include "app/ChildFrame.h"
#include "base/CommandIds.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"
#include "view/WorkProgress.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QProgressDialog>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace {

class MainFrameSave : public FrameTest
{
protected:
    void SetUp() override
    {
        settings->WriteDefaultGroup();
        ShowFrame(QSize(900, 600));
    }
    QTabBar* Tabs() const { return frame->centralWidget()->findChild<QTabBar*>(); }
};

} // namespace

TEST_F(MainFrameSave, UnsavedChangesMarkTheTabAndTheTitle)
{
    CChildFrame* child = frame->OpenDocumentFile(files.Write("rep.bin", "0123456789"));
    ASSERT_NE(child, nullptr);
    CQuorvaneDoc* doc = child->GetDocument();
    QApplication::processEvents();
    ASSERT_NE(Tabs(), nullptr);
    EXPECT_EQ(Tabs()->tabText(0), "rep.bin");
    EXPECT_FALSE(frame->isWindowModified());

    // A typed digit marks the document: "rep.bin*" on the tab and in the title bar.
    QTest::keyClick(child->GetActiveView(), Qt::Key_4);
    ASSERT_TRUE(doc->IsModified());
    EXPECT_EQ(Tabs()->tabText(0), "rep.bin*");
    EXPECT_TRUE(child->isWindowModified());
    EXPECT_TRUE(frame->isWindowModified());
    EXPECT_EQ(frame->windowTitle(), "rep.bin[*] - Quorvane Ver2.44");

    // A second window carries the mark too; saving takes it away everywhere.
    ASSERT_TRUE(frame->ExecuteCommand(ID_WINDOW_NEW));
    QApplication::processEvents();
    EXPECT_EQ(Tabs()->tabText(0), "rep.bin:1*");
    EXPECT_EQ(Tabs()->tabText(1), "rep.bin:2*");
    ASSERT_TRUE(frame->FileSave(doc));
    EXPECT_EQ(Tabs()->tabText(0), "rep.bin:1");
    EXPECT_EQ(Tabs()->tabText(1), "rep.bin:2");
    EXPECT_FALSE(frame->isWindowModified());
}

TEST_F(MainFrameSave, ALongSaveShowsProgressAndCanBeStopped)
{
    const int delay = CWorkProgress::ShowDelay();
    CWorkProgress::SetShowDelay(0);
    const QByteArray old = TempFiles::Random(64 << 20, 7);
    const QString path = files.Write("large.bin", old);
    CChildFrame* child = frame->OpenDocumentFile(path);
    ASSERT_NE(child, nullptr);
    CQuorvaneDoc* doc = child->GetDocument();
    doc->WaitForLoader();
    QTest::keyClick(child->GetActiveView(), Qt::Key_Delete);
    ASSERT_TRUE(doc->IsModified());

    // 中止 in the progress window: the save fails quietly, the file and the folder are as they
    // were, and the document keeps its changes.
    QString shownTitle;
    auto stopWhenShown = [&](bool stop) {
        QTimer::singleShot(0, [&, stop] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) {
                    shownTitle = d->windowTitle();
                    if (stop)
                        d->cancel();
                }
        });
    };
    stopWhenShown(true);
    EXPECT_FALSE(frame->FileSave(doc));
    EXPECT_EQ(shownTitle, "保存");
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(TempFiles::Read(path), old);
    EXPECT_EQ(QDir(files.dir.path()).entryList(QDir::Files), QStringList({"large.bin"}));
    EXPECT_TRUE(doc->IsModified());

    // Left to run, it writes the whole document, with its progress shown.
    shownTitle.clear();
    stopWhenShown(false);
    EXPECT_TRUE(frame->FileSave(doc));
    EXPECT_EQ(shownTitle, "保存");
    EXPECT_EQ(TempFiles::Read(path), old.mid(1));
    EXPECT_FALSE(doc->IsModified());
    CWorkProgress::SetShowDelay(delay);
}
