// The frame's file roads: the direct edit warning, and names that are not UTF-8 through drops,
// titles and the recent-file list.
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "base/RecentFileList.h"
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QFile>
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
