// The progress window of long work done on the user-interface thread (saving, searching on disk).
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

// Work that may take more than about half a second calls Step() now and then. Once the work has
// taken ShowDelay() milliseconds a window-modal progress window with 中止 appears over `parent`;
// every Step() lets the windows paint. Step() returns false once 中止 was chosen (or Esc).
class CWorkProgress
{
public:
    CWorkProgress(QWidget* parent, const QString& title, const QString& label);
    ~CWorkProgress(); // the window goes
    CWorkProgress(const CWorkProgress&) = delete;
    CWorkProgress& operator=(const CWorkProgress&) = delete;

    bool Step(uint64_t done, uint64_t total);
    bool WasCancelled() const { return m_cancelled; }
    // The window, once it has appeared (null before).
    QProgressDialog* Window() const;

    // How long work runs before the window appears (ms); tests make it 0.
    static int ShowDelay();
    static void SetShowDelay(int ms);

private:
    QPointer<QWidget> m_parent;
    QString m_title;
    QString m_label;
    QElapsedTimer m_clock;
    QElapsedTimer m_sinceEvents;
    std::unique_ptr<QProgressDialog> m_dialog;
    bool m_cancelled = false;
};
