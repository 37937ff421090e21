// The main frame's macro commands: 記録/終了 and 再生 into the active view.
#include "app/MainFrame.h"

#include "base/KeyMacro.h"
#include "view/MacroKeyEvent.h"
#include "base/MacroKeys.h"
#include "view/QuorvaneView.h"

#include <QPointer>

std::vector<CKeyMacro::CommandLabel> CMainFrame::MacroCommandLabels() const
{
    std::vector<CKeyMacro::CommandLabel> labels;
    for (int id : CKeyMacro::ReplayableCommands()) {
        QString label;
        const QList<QKeySequence> keys = m_keys.Keys(id);
        if (!keys.isEmpty() && keys.front().count() > 0) {
            const QKeyCombination combo = keys.front()[0];
            const Qt::KeyboardModifiers mods = combo.keyboardModifiers();
            const int vkey = VirtualKeyFromQtKey(combo.key(), mods & Qt::KeypadModifier);
            label = MacroKeyLabel(vkey, mods & Qt::ControlModifier, mods & Qt::ShiftModifier,
                                  mods & Qt::AltModifier);
        }
        labels.emplace_back(id, label);
    }
    return labels;
}

void CMainFrame::ToggleMacroRecording()
{
    CKeyMacro::Program().ToggleRecording();
    UpdateCommandUI();
}

void CMainFrame::PlayMacro()
{
    CKeyMacro& macro = CKeyMacro::Program();
    if (!macro.CanPlay())
        return;
    QPointer<CQuorvaneView> view = ActiveView();
    if (!view)
        return;
    // The plan is fixed before the first event, as the labels are; each step is handled fully
    // before the next. A view that closes on the way ends the playback.
    const std::vector<CKeyMacro::Step> steps = CKeyMacro::PlanPlayback(macro.Events(), MacroCommandLabels());
    for (const CKeyMacro::Step& s : steps) {
        if (!view)
            break;
        if (s.kind == CKeyMacro::Step::Command)
            ExecuteCommand(s.command);
        else
            SendMacroKey(view, s.vkey, s.kind == CKeyMacro::Step::KeyPress, s.ctrl, s.shift, s.alt);
    }
    UpdateCommandUI();
}
