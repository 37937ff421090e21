// Recording and playback planning of the keystroke macro.
#include "base/KeyMacro.h"

#include "base/CommandIds.h"
#include "base/MacroKeys.h"

CKeyMacro& CKeyMacro::Program()
{
    static CKeyMacro macro;
    return macro;
}

void CKeyMacro::ToggleRecording()
{
    if (!m_macroRecording)
        std::vector<MACROEVENT>().swap(m_macroEvents); // frees the old macro's storage
    m_macroRecording = !m_macroRecording;
}

void CKeyMacro::OnKeyPress(int vkey)
{
    if (m_macroRecording)
        m_macroEvents.push_back({vkey, true});
}

void CKeyMacro::OnKeyRelease(int vkey)
{
    if (m_macroRecording && !m_macroEvents.empty())
        m_macroEvents.push_back({vkey, false});
}

const std::vector<int>& CKeyMacro::ReplayableCommands()
{
    static const std::vector<int> ids = {
        ID_EDIT_CUT, ID_EDIT_COPY, ID_COPY_AS_TEXT, ID_EDIT_PASTE,
        ID_BOOKMARK, ID_BOOKMARK_PREV, ID_BOOKMARK_NEXT, ID_BOOKMARK_CLEAR,
        ID_DIFF_PREV, ID_DIFF_NEXT, ID_DIFF_END, ID_SELECT_ALL, ID_EDIT_LOCK,
        ID_EDIT_REDO, ID_EDIT_UNDO, ID_JUMP_TOP, ID_ADDRESS_JUMP, ID_JUMP_END,
        ID_SEARCH, ID_SEARCH_NEXT, ID_SEARCH_PREV, ID_REPLACE, ID_MACRO_RECORD, ID_MACRO_PLAY,
    };
    return ids;
}

std::vector<CKeyMacro::Step> CKeyMacro::PlanPlayback(const std::vector<MACROEVENT>& events,
                                                     const std::vector<CommandLabel>& labels)
{
    std::vector<Step> steps;
    bool ctrl = false, shift = false, alt = false;
    auto key = [&](const MACROEVENT& e) {
        steps.push_back({e.down ? Step::KeyPress : Step::KeyRelease, e.vkey, 0, ctrl, shift, alt});
    };
    for (const MACROEVENT& e : events) {
        if (e.vkey == VK_MACRO_CONTROL || e.vkey == VK_MACRO_SHIFT || e.vkey == VK_MACRO_MENU) {
            (e.vkey == VK_MACRO_CONTROL ? ctrl : e.vkey == VK_MACRO_SHIFT ? shift : alt) = e.down;
            key(e);
            continue;
        }
        // An empty label (a key without a name) matches nothing, also not the commands that
        // have no key.
        const QString label = MacroKeyLabel(e.vkey, ctrl, shift, alt);
        int matched = 0;
        if (!label.isEmpty()) {
            for (const CommandLabel& l : labels) {
                if (l.second == label) {
                    matched = l.first;
                    break;
                }
            }
        }
        if (!matched) {
            key(e);
        } else if (matched != ID_MACRO_RECORD && matched != ID_MACRO_PLAY) {
            steps.push_back({Step::Command, e.vkey, matched, ctrl, shift, alt});
        }
    }
    // Held modifiers are let go at the end, Ctrl first.
    if (ctrl) {
        ctrl = false;
        key({VK_MACRO_CONTROL, false});
    }
    if (shift) {
        shift = false;
        key({VK_MACRO_SHIFT, false});
    }
    if (alt) {
        alt = false;
        key({VK_MACRO_MENU, false});
    }
    return steps;
}
