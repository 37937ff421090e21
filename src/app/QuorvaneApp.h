// The application object: start-up, the single instance, the settings store and program-wide flags.
#pragma once

#include "base/KeyMacro.h"
#include "app/MessageBoxPrompter.h"

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class CMainFrame;
class CSettingsStore;
class CSingleInstance;
class Prompter;

class CQuorvaneApp : public QObject
{
    Q_OBJECT

public:
    // One recorded key event of the keystroke macro.
    using MACROEVENT = CKeyMacro::MACROEVENT;

    // What start-up decided: run the event loop, or end the process with this exit code.
    // NotAnswering: another instance holds the channel but does not answer (the user was told).
    enum class StartResult { Run, HandedOver, Failed, NotAnswering };
    // The message of NotAnswering.
    static const QString kNoAnswerText;

    CQuorvaneApp();
    // Removes the settings tree when レジストリを削除して終了 asked for it.
    ~CQuorvaneApp() override;

    static CQuorvaneApp* Instance();

    // Start-up. `args` is the command line without Qt's own options (args[0] the program).
    // The settings store is the file named by QUORVANE_SETTINGS when that is set, else the
    // user's own store. `prompter` replaces the message boxes (tests); null installs them.
    StartResult InitInstance(const QStringList& args, Prompter* prompter = nullptr);
    // After the event loop: writes the store and gives up the single-instance channel.
    int ExitInstance();

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CSettingsStore* Store() const { return m_store.get(); }
    CSingleInstance* SingleInstance() const { return m_instance.get(); }
    bool IsFirstStart() const { return m_firstStart; }
    // The first start's window size.
    static constexpr int kFirstWidth = 893;
    static constexpr int kFirstHeight = 638;

    // How long a start waits for a running instance to take its file (ms; -1: the default).
    void SetAnswerWait(int ms) { m_answerWaitMs = ms; }

    bool m_deleteRegistryOnExit = false;
    bool m_openDirectEdit = false;
    // The keystroke macro (recording flag and events), shared by every view.
    static CKeyMacro& Macro() { return CKeyMacro::Program(); }

private:
    void OpenStore();
    bool ExecuteStartRequest(const QString& commandLineFile);

    std::unique_ptr<CSettingsStore> m_store;
    CSettingsStore* m_previousStore = nullptr;
    CMessageBoxPrompter m_messageBoxes;
    Prompter* m_previousPrompter = nullptr;
    bool m_promptInstalled = false;
    std::unique_ptr<CSingleInstance> m_instance;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_firstStart = false;
    bool m_storeInstalled = false;
    int m_answerWaitMs = -1;
};
