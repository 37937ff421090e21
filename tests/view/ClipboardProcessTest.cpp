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

// Starts the peer with `args` and waits for its "ready": it then owns the clipboard.
void StartOwner(QProcess& owner, const QString& display, const QStringList& args)
{
    Prepare(owner, display);
    owner.start(QStringLiteral(CLIPBOARD_PEER), args);
    QByteArray said;
    while (!said.contains('\n') && owner.waitForReadyRead(30000))
        said += owner.readAllStandardOutput();
    ASSERT_EQ(said.trimmed(), "ready") << owner.readAllStandardError().toStdString();
}

// Runs the peer once with `command` and returns what it printed.
QString Ask(const QString& display, const QString& command)
{
    QProcess reader;
    Prepare(reader, display);
    reader.start(QStringLiteral(CLIPBOARD_PEER), {command});
    if (!reader.waitForFinished(30000))
        return QStringLiteral("timeout");
    return QString::fromLatin1(reader.readAllStandardOutput().trimmed());
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

TEST(ClipboardBetweenProcesses, OtherProgramsReadAndGiveShiftJisText)
{
    XServer x;
    if (x.Display().isEmpty())
        GTEST_SKIP() << "no X server (Xvfb) to run two programs on";

    // Bytes copied from the hex column reach a text editor as code page 932 text: 93FA 967B is 日本.
    {
        QProcess owner;
        StartOwner(owner, x.Display(), {QStringLiteral("put"), QStringLiteral("41424393FA967B"), QStringLiteral("1")});
        EXPECT_EQ(Ask(x.Display(), QStringLiteral("gettext")), QStringLiteral("414243E697A5E69CAC"));
        // ... while a second view still gets the exact bytes in the hex column's own format.
        EXPECT_EQ(Ask(x.Display(), QStringLiteral("get")), QStringLiteral("1 41424393FA967B"));
        owner.kill();
        owner.waitForFinished(5000);
    }
    // Text copied in another program ("Hello日本", UTF-8) is pasted as Shift-JIS bytes.
    {
        QProcess owner;
        StartOwner(owner, x.Display(), {QStringLiteral("puttext"), QStringLiteral("48656C6C6FE697A5E69CAC")});
        EXPECT_EQ(Ask(x.Display(), QStringLiteral("get")), QStringLiteral("0 48656C6C6F93FA967B"));
        owner.kill();
        owner.waitForFinished(5000);
    }
    // A character Shift-JIS lacks (U+1F600) becomes "?" and is counted; a "?" of the text is not.
    {
        QProcess owner;
        StartOwner(owner, x.Display(), {QStringLiteral("puttext"), QStringLiteral("3FF09F988041")});
        EXPECT_EQ(Ask(x.Display(), QStringLiteral("get")), QStringLiteral("0 3F3F41 replaced=1"));
        owner.kill();
        owner.waitForFinished(5000);
    }
}
