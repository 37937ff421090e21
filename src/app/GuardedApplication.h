// The program's QApplication: no exception leaves an event handler.
#pragma once

#include <QApplication>
#include <QString>

// Every event goes through notify(); an exception thrown by a handler (a failed allocation, a
// failed lookup) is caught there instead of ending the program with its unsaved edits. The user
// sees one error box after the current event (never inside a paint), and the event counts as not
// handled. Commands make their allocations before they change a document, so a command that
// fails this way leaves the document as it was.
class CGuardedApplication : public QApplication
{
    Q_OBJECT

public:
    CGuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Exceptions caught so far.
    int CaughtCount() const { return m_caught; }
    // The text the user is shown for a caught exception.
    static QString FailureText(const std::exception* e);

private:
    void ReportLater(const QString& text);

    int m_caught = 0;
    bool m_reportPending = false;
    bool m_reporting = false;
};
