#include "store/ui/StorePrompt.h"

#include "store/ui/frmPassword.h"
#include "store/ui/frmPathSelect.h"

std::optional<QString> StorePrompt::password(const QString &cabinetName)
{
    return frmPassword::ask(boxParent(), cabinetName);
}

std::optional<QString> StorePrompt::chooseFolder(const QString &startPath)
{
    QString path = startPath;
    if (!frmPathSelect::SelectPath(boxParent(), path))
        return std::nullopt;
    return path;
}
