#pragma once

#include <QString>

#include <optional>

// Every message box and small question of the program goes through this
// interface, so that tests can answer them offscreen. The running program
// installs the widget implementation; tests install a scripted one.
class Prompt
{
public:
    virtual ~Prompt() = default;

    // A message with an OK button. An empty title shows the product title.
    virtual void message(const QString &text, const QString &title = QString()) = 0;
    // A warning about a failure ("Error # ..."), OK button.
    virtual void error(const QString &text) = 0;
    // Yes/No; true for Yes.
    virtual bool question(const QString &text, const QString &title = QString()) = 0;
    // The cabinet password prompt; nullopt for Cancel or a closed window.
    virtual std::optional<QString> password(const QString &cabinetName) = 0;

    // The installed prompt. Without one, messages are logged and questions
    // answered No / Cancel.
    static Prompt &instance();
    static void setInstance(Prompt *prompt);
};
