#include "tests/support/FakePrompt.h"

FakePrompt::FakePrompt()
{
    Prompt::setInstance(this);
}

FakePrompt::~FakePrompt()
{
    Prompt::setInstance(nullptr);
}

std::optional<QString> FakePrompt::next(QList<std::optional<QString>> &replies)
{
    return replies.isEmpty() ? std::nullopt : replies.takeFirst();
}

void FakePrompt::message(const QString &text, const QString &)
{
    messages.append(text);
    kinds.append(Kind::Message);
}

void FakePrompt::warning(const QString &text, const QString &)
{
    messages.append(text);
    kinds.append(Kind::Warning);
}

void FakePrompt::error(const QString &text)
{
    messages.append(text);
    kinds.append(Kind::Error);
}

bool FakePrompt::question(const QString &text, const QString &)
{
    questions.append(text);
    return answers.isEmpty() ? false : answers.takeFirst();
}

Prompt::Answer FakePrompt::questionYesNoCancel(const QString &text, const QString &)
{
    questions.append(text);
    return answers3.isEmpty() ? Answer::Cancel : answers3.takeFirst();
}

Prompt::DiskAnswer FakePrompt::insertDisk(const QString &text)
{
    questions.append(text);
    return diskAnswers.isEmpty() ? DiskAnswer::Cancel : diskAnswers.takeFirst();
}

std::optional<QString> FakePrompt::input(const QString &text, const QString &, const QString &)
{
    questions.append(text);
    return next(inputs);
}

std::optional<QString> FakePrompt::password(const QString &cabinetName)
{
    ++passwordPrompts;
    passwordCabinets.append(cabinetName);
    return next(passwords);
}

std::optional<QString> FakePrompt::chooseFolder(const QString &startPath)
{
    folderStarts.append(startPath);
    return next(folders);
}

std::optional<QString> FakePrompt::openFileName(const QString &, const QString &, const QString &)
{
    return next(fileNames);
}

std::optional<QString> FakePrompt::saveFileName(const QString &, const QString &, const QString &)
{
    return next(fileNames);
}
