#pragma once

#include "store/Prompt.h"

// The prompt interface as message boxes, input boxes, the folder chooser
// and the file dialogs over the active window; during a long operation
// over its progress window, above which they open.
class WidgetPrompt : public Prompt
{
public:
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
};
