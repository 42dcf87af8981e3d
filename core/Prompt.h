#pragma once

#include <QString>

#include <optional>

// Every message box, question, input box and file or folder choice of the
// program goes through this interface, so that tests can answer them
// offscreen. The running program installs the widget implementation; tests
// install a scripted one.
class Prompt
{
public:
    enum class Answer { Yes, No, Cancel };
    // The answers to the next-disk question.
    enum class DiskAnswer { Ok, Cancel, ChooseFolder };

    virtual ~Prompt() = default;

    // A message with an OK button and the information icon. An empty title
    // shows the product title.
    virtual void message(const QString &text, const QString &title = QString()) = 0;
    // A refusal of bad input or of a command that cannot run here: the
    // warning icon, OK button.
    virtual void warning(const QString &text, const QString &title = QString()) = 0;
    // A failure ("Error # ..."), the critical icon, OK button.
    virtual void error(const QString &text) = 0;
    // Yes/No; true for Yes. Closing the box answers No.
    virtual bool question(const QString &text, const QString &title = QString()) = 0;
    // Yes/No/Cancel. Closing the box answers Cancel.
    virtual Answer questionYesNoCancel(const QString &text, const QString &title = QString()) = 0;
    // The question for the next disk of a cabinet spread over several
    // disks: OK, Cancel and "Choose folder…" (a new disk may be mounted at
    // another path). Closing the box answers Cancel.
    virtual DiskAnswer insertDisk(const QString &text) = 0;
    // A one-line input box; nullopt for Cancel.
    virtual std::optional<QString> input(const QString &text, const QString &title = QString(),
                                         const QString &defaultText = QString()) = 0;
    // The cabinet password prompt naming its cabinet; nullopt for Cancel or a
    // closed window.
    virtual std::optional<QString> password(const QString &cabinetName) = 0;
    // The folder chooser, starting at startPath (else its remembered folder);
    // nullopt for Cancel.
    virtual std::optional<QString> chooseFolder(const QString &startPath = QString()) = 0;
    // The file dialogs; filter as "Images (*.jpg *.bmp)". nullopt for Cancel.
    virtual std::optional<QString> openFileName(const QString &title, const QString &folder,
                                                const QString &filter) = 0;
    virtual std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                                const QString &filter) = 0;

    // The installed prompt. Without one, messages are logged and questions
    // answered No / Cancel.
    static Prompt &instance();
    static void setInstance(Prompt *prompt);
};
