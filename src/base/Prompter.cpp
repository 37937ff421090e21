// The installed prompter and the silent default used where no window exists.
#include "base/Prompter.h"

#include <atomic>

namespace {

class SilentPrompter final : public Prompter
{
public:
    PromptAnswer Show(const QString&, const QString&, PromptButtons buttons, PromptIcon) override
    {
        switch (buttons) {
        case PromptButtons::Ok: return PromptAnswer::Ok;
        case PromptButtons::OkCancel: return PromptAnswer::Cancel;
        case PromptButtons::YesNo: return PromptAnswer::No;
        case PromptButtons::YesNoCancel: return PromptAnswer::Cancel;
        }
        return PromptAnswer::Cancel;
    }
};

SilentPrompter g_silent;
std::atomic<Prompter*> g_current{nullptr};

} // namespace

Prompter& Prompter::Current()
{
    Prompter* p = g_current.load();
    return p ? *p : g_silent;
}

Prompter* Prompter::Install(Prompter* prompter)
{
    return g_current.exchange(prompter);
}

void Prompter::ShowError(const QString& text)
{
    Current().Show(text, QStringLiteral("エラー"), PromptButtons::Ok, PromptIcon::Error);
}
