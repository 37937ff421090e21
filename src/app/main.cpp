// Program entry: the application object starts, runs the event loop and ends.
#include "base/CommandLineInfo.h"
#include "app/GuardedApplication.h"
#include "app/QuorvaneApp.h"
#include "panes/ToolIcons.h"
#include "base/NativePath.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace {

// --help and --version answer on standard output and end at once: no window, no settings, and no
// hand-over to a running instance.
bool AnswerInformationalOption(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString text;
    switch (CommandLineInfo::Requested(args)) {
    case CommandLineInfo::Request::None: return false;
    case CommandLineInfo::Request::Help: text = CommandLineInfo::HelpMessage(); break;
    case CommandLineInfo::Request::Version: text = CommandLineInfo::VersionMessage(QStringLiteral("Quorvane")); break;
    }
    std::fputs(text.toUtf8().constData(), stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (AnswerInformationalOption(argc, argv))
        return 0;

    CGuardedApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pellamy"));
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The desktop entry's name: desktops find the window's icon and entry by it.
    QApplication::setDesktopFileName(QStringLiteral("com.pellamy.Quorvane"));
    QApplication::setWindowIcon(ToolIcons::AppIcon());

    // The interface is Japanese whatever the system's language: the toolkit's own dialogs too.
    QTranslator toolkit;
    if (toolkit.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkit);

    // The arguments as the system's bytes (QApplication has taken its own options out of argv):
    // a file name that is not UTF-8 stays openable.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << PathFromNative(QByteArray(argv[i]));

    int code = 0;
    {
        CQuorvaneApp app;
        switch (app.InitInstance(args)) {
        case CQuorvaneApp::StartResult::HandedOver: return 0;
        case CQuorvaneApp::StartResult::Failed: return 1;
        case CQuorvaneApp::StartResult::NotAnswering: return 2;
        case CQuorvaneApp::StartResult::Run: break;
        }
        code = qapp.exec();
        app.ExitInstance();
    }
    return code;
}
