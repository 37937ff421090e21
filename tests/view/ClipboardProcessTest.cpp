// Copy in one running program, paste in another: the view's clipboard formats between two
// processes on a real X server (Xvfb), zero bytes included. Skipped where Xvfb is missing.
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class XServer
{
public:
    XServer()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        // -displayfd: the server picks a free display and writes its number once it accepts clients.
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("640x480x24")});
        QByteArray out;
        while (!out.contains('\n') && m_server.waitForReadyRead(30000))
            out += m_server.readAllStandardOutput();
        if (out.contains('\n'))
            m_display = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
    }
    ~XServer()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000)) {
                m_server.kill();
                m_server.waitForFinished(5000);
            }
        }
    }
    QString Display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

void Prepare(QProcess& p, const QString& display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
}

} // namespace

TEST(ClipboardBetweenProcesses, EveryFormatArrivesByteForByte)
{
    XServer x;
    if (x.Display().isEmpty())
        GTEST_SKIP() << "no X server (Xvfb) to run two programs on";

    // Text, OEM text, Unicode text: each keeps its zero bytes and its format in the other program.
    for (int format : {0, 1, 2}) {
        SCOPED_TRACE(format);
        const QString hex = QStringLiteral("00410042FF000D0A");
        QProcess owner;
        Prepare(owner, x.Display());
        owner.start(QStringLiteral(CLIPBOARD_PEER), {QStringLiteral("put"), hex, QString::number(format)});
        QByteArray said;
        while (!said.contains('\n') && owner.waitForReadyRead(30000))
            said += owner.readAllStandardOutput();
        ASSERT_EQ(said.trimmed(), "ready") << owner.readAllStandardError().toStdString();

        QProcess reader;
        Prepare(reader, x.Display());
        reader.start(QStringLiteral(CLIPBOARD_PEER), {QStringLiteral("get")});
        ASSERT_TRUE(reader.waitForFinished(30000));
        EXPECT_EQ(QString::fromLatin1(reader.readAllStandardOutput().trimmed()),
                  QString::number(format) + QLatin1Char(' ') + hex);

        owner.kill();
        owner.waitForFinished(5000);
    }
}
