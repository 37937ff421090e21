// The prompter of the running program: questions and errors as modal message boxes.
#pragma once

#include "base/Prompter.h"

class QWidget;

class CMessageBoxPrompter final : public Prompter
{
public:
    PromptAnswer Show(const QString& text, const QString& caption, PromptButtons buttons,
                      PromptIcon icon) override;
};
