// Start-up, hand-over to a running instance, and the end of the program.
#include "app/QuorvaneApp.h"

#include "app/MainFrame.h"
#include "base/Messages.h"
#include "base/Prompter.h"
#include "base/SettingsStore.h"
#include "app/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPalette>

namespace {

CQuorvaneApp* g_app = nullptr;

// The menu bar's colour as 0x00BBGGRR (red in the low byte), the address bar's default.
uint32_t MenuBarColorRef()
{
    const QColor c = QApplication::palette("QMenuBar").color(QPalette::Window);
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8)
         | (static_cast<uint32_t>(c.blue()) << 16);
}

// The file named on the command line, by the usual rules: the first plain argument (options
// begin with "-" or "/" followed by a letter... but "/" also begins every absolute path here, so
// only "-" marks an option).
QString CommandLineFile(const QStringList& args)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--")) {
            if (i + 1 < args.size())
                return args[i + 1];
            break;
        }
        if (a.startsWith(QLatin1Char('-')))
            continue;
        return a;
    }
    return {};
}

} // namespace

CQuorvaneApp::CQuorvaneApp()
{
    Q_ASSERT_X(!g_app, "CQuorvaneApp", "there is one application object");
    g_app = this;
}

CQuorvaneApp::~CQuorvaneApp()
{
    // The windows go first: views store their cursor positions, documents stop their loaders.
    m_frame.reset();
    if (m_deleteRegistryOnExit && m_store)
        m_store->RemoveTree();
    m_instance.reset();
    if (m_storeInstalled)
        CSettingsStore::Install(m_previousStore);
    if (m_promptInstalled)
        Prompter::Install(m_previousPrompter);
    g_app = nullptr;
}

const QString CQuorvaneApp::kNoAnswerText =
    QStringLiteral("Quorvane はすでに起動していますが、応答しません。\n"
                   "起動中の Quorvane を終了してから、もう一度起動してください。");

CQuorvaneApp* CQuorvaneApp::Instance()
{
    return g_app;
}

void CQuorvaneApp::OpenStore()
{
    const QString privateFile = qEnvironmentVariable("QUORVANE_SETTINGS");
    m_store = privateFile.isEmpty() ? CSettingsStore::OpenUserStore() : CSettingsStore::OpenFile(privateFile);
    m_store->SetMenuBarColor(MenuBarColorRef());
    m_previousStore = CSettingsStore::Install(m_store.get());
    m_storeInstalled = true;
}

CQuorvaneApp::StartResult CQuorvaneApp::InitInstance(const QStringList& args, Prompter* prompter)
{
    // A relative name means the folder the program was started from, for this instance and for
    // the running one alike: resolve it before anything changes the current folder.
    QString file = CommandLineFile(args);
    if (!file.isEmpty())
        file = QFileInfo(file).absoluteFilePath();

    OpenStore();

    // One instance per user and store: a running one takes the file and comes to the front.
    // An instance that holds the channel but does not answer (hung) is waited for once, briefly;
    // then the user hears of it, rather than two instances writing one settings file.
    using HandOverResult = CSingleInstance::HandOverResult;
    m_instance = std::make_unique<CSingleInstance>(CSingleInstance::ServerNameFor(m_store->FileName()));
    if (m_answerWaitMs >= 0)
        m_instance->SetAnswerWait(m_answerWaitMs);
    HandOverResult handed = m_instance->HandOver(file);
    if (handed == HandOverResult::NoInstance && !m_instance->Listen())
        handed = m_instance->HandOver(file); // another start won the race for the channel
    if (handed == HandOverResult::Taken)
        return StartResult::HandedOver;
    if (handed == HandOverResult::NoAnswer) {
        Prompter* previous = Prompter::Install(prompter ? prompter : &m_messageBoxes);
        Prompter::ShowError(kNoAnswerText);
        Prompter::Install(previous);
        return StartResult::NotAnswering;
    }

    m_previousPrompter = Prompter::Install(prompter ? prompter : &m_messageBoxes);
    m_promptInstalled = true;

    // Structure definitions and other relative names are looked up beside the program.
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    m_firstStart = m_store->IsFirstStart();
    if (m_firstStart)
        m_store->WriteDefaultGroup();

    m_frame = std::make_unique<CMainFrame>();
    m_frame->RecentFiles().ReadList(*m_store);
    m_frame->RefreshRecentFileMenu();
    if (m_firstStart)
        m_frame->SaveKeyBindings(*m_store); // the "*.*" group just written is the user's from now on
    else
        m_frame->RestoreWorkspace(*m_store);
    connect(m_instance.get(), &CSingleInstance::fileReceived, m_frame.get(),
            [frame = m_frame.get()](const QString& path) { um::OpenFromClipboard::Post(frame, path); });

    if (!ExecuteStartRequest(file))
        return StartResult::Failed;

    if (m_firstStart) {
        const QPoint topLeft = m_frame->pos();
        m_frame->resize(kFirstWidth, kFirstHeight);
        m_frame->move(topLeft);
    }
    m_frame->show();
    m_frame->UpdateCommandUI();
    return StartResult::Run;
}

bool CQuorvaneApp::ExecuteStartRequest(const QString& commandLineFile)
{
    CRecentFileList& recent = m_frame->RecentFiles();
    QString path = commandLineFile;
    const bool substituted = path.isEmpty() && !recent.First().isEmpty();
    if (substituted)
        path = recent.First();
    if (path.isEmpty())
        return m_frame->NewDocument() != nullptr;
    if (m_frame->OpenDocumentFile(path))
        return true;
    if (substituted) {
        // The last file has gone: forget it and start with an empty document.
        recent.Remove(0);
        recent.WriteList(*m_store);
        m_frame->RefreshRecentFileMenu();
        m_frame->NewDocument();
    }
    // A file named on the command line that cannot be opened leaves the program without one.
    return true;
}

int CQuorvaneApp::ExitInstance()
{
    if (m_store)
        m_store->Sync();
    if (m_instance)
        m_instance.reset();
    return 0;
}
