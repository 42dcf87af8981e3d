#pragma once

#include "Prompt.h"

class QWidget;

// The prompt interface as message boxes over the active window.
class WidgetPrompt : public Prompt
{
public:
    void message(const QString &text, const QString &title = QString()) override;
    void error(const QString &text) override;
    bool question(const QString &text, const QString &title = QString()) override;
    std::optional<QString> password(const QString &cabinetName) override;
};
