#pragma once

#include "core/Prompt.h"

#include <QStringList>

// Records every message and answers questions, input boxes and choices from
// a script, so commands can be driven offscreen. Installs itself for its
// lifetime.
class FakePrompt : public Prompt
{
public:
    enum class Kind { Message, Warning, Error };

    FakePrompt();
    ~FakePrompt() override;

    void message(const QString &text, const QString &title = QString()) override;
    void warning(const QString &text, const QString &title = QString()) override;
    void error(const QString &text) override;
    bool question(const QString &text, const QString &title = QString()) override;
    Answer questionYesNoCancel(const QString &text, const QString &title = QString()) override;
    DiskAnswer insertDisk(const QString &text) override;
    std::optional<QString> input(const QString &text, const QString &title = QString(),
                                 const QString &defaultText = QString()) override;
    std::optional<QString> password(const QString &cabinetName) override;
    std::optional<QString> chooseFolder(const QString &startPath = QString()) override;
    std::optional<QString> openFileName(const QString &title, const QString &folder,
                                        const QString &filter) override;
    std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                        const QString &filter) override;

    QStringList messages;        // message(), warning() and error() texts, in order
    QList<Kind> kinds;           // the icon of each of those messages
    QStringList questions;       // question texts of both kinds, in order
    QList<bool> answers;         // answers to the next Yes/No questions (default No)
    QList<Answer> answers3;      // answers to the next Yes/No/Cancel questions (default Cancel)
    QList<DiskAnswer> diskAnswers; // answers to the next-disk questions (default Cancel)
    QList<std::optional<QString>> inputs;     // replies to input boxes (default Cancel)
    QList<std::optional<QString>> passwords;  // replies to the password prompt
    QStringList passwordCabinets;             // the cabinet each password prompt named
    int passwordPrompts = 0;
    QList<std::optional<QString>> folders;    // replies to the folder chooser
    QStringList folderStarts;                 // the start folder each chooser was given
    QList<std::optional<QString>> fileNames;  // replies to the open and save dialogs

private:
    static std::optional<QString> next(QList<std::optional<QString>> &replies);
};
