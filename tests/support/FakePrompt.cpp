#include "FakePrompt.h"

FakePrompt::FakePrompt()
{
    Prompt::setInstance(this);
}

FakePrompt::~FakePrompt()
{
    Prompt::setInstance(nullptr);
}

void FakePrompt::message(const QString &text, const QString &)
{
    messages.append(text);
}

void FakePrompt::error(const QString &text)
{
    messages.append(text);
}

bool FakePrompt::question(const QString &text, const QString &)
{
    questions.append(text);
    return answers.isEmpty() ? false : answers.takeFirst();
}

std::optional<QString> FakePrompt::password(const QString &)
{
    ++passwordPrompts;
    return passwords.isEmpty() ? std::nullopt : passwords.takeFirst();
}
