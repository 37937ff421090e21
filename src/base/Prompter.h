// The one road by which core operations ask the user a question or report an error.
#pragma once

#include <QString>

enum class PromptIcon { Error, Warning, Information, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// The UI implements this with message boxes; tests implement it with scripted answers.
// Calls come from the user-interface thread only.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Show(const QString& text, const QString& caption, PromptButtons buttons,
                              PromptIcon icon) = 0;

    // The prompter in use; a silent one that answers Cancel/No until a real one is installed.
    static Prompter& Current();
    // Installs `prompter` (not owned; null restores the silent default) and returns the previous one.
    static Prompter* Install(Prompter* prompter);

    // "エラー" box with the error icon and an OK button.
    static void ShowError(const QString& text);
};
