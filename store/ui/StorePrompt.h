#pragma once

#include "core/ui/WidgetPrompt.h"

// The prompt the programs install: the widget prompt, whose cabinet password
// prompt is frmPassword and whose folder chooser is frmPathSelect, both over
// the same window as its boxes.
class StorePrompt : public WidgetPrompt
{
public:
    std::optional<QString> password(const QString &cabinetName) override;
    std::optional<QString> chooseFolder(const QString &startPath = QString()) override;
};
