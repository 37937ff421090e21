// The program's QApplication: exceptions from event handlers become one error box.
#include "app/GuardedApplication.h"

#include "base/Prompter.h"

#include <QTimer>
#include <exception>
#include <new>

CGuardedApplication::CGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString CGuardedApplication::FailureText(const std::exception* e)
{
    if (dynamic_cast<const std::bad_alloc*>(e))
        return QStringLiteral("メモリが不足しています。");
    const QString detail = e ? QString::fromLocal8Bit(e->what()) : QString();
    return detail.isEmpty() ? QStringLiteral("内部エラーのため操作を中止しました。")
                            : QStringLiteral("内部エラーのため操作を中止しました。\n(%1)").arg(detail);
}

bool CGuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ++m_caught;
        ReportLater(FailureText(&e));
    } catch (...) {
        ++m_caught;
        ReportLater(FailureText(nullptr));
    }
    return false;
}

void CGuardedApplication::ReportLater(const QString& text)
{
    // One box for a run of failures (a handler that fails on every paint): nothing more is queued
    // while one is waiting or open.
    if (m_reportPending || m_reporting)
        return;
    m_reportPending = true;
    QTimer::singleShot(0, this, [this, text] {
        m_reportPending = false;
        m_reporting = true;
        Prompter::ShowError(text);
        m_reporting = false;
    });
}
