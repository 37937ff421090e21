// The frame's file roads: the direct edit warning, names that are not UTF-8 through drops,
// titles and the recent-file list, and reloads that cannot read the file again.
#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/RecentFileList.h"
#include "document/NativePath.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"

#include "FrameTest.h"
#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

TEST(MainFrameFiles, DirectEditSaysWhatIsNotCrashSafeAndCanBeDeclined)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    CMainFrame frame;
    const QString path = files.Write("d.bin", "direct");

    prompter.answers = {PromptAnswer::Cancel};
    frame.OpenDroppedFiles({QUrl::fromLocalFile(path)}, true);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, QStringLiteral("確認"));
    EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::OkCancel);
    EXPECT_TRUE(prompter.asked[0].text.contains(QStringLiteral("上書きは安全ですが、挿入と削除は")));
    EXPECT_TRUE(frame.Documents().isEmpty());

    prompter.answers = {PromptAnswer::Ok};
    frame.OpenDroppedFiles({QUrl::fromLocalFile(path)}, true);
    ASSERT_EQ(frame.Documents().size(), 1);
    EXPECT_TRUE(frame.Documents()[0]->IsDirectEdit());
}

TEST(MainFrameFiles, NamesThatAreNotUtf8OpenFromDropsAndStayInTheRecentList)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    const QByteArray raw = QFile::encodeName(files.dir.path()) + "/r\xE9sum\xE9.bin";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "bytes", 5), 5);
    ::close(fd);
    const QString path = PathFromNative(raw);
    {
        CMainFrame frame;
        // A drop carries the name's bytes percent-encoded in its URL.
        QUrl url(QStringLiteral("file://") + QString::fromLatin1(raw.toPercentEncoding("/")));
        frame.OpenDroppedFiles({url}, false);
        ASSERT_EQ(frame.Documents().size(), 1) << prompter.LastText().toStdString();
        CQuorvaneDoc* doc = frame.Documents()[0];
        EXPECT_EQ(doc->PathName(), path);
        EXPECT_EQ(doc->Title(), QStringLiteral("r\\xE9sum\\xE9.bin"));
        EXPECT_EQ(doc->GetFileSize(), 5u);
        frame.RecentFiles().Add(path);
        frame.RecentFiles().WriteList(*settings.store);
    }
    CRecentFileList recent;
    recent.ReadList(*settings.store);
    ASSERT_FALSE(recent.Entries().isEmpty());
    EXPECT_EQ(recent.First(), path);
    EXPECT_EQ(recent.MenuText(0), QStringLiteral("&1 ") + PathForDisplay(path));
    CMainFrame again;
    EXPECT_NE(again.OpenDocumentFile(recent.First()), nullptr) << prompter.LastText().toStdString();
    ::unlink(raw.constData());
}

namespace {
class ReloadTest : public FrameTest
{
protected:
    void SetUp() override { ShowFrame(); }
};

QByteArray StoreOf(const CQuorvaneDoc* doc)
{
    QByteArray bytes;
    for (uint64_t a = 0; a < doc->StoreSize(); ++a)
        bytes.append(static_cast<char>(doc->ByteAt(a)));
    return bytes;
}
} // namespace

TEST_F(ReloadTest, AReloadThatIsCancelledOrFailsKeepsTheDocumentAsItWas)
{
    const QByteArray original = TempFiles::Random(104, 23);
    const QString path = files.Write("grows.bin", original);
    CChildFrame* child = frame->OpenDocumentFile(path);
    ASSERT_NE(child, nullptr);
    CQuorvaneDoc* doc = child->GetDocument();
    CQuorvaneView* view = child->GetActiveView();

    // Another program makes the file too large for memory (sparse: no disk is used).
    ASSERT_TRUE(QFile::resize(path, qint64(3) << 30));
    prompter.answers = {PromptAnswer::Cancel};
    EXPECT_TRUE(frame->ExecuteCommand(ID_FILE_RELOAD));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("メモリが不足しています。\n直接編集モードで開きますか?"));
    // Before, the store was emptied under the old size: 00 bytes, and a save wrote nothing.
    EXPECT_EQ(doc->GetFileSize(), 104u);
    EXPECT_EQ(StoreOf(doc), original);
    EXPECT_FALSE(doc->IsDirectEdit());
    EXPECT_FALSE(doc->IsModified());

    // What a save then writes is the document the user sees, with the edit.
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("5A"));
    ASSERT_TRUE(doc->IsModified());
    EXPECT_TRUE(frame->ExecuteCommand(ID_FILE_SAVE));
    QByteArray expected = original;
    expected[0] = char(0x5A);
    EXPECT_EQ(TempFiles::Read(path), expected);

    // A file that has gone: the error is shown and nothing changes either.
    ASSERT_TRUE(QFile::remove(path));
    prompter.asked.clear();
    EXPECT_TRUE(frame->ExecuteCommand(ID_FILE_RELOAD));
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(StoreOf(doc), expected);
    EXPECT_EQ(doc->GetFileSize(), 104u);

    // Answered OK, the same reload opens the large file in direct edit mode, locked.
    files.Write("grows.bin", QByteArray());
    ASSERT_TRUE(QFile::resize(path, qint64(3) << 30));
    prompter.answers = {PromptAnswer::Ok};
    EXPECT_TRUE(frame->ExecuteCommand(ID_FILE_RELOAD));
    EXPECT_TRUE(doc->IsDirectEdit());
    EXPECT_EQ(doc->GetFileSize(), uint64_t(3) << 30);
    EXPECT_EQ(doc->EditLock(), 1u);
    QFile::remove(path);
}
