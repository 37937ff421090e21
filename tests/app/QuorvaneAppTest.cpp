// Start-up: the first start, the recent file that has gone, the saved workspace, removing the
// settings, and the hand-over between two running copies of the program.
#include "app/ChildFrame.h"
#include "base/CommandIds.h"
#include "app/MainFrame.h"
#include "app/QuorvaneApp.h"
#include "base/SettingsStore.h"
#include "app/SingleInstance.h"
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDockWidget>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A private settings file named by QUORVANE_SETTINGS for the duration of a test.
class QuorvaneAppTest : public ::testing::Test
{
protected:
    TempFiles files;
    QString ini;
    QByteArray savedCwd;

    void SetUp() override
    {
        ini = files.Path("Pellamy/Quorvane.ini");
        qputenv("QUORVANE_SETTINGS", ini.toUtf8());
        savedCwd = QDir::currentPath().toUtf8();
    }
    void TearDown() override
    {
        qunsetenv("QUORVANE_SETTINGS");
        QDir::setCurrent(QString::fromUtf8(savedCwd));
    }

    QVariant Stored(const QString& key) const { return QSettings(ini, QSettings::IniFormat).value(key); }
};

} // namespace

TEST_F(QuorvaneAppTest, FirstStartWritesTheDefaultGroupAndSizesTheWindow)
{
    ScriptedPrompter prompter;
    CQuorvaneApp app;
    ASSERT_EQ(app.InitInstance({"quorvane"}, &prompter), CQuorvaneApp::StartResult::Run);
    EXPECT_TRUE(app.IsFirstStart());
    EXPECT_TRUE(app.Store()->GroupExists("*.*"));
    EXPECT_EQ(Stored("Settings/ExtSetting/*.*/FontName").toString(), "FixedSys");
    EXPECT_EQ(Stored("Settings/ExtSetting/*.*/CharCode").toInt(), 2);
    CMainFrame* frame = app.MainFrame();
    EXPECT_EQ(frame->size(), QSize(893, 638));
    EXPECT_TRUE(frame->isVisible());
    // No file and no recent file: one new, untitled document.
    ASSERT_EQ(frame->ChildFrames().size(), 1);
    EXPECT_TRUE(frame->ActiveDocument()->PathName().isEmpty());
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(QuorvaneAppTest, AFirstSessionThatNeverClosesIsNotAFirstStartAgain)
{
    {
        ScriptedPrompter prompter;
        CQuorvaneApp app;
        ASSERT_EQ(app.InitInstance({"quorvane"}, &prompter), CQuorvaneApp::StartResult::Run);
        ASSERT_TRUE(app.IsFirstStart());
        // The user's own "*.*" group, then the program ends without closing its window (a crash).
        app.Store()->SetGroupSetting(SettingId::Backup, 0, "*.*");
        app.Store()->SetGroupSetting(SettingId::CharCode, 6, "*.*");
        app.Store()->Sync();
    }
    ScriptedPrompter prompter;
    CQuorvaneApp app;
    ASSERT_EQ(app.InitInstance({"quorvane"}, &prompter), CQuorvaneApp::StartResult::Run);
    // Before, the marker was written only at a normal close: the group was written anew.
    EXPECT_FALSE(app.IsFirstStart());
    EXPECT_EQ(Stored("Settings/ExtSetting/*.*/Backup").toInt(), 0);
    EXPECT_EQ(Stored("Settings/ExtSetting/*.*/CharCode").toInt(), 6);
}

TEST_F(QuorvaneAppTest, MissingRecentFileIsReportedForgottenAndReplacedByANewDocument)
{
    const QString kept = files.Write("kept.bin", "kept");
    {
        auto store = CSettingsStore::OpenFile(ini);
        store->SetValue("Recent File List/File1", files.Path("gone.bin"));
        store->SetValue("Recent File List/File2", kept);
        store->Sync();
    }
    ScriptedPrompter prompter;
    CQuorvaneApp app;
    ASSERT_EQ(app.InitInstance({"quorvane"}, &prompter), CQuorvaneApp::StartResult::Run);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "エラー");
    CMainFrame* frame = app.MainFrame();
    EXPECT_EQ(frame->RecentFiles().Entries(), QStringList{kept});
    EXPECT_EQ(Stored("Recent File List/File1").toString(), kept);
    ASSERT_EQ(frame->ChildFrames().size(), 1);
    EXPECT_TRUE(frame->ActiveDocument()->PathName().isEmpty());
}

