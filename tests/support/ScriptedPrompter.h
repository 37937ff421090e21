// A prompter for tests: answers from a script and records every question asked.
#pragma once

#include "base/Prompter.h"

#include <QString>
#include <QStringList>
#include <deque>

struct ScriptedPrompter final : Prompter
{
    struct Asked { QString text; QString caption; PromptButtons buttons; PromptIcon icon; };

    std::deque<PromptAnswer> answers; // consumed in order; when empty, the box is "closed" (Cancel/No/Ok)
    std::vector<Asked> asked;
    Prompter* previous = nullptr;

    ScriptedPrompter() { previous = Prompter::Install(this); }
    ~ScriptedPrompter() override { Prompter::Install(previous); }

    PromptAnswer Show(const QString& text, const QString& caption, PromptButtons buttons,
                      PromptIcon icon) override
    {
        asked.push_back({text, caption, buttons, icon});
        if (!answers.empty()) {
            PromptAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
        case PromptButtons::Ok: return PromptAnswer::Ok;
        case PromptButtons::YesNo: return PromptAnswer::No;
        default: return PromptAnswer::Cancel;
        }
    }

    QString LastText() const { return asked.empty() ? QString() : asked.back().text; }
};
