// The status bar panes and their sizing by text width.
#include "app/StatusPanes.h"

#include "base/FileSizeText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {
const QString kDirectEdit = QStringLiteral("直接編集");
}

CStatusPanes::CStatusPanes(QWidget* parent) : QStatusBar(parent)
{
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        label->setContentsMargins(0, 0, 0, 0);
        m_panes[i] = label;
    }
    // Pane 0 is a normal widget: a menu prompt (a temporary message) covers it, and it shows
    // again when the prompt ends. The others stay beside it on the right.
    m_panes[0]->setMinimumWidth(1);
    addWidget(m_panes[0], 1);
    for (int i = 1; i < 5; ++i) {
        m_panes[i]->setAlignment(Qt::AlignCenter);
        addPermanentWidget(m_panes[i]);
    }
    m_panes[1]->setFixedWidth(5);
    // NumLock is read from the key events the application sees; until the first one the pane
    // shows "NUM".
    SetPaneText(2, QStringLiteral("NUM"), 1);
    qApp->installEventFilter(this);
    ShowNoDocument();
}

void CStatusPanes::ShowNoDocument()
{
    m_panes[1]->setText(QString());
    m_panes[1]->setFixedWidth(5);
    SetPaneText(3, QString(), 1);
    SetDirectEdit(false);
}

QString CStatusPanes::PaneText(int index) const
{
    if (index < 0 || index >= 5)
        return {};
    if (index == 0 && !currentMessage().isEmpty())
        return currentMessage();
    return m_panes[index]->text();
}

int CStatusPanes::PaneWidth(int index) const
{
    return (index >= 0 && index < 5) ? m_panes[index]->width() : 0;
}

void CStatusPanes::SetPaneText(int index, const QString& text, int extra)
{
    if (index < 0 || index >= 5)
        return;
    QLabel* pane = m_panes[index];
    pane->setText(text);
    if (index == 0)
        return; // the message pane takes the room that is left
    const QFontMetrics fm(QApplication::font());
    const QMargins m = pane->contentsMargins();
    pane->setFixedWidth(fm.horizontalAdvance(text) + extra + m.left() + m.right());
}

void CStatusPanes::SetFileSize(uint64_t size)
{
    SetPaneText(1, FormatFileSize(size), 3);
}

void CStatusPanes::SetDirectEdit(bool on)
{
    m_directEdit = on;
    m_panes[4]->setStyleSheet(on ? QStringLiteral("color: #000000;") : QStringLiteral("color: #808080;"));
    SetPaneText(4, kDirectEdit, 1);
}

void CStatusPanes::SetNumLock(bool on)
{
    m_panes[2]->setText(on ? QStringLiteral("NUM") : QString());
}

std::optional<bool> CStatusPanes::NumLockFromKeyEvent(const QKeyEvent& event)
{
#ifdef Q_OS_WIN
    Q_UNUSED(event);
    return (::GetKeyState(VK_NUMLOCK) & 1) != 0;
#else
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    constexpr quint32 kMod2 = 0x10;
    const bool before = (event.nativeModifiers() & kMod2) != 0;
    // NumLock's own press turns the state over after the event was made; its release may still
    // carry the old state (X turns a lock off only when the key goes up) and tells nothing.
    if (event.key() == Qt::Key_NumLock)
        return event.type() == QEvent::KeyPress ? std::optional<bool>(!before) : std::nullopt;
    return before;
#endif
}

bool CStatusPanes::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (const std::optional<bool> on = NumLockFromKeyEvent(*static_cast<QKeyEvent*>(event)))
            SetNumLock(*on);
    }
    return QStatusBar::eventFilter(watched, event);
}

void CStatusPanes::SetIdleText(const QString& text)
{
    m_panes[0]->setText(text);
}