TEST_F(QuorvaneAppTest, CommandLineFileWinsAndAFailedOneLeavesNoDocument)
{
    const QString recent = files.Write("recent.bin", "r");
    const QString named = files.Write("named.bin", "named");
    {
        auto store = CSettingsStore::OpenFile(ini);
        store->SetValue("Recent File List/File1", recent);
        store->Sync();
    }
    {
        ScriptedPrompter prompter;
        CQuorvaneApp app;
        // A relative name means the folder the program was started from.
        QDir::setCurrent(files.dir.path());
        ASSERT_EQ(app.InitInstance({"quorvane", "named.bin"}, &prompter), CQuorvaneApp::StartResult::Run);
        ASSERT_EQ(app.MainFrame()->Documents().size(), 1);
        EXPECT_EQ(app.MainFrame()->ActiveDocument()->PathName(), QFileInfo(named).absoluteFilePath());
        app.MainFrame()->close();
        app.ExitInstance();
    }
    {
        ScriptedPrompter prompter;
        CQuorvaneApp app;
        ASSERT_EQ(app.InitInstance({"quorvane", files.Path("nothere.bin")}, &prompter), CQuorvaneApp::StartResult::Run);
        EXPECT_EQ(prompter.asked.size(), 1u);
        EXPECT_TRUE(app.MainFrame()->ChildFrames().isEmpty());
        // The recent list is untouched by a failed command-line open.
        EXPECT_EQ(app.MainFrame()->RecentFiles().First(), QDir::toNativeSeparators(named));
    }
}

TEST_F(QuorvaneAppTest, WorkspaceIsSavedAtExitAndRestoredAtTheNextStart)
{
    {
        ScriptedPrompter prompter;
        CQuorvaneApp app;
        ASSERT_EQ(app.InitInstance({"quorvane"}, &prompter), CQuorvaneApp::StartResult::Run);
        CMainFrame* frame = app.MainFrame();
        frame->resize(700, 520);
        frame->Pane(ID_PANE_BITMAP)->hide();
        ASSERT_TRUE(frame->close());
        app.ExitInstance();
    }
    EXPECT_TRUE(Stored("Workspace/Keyboard-0/Accelerators").isValid());
    {
        ScriptedPrompter prompter;
        CQuorvaneApp app;
        ASSERT_EQ(app.InitInstance({"quorvane"}, &prompter), CQuorvaneApp::StartResult::Run);
        EXPECT_FALSE(app.IsFirstStart());
        CMainFrame* frame = app.MainFrame();
        EXPECT_EQ(frame->size(), QSize(700, 520));
        EXPECT_FALSE(frame->Pane(ID_PANE_BITMAP)->isVisibleTo(frame));
        EXPECT_TRUE(frame->Pane(ID_PANE_INFO)->isVisibleTo(frame));
    }
}

TEST_F(QuorvaneAppTest, RemovingTheSettingsHappensWhenTheProgramEnds)
{
    {
        ScriptedPrompter prompter;
        CQuorvaneApp app;
        ASSERT_EQ(app.InitInstance({"quorvane"}, &prompter), CQuorvaneApp::StartResult::Run);
        CMainFrame* frame = app.MainFrame();
        ASSERT_TRUE(frame->ExecuteCommand(ID_DELETE_REGISTRY));
        EXPECT_TRUE(app.m_deleteRegistryOnExit);
        QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 10000);
        app.ExitInstance();
        EXPECT_TRUE(QFile::exists(ini)); // still there until the application object ends
    }
    EXPECT_FALSE(QFile::exists(ini));
    EXPECT_FALSE(QDir(files.Path("Pellamy")).exists());
}

