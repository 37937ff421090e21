// Key events of the keystroke macro: recording what reaches a view, and replaying keys into one.
#pragma once

class QKeyEvent;
class QObject;

// The Windows virtual-key number of a key event (0 when the key has none).
int MacroVirtualKey(const QKeyEvent* e);

// The view's key handling calls this first: while the macro records, the press or release is
// appended (releases of auto-repeat are not, as no key went up).
void RecordMacroKey(const QKeyEvent* e);

// Delivers one key press or release for `vkey` to `target`, synchronously, with the given
// modifiers held and no text.
void SendMacroKey(QObject* target, int vkey, bool down, bool ctrl, bool shift, bool alt);
