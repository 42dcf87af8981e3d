#pragma once

#include "core/Prompt.h"

class QWidget;

// The prompt interface as message boxes, input boxes and the file dialogs
// over the active window; during a long operation over its progress window,
// above which they open. The cabinet password prompt and the folder chooser
// are the filing store's own windows, which this library cannot see: its
// subclass StorePrompt (store/ui) shows them, and is the one the programs
// install.
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
    std::optional<QString> openFileName(const QString &title, const QString &folder,
                                        const QString &filter) override;
    std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                        const QString &filter) override;

    // The window a box opens over: the progress window shown last during a
    // long operation, else the active window.
    static QWidget *boxParent();
};