namespace {

// Runs the program with the test's private settings on the offscreen platform.
struct Program
{
    QProcess process;

    Program(const QString& ini, const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUORVANE_SETTINGS", ini);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(QUORVANE_EXE), args);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
};

bool WaitUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        if (done())
            return true;
        QTest::qWait(50);
    }
    return done();
}

} // namespace

TEST_F(QuorvaneAppTest, SecondStartHandsItsFileToTheRunningInstance)
{
    const QString first = files.Write("first.bin", "first");
    const QString second = files.Write("second.bin", "second");
    const QString name = CSingleInstance::ServerNameFor(ini);

    auto listening = [&] {
        QLocalSocket probe;
        probe.connectToServer(name);
        const bool up = probe.waitForConnected(1000);
        probe.abort();
        return up;
    };
    auto recentFirst = [&] { return Stored("Recent File List/File1").toString(); };

    Program running(ini, {first});
    ASSERT_TRUE(running.process.waitForStarted(30000));
    ASSERT_TRUE(WaitUntil([&] { return listening() && recentFirst() == first; }));

    // The second start ends at once with success, and the running instance opens its file.
    Program secondStart(ini, {second});
    ASSERT_TRUE(secondStart.process.waitForFinished(60000));
    EXPECT_EQ(secondStart.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(secondStart.process.exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return recentFirst() == second; }));
    EXPECT_EQ(Stored("Recent File List/File2").toString(), first);
    EXPECT_EQ(running.process.state(), QProcess::Running);

    // An instance that died leaves its channel behind; the next start takes it over.
    running.process.kill();
    running.process.waitForFinished(10000);
    const QString third = files.Write("third.bin", "third");
    Program next(ini, {third});
    ASSERT_TRUE(next.process.waitForStarted(30000));
    EXPECT_TRUE(WaitUntil([&] { return recentFirst() == third; }));
    EXPECT_EQ(next.process.state(), QProcess::Running);
    next.process.kill();
    next.process.waitForFinished(10000);
    QLocalServer::removeServer(name); // what the killed instance left behind
}

TEST_F(QuorvaneAppTest, AStoreOfItsOwnMeansAChannelOfItsOwn)
{
    EXPECT_EQ(CSingleInstance::ServerNameFor(ini), CSingleInstance::ServerNameFor(ini));
    EXPECT_NE(CSingleInstance::ServerNameFor(ini), CSingleInstance::ServerNameFor(files.Path("other.ini")));
}

TEST_F(QuorvaneAppTest, AHungInstanceCostsOneWaitAndAMessage)
{
    // Something holds the channel and accepts connections but never answers (a hung instance:
    // this test's server, whose events are not processed while the start runs).
    const QString name = CSingleInstance::ServerNameFor(ini);
    QLocalServer hung;
    hung.setSocketOptions(QLocalServer::UserAccessOption);
    ASSERT_TRUE(hung.listen(name));

    ScriptedPrompter prompter;
    {
        CQuorvaneApp app;
        app.SetAnswerWait(200);
        EXPECT_EQ(app.InitInstance({"quorvane", files.Write("x.bin", "x")}, &prompter),
                  CQuorvaneApp::StartResult::NotAnswering);
        // It told the user, and did not become a second instance.
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_EQ(prompter.asked[0].text, CQuorvaneApp::kNoAnswerText);
        EXPECT_EQ(prompter.asked[0].caption, "エラー");
        EXPECT_EQ(app.MainFrame(), nullptr);
        EXPECT_FALSE(app.SingleInstance()->IsListening());
    }
    hung.close();

    // With the channel free again, a start runs as the instance.
    ScriptedPrompter quiet;
    CQuorvaneApp app;
    EXPECT_EQ(app.InitInstance({"quorvane"}, &quiet), CQuorvaneApp::StartResult::Run);
    EXPECT_TRUE(app.SingleInstance()->IsListening());
    EXPECT_TRUE(quiet.asked.empty());
}
