// Program entry: the application object starts, runs the event loop and ends.
#include "app/QuorvaneApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pellamy"));
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setDesktopFileName(QStringLiteral("Quorvane.AppID.NoVersion"));

    // The interface is Japanese whatever the system's language: the toolkit's own dialogs too.
    QTranslator toolkit;
    if (toolkit.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkit);

    int code = 0;
    {
        CQuorvaneApp app;
        switch (app.InitInstance(QApplication::arguments())) {
        case CQuorvaneApp::StartResult::HandedOver: return 0;
        case CQuorvaneApp::StartResult::Failed: return 1;
        case CQuorvaneApp::StartResult::Run: break;
        }
        code = qapp.exec();
        app.ExitInstance();
    }
    return code;
}
