// The progress window of long work done on the user-interface thread.
#include "view/WorkProgress.h"

#include <QApplication>
#include <QProgressDialog>
#include <algorithm>

namespace {

int g_showDelay = 500;
constexpr int kScale = 1000; // the bar counts in thousandths
constexpr int kEventsEveryMs = 30;

} // namespace

int CWorkProgress::ShowDelay()
{
    return g_showDelay;
}

void CWorkProgress::SetShowDelay(int ms)
{
    g_showDelay = ms;
}

CWorkProgress::CWorkProgress(QWidget* parent, const QString& title, const QString& label)
    : m_parent(parent), m_title(title), m_label(label)
{
    m_clock.start();
    m_sinceEvents.start();
}

CWorkProgress::~CWorkProgress() = default;

QProgressDialog* CWorkProgress::Window() const
{
    return m_dialog.get();
}

bool CWorkProgress::Step(uint64_t done, uint64_t total)
{
    if (m_cancelled)
        return false;
    if (!m_dialog && m_clock.elapsed() >= g_showDelay) {
        m_dialog = std::make_unique<QProgressDialog>(m_label, QStringLiteral("中止"), 0, kScale, m_parent);
        m_dialog->setWindowTitle(m_title);
        m_dialog->setAccessibleName(m_title);
        // Other input waits while the work runs; painting goes on.
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->setValue(0);
        m_dialog->show();
        m_sinceEvents.invalidate();
    }
    if (!m_dialog)
        return true;
    const int value = total ? static_cast<int>(static_cast<double>(done) * kScale / static_cast<double>(total)) : 0;
    if (m_dialog->value() != value)
        m_dialog->setValue(std::min(value, kScale));
    // Events often enough to paint and to hear 中止, not so often that they slow the work.
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= kEventsEveryMs) {
        QApplication::processEvents();
        m_sinceEvents.start();
    }
    m_cancelled = m_dialog->wasCanceled();
    return !m_cancelled;
}
