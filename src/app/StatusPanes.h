// The status bar's five panes: message, file size, NUM, typing mode, direct edit indicator.
#pragma once

#include <QStatusBar>
#include <array>
#include <optional>

class QKeyEvent;
class QLabel;

class CStatusPanes : public QStatusBar
{
    Q_OBJECT

public:
    explicit CStatusPanes(QWidget* parent = nullptr);

    // The text a pane shows (pane 0: the menu prompt while one shows, else the idle text).
    QString PaneText(int index) const;
    int PaneWidth(int index) const;
    // Sets a pane's text and makes it as wide as the text plus `extra` pixels.
    void SetPaneText(int index, const QString& text, int extra);
    // Pane 1: the file size text, 3 pixels of room.
    void SetFileSize(uint64_t size);
    // Pane 4: always "直接編集", black while on, grey while off.
    void SetDirectEdit(bool on);
    bool DirectEditOn() const { return m_directEdit; }
    // Pane 2: "NUM" while NumLock is on, nothing while it is off; the pane keeps its width.
    void SetNumLock(bool on);
    // The NumLock state a key event tells, where the platform tells it: under X11 the event
    // carries the modifier state from before the key (Mod2 is NumLock), under Windows the key's
    // toggle state is asked. Elsewhere nothing is known and the pane keeps "NUM".
    static std::optional<bool> NumLockFromKeyEvent(const QKeyEvent& event);
    // The message pane's text when no prompt is due.
    void SetIdleText(const QString& text);
    // No document is open: the file size and typing mode panes empty, 直接編集 grey, as at start.
    void ShowNoDocument();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLabel*, 5> m_panes{};
    bool m_directEdit = false;
};
