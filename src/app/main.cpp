// Program entry: starts the application object.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Quorvane Ver2.44"));
    w.resize(893, 638);
    w.show();
    return app.exec();
}
