#include "NavCommandHost.h"

#include "Guard.h"
#include "Prompt.h"

namespace NavCommandSteps {

bool confirmDelete(const QString &name)
{
    return Prompt::instance().questionYesNoCancel(QStringLiteral("Delete '%1'?").arg(name)) == Prompt::Answer::Yes;
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
