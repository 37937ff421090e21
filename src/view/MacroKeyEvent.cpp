// Key events of the keystroke macro: virtual-key numbers of Qt events, recording and replay.
#include "view/MacroKeyEvent.h"

#include "base/KeyMacro.h"
#include "base/MacroKeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

int MacroVirtualKey(const QKeyEvent* e)
{
    NativeKey native;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("windows")) {
        native.windowsVirtualKey = static_cast<int>(e->nativeVirtualKey());
    } else if ((platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
               && e->nativeScanCode() > 8) {
        // X and Wayland key codes are the Linux input codes plus 8.
        native.evdevCode = static_cast<int>(e->nativeScanCode()) - 8;
    }
    return VirtualKeyFromQtKey(e->key(), e->modifiers() & Qt::KeypadModifier, native);
}

void RecordMacroKey(const QKeyEvent* e)
{
    CKeyMacro& macro = CKeyMacro::Program();
    if (!macro.IsRecording())
        return;
    const int vkey = MacroVirtualKey(e);
    if (vkey == 0)
        return;
    if (e->type() == QEvent::KeyPress)
        macro.OnKeyPress(vkey);
    else if (e->type() == QEvent::KeyRelease && !e->isAutoRepeat())
        macro.OnKeyRelease(vkey);
}

void SendMacroKey(QObject* target, int vkey, bool down, bool ctrl, bool shift, bool alt)
{
    const QtKeyOfVirtualKey k = QtKeyFromVirtualKey(vkey);
    Qt::KeyboardModifiers mods;
    if (ctrl)
        mods |= Qt::ControlModifier;
    if (shift)
        mods |= Qt::ShiftModifier;
    if (alt)
        mods |= Qt::AltModifier;
    if (k.keypad)
        mods |= Qt::KeypadModifier;
    QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, k.key ? k.key : Qt::Key_unknown, mods,
                static_cast<quint32>(0), static_cast<quint32>(vkey), static_cast<quint32>(0));
    QCoreApplication::sendEvent(target, &e);
}
