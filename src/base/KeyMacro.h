// The program's one keystroke macro: recording key events and planning their playback.
#pragma once

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

// Holds the recorded key events. One macro serves every document and view; it lives in memory
// only and the next recording replaces it. Used from the user-interface thread only.
class CKeyMacro
{
public:
    // One recorded key event, with the Windows virtual-key numbering.
    struct MACROEVENT
    {
        int32_t vkey = 0;
        bool down = false;
        bool operator==(const MACROEVENT&) const = default;
    };

    // One step of a playback: a key message to the view, or a command to run.
    struct Step
    {
        enum Kind { KeyPress, KeyRelease, Command } kind = KeyPress;
        int vkey = 0;    // key steps
        int command = 0; // command steps
        bool ctrl = false, shift = false, alt = false; // modifiers held while the key arrives
        bool operator==(const Step&) const = default;
    };

    // A replayable command and the label of the key the keyboard customisation gives it (empty
    // when it has none), in the order labels are matched.
    using CommandLabel = std::pair<int, QString>;

    // The program's macro.
    static CKeyMacro& Program();

    // 記録/終了: starting a recording discards the previous macro; stopping keeps the events.
    void ToggleRecording();
    bool IsRecording() const { return m_macroRecording; }
    // 再生 is possible: not recording and something recorded.
    bool CanPlay() const { return !m_macroRecording && !m_macroEvents.empty(); }
    const std::vector<MACROEVENT>& Events() const { return m_macroEvents; }

    // Hooks of the hex view's key handling. A release is kept only once the macro holds an
    // event, so the release of a key pressed before the recording started is left out.
    void OnKeyPress(int vkey);
    void OnKeyRelease(int vkey);

    // The replayable commands in matching order, for the labels of the current keys.
    static const std::vector<int>& ReplayableCommands();

    // What playing `events` does: modifier keys follow their state and go to the view as keys;
    // other keys whose label ("Ctrl+Shift+Alt+" name) equals a command's label run that command
    // (the macro commands themselves are skipped), the rest go to the view as keys; modifiers
    // still down at the end are released (Ctrl, Shift, Alt).
    static std::vector<Step> PlanPlayback(const std::vector<MACROEVENT>& events,
                                          const std::vector<CommandLabel>& labels);

private:
    bool m_macroRecording = false;
    std::vector<MACROEVENT> m_macroEvents;
};
