#include "NavCommandHost.h"

#include "Guard.h"

namespace NavCommandSteps {

QString deleteQuestion(const QString &name)
{
    return QStringLiteral("Delete '%1'?").arg(name);
}

void openDialogOnTarget(NavCommandHost &host, const QString &kind, bool treeUnlessList,
                        bool (*dialog)(QWidget *, int))
{
    const CommandTarget target = host.commandTarget(kind, treeUnlessList);
    if (target.prefix() == kind)
        guard([&] { dialog(host.dialogParent(), target.id()); });
    host.returnFocus();
}

} // namespace NavCommandSteps
