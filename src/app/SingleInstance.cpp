// The hand-over channel between two starts of the program: a local socket readable by the user only.
#include "app/SingleInstance.h"
#include "base/NativePath.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <algorithm>

namespace {

// A start that finds the channel's name taken checks briefly whether anybody still listens.
constexpr int kProbeMs = 500;

QString UserName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QStringLiteral("user");
    // Only characters that are safe in a socket file name.
    QString safe;
    for (QChar c : user)
        safe += (c.isLetterOrNumber() || c == QLatin1Char('_')) ? c : QLatin1Char('_');
    return safe.left(32);
}

} // namespace

CSingleInstance::CSingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_name(std::move(serverName))
{
}

CSingleInstance::~CSingleInstance()
{
    if (m_server)
        m_server->close();
}

QString CSingleInstance::ServerNameFor(const QString& settingsFile)
{
    const QByteArray key = QFileInfo(settingsFile).absoluteFilePath().toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16);
    const QString name = QStringLiteral("quorvane-%1-%2").arg(UserName(), QString::fromLatin1(hash));
#ifdef Q_OS_UNIX
    // In the user's private runtime folder rather than the shared temporary folder, where another
    // user could put a socket of that name first and collect the file names handed over.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime + QLatin1Char('/') + name;
#endif
    return name;
}

CSingleInstance::HandOverResult CSingleInstance::HandOver(const QString& path)
{
    // One wait in all: a hung instance costs a later start this long once, not once per step.
    const QDeadlineTimer deadline(m_waitMs);
    auto left = [&] { return std::max(1, static_cast<int>(deadline.remainingTime())); };
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(left())) {
        // A channel whose name is there but that accepts nothing more is held by a hung instance;
        // a missing one (or one left by an instance that ended) means nobody runs.
        const QLocalSocket::LocalSocketError error = socket.error();
        return error == QLocalSocket::SocketTimeoutError ? HandOverResult::NoAnswer : HandOverResult::NoInstance;
    }
    socket.write(PathToNative(path) + '\n'); // the name's own bytes, also when they are not UTF-8
    if (!socket.waitForBytesWritten(left()))
        return HandOverResult::NoAnswer;
    // The running instance answers once it has the name; without an answer it did not take it.
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(left()))
            return socket.state() == QLocalSocket::UnconnectedState && socket.bytesAvailable() == 0
                 ? HandOverResult::NoInstance : HandOverResult::NoAnswer;
    }
    return socket.readLine().trimmed() == "OK" ? HandOverResult::Taken : HandOverResult::NoAnswer;
}

bool CSingleInstance::Listen()
{
    if (m_server && m_server->isListening())
        return true;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    }
    if (m_server->listen(m_name))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // The name is taken: either an instance runs, or one ended without cleaning up.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(kProbeMs)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool CSingleInstance::IsListening() const
{
    return m_server && m_server->isListening();
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 65536)
                    socket->abort(); // no file name is that long
                return;
            }
            QByteArray line = socket->readLine();
            if (line.endsWith('\n'))
                line.chop(1);
            const QString path = PathFromNative(line);
            socket->write("OK\n");
            socket->flush();
            socket->disconnectFromServer();
            Q_EMIT fileReceived(path);
        });
    }
}
