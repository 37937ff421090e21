// The progress window of a folder search: a moving bar and 中止.
#pragma once

#include <QDialog>
#include <functional>

class QProgressBar;
class QPushButton;

// Modeless, without a title. 中止 calls the stop action (the search's stop flag), stops the bar
// and hides the window; the search then ends by itself and reports what it found.
class CProgressBar : public QDialog
{
    Q_OBJECT

public:
    explicit CProgressBar(QWidget* parent = nullptr);

    // Shows the window centred over `over` with the bar moving; 中止 calls `stop`.
    void Begin(QWidget* over, std::function<void()> stop);
    // The search ended: the bar stops and the window hides.
    void End();

    QPushButton* StopButton() const { return m_stopButton; }
    bool IsMoving() const;

protected:
    void reject() override; // Esc acts as 中止

private:
    void OnStop();

    QProgressBar* m_bar = nullptr;
    QPushButton* m_stopButton = nullptr;
    std::function<void()> m_stop;
};
