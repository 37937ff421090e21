// One running instance per user and settings store: a second start hands its file over.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class CSingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit CSingleInstance(QString serverName, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The channel's name for a settings store file: per user, and per store, so that a private
    // store (tests, portable use) never talks to the instance of the user's own store.
    static QString ServerNameFor(const QString& settingsFile);
    QString ServerName() const { return m_name; }

    enum class HandOverResult {
        Taken,     // the running instance took the file: this process has nothing more to do
        NoInstance, // nobody listens on the channel
        NoAnswer,  // something holds the channel but did not take the file in time (hung)
    };
    // Gives `path` (absolute, or empty) to the running instance, waiting at most AnswerWait()
    // milliseconds in all for it to answer.
    HandOverResult HandOver(const QString& path);
    // Makes this process the running instance. False when another instance answers on the
    // channel (it started in the meantime) or the channel cannot be opened.
    bool Listen();
    // The one wait of a second start for the running instance's answer.
    int AnswerWait() const { return m_waitMs; }
    void SetAnswerWait(int ms) { m_waitMs = ms; }
    bool IsListening() const;

Q_SIGNALS:
    // A second start handed this file over (empty when it was started without one).
    void fileReceived(const QString& path);

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
    int m_waitMs = 2000;
};
