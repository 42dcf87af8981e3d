#include "core/Prompt.h"

#include <QDebug>

namespace {

// Used when no window is there to ask: refuses everything and logs.
class SilentPrompt : public Prompt
{
public:
    void message(const QString &text, const QString &) override { qInfo().noquote() << text; }
    void warning(const QString &text, const QString &) override { qWarning().noquote() << text; }
    void error(const QString &text) override { qWarning().noquote() << text; }
    bool question(const QString &, const QString &) override { return false; }
    Answer questionYesNoCancel(const QString &, const QString &) override { return Answer::Cancel; }
    DiskAnswer insertDisk(const QString &) override { return DiskAnswer::Cancel; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> password(const QString &) override { return std::nullopt; }
    std::optional<QString> chooseFolder(const QString &) override { return std::nullopt; }
    std::optional<QString> openFileName(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
};

Prompt *g_prompt = nullptr;

} // namespace

Prompt &Prompt::instance()
{
    static SilentPrompt silent;
    return g_prompt ? *g_prompt : silent;
}

void Prompt::setInstance(Prompt *prompt)
{
    g_prompt = prompt;
}
