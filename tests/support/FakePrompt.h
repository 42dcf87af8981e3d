#pragma once

#include "Prompt.h"

#include <QStringList>

// Records every message and answers questions from a script, so commands
// can be driven offscreen. Installs itself for its lifetime.
class FakePrompt : public Prompt
{
public:
    FakePrompt();
    ~FakePrompt() override;

    void message(const QString &text, const QString &title = QString()) override;
    void error(const QString &text) override;
    bool question(const QString &text, const QString &title = QString()) override;
    std::optional<QString> password(const QString &cabinetName) override;

    QStringList messages;        // message() and error() texts, in order
    QStringList questions;       // question texts, in order
    QList<bool> answers;         // answers to the next questions (default No)
    QList<std::optional<QString>> passwords;  // replies to the password prompt
    int passwordPrompts = 0;

};
