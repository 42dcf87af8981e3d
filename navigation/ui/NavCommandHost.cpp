#include "NavCommandHost.h"

#include "Guard.h"
#include "NavKeys.h"
#include "NavQueries.h"
#include "NavRules.h"
#include "Passwords.h"
#include "Prompt.h"

namespace NavCommandSteps {

bool confirmDelete(const QString &name)
{
    return Prompt::instance().questionYesNoCancel(QStringLiteral("Delete '%1'?").arg(name)) == Prompt::Answer::Yes;
}

bool targetIsOfKind(const CommandTarget &target, const QString &kind)
{
    if (target.prefix() == kind)
        return true;
    static const QHash<QString, QString> names = {{NavKeys::Cabinet, QStringLiteral("cabinet")},
                                                  {NavKeys::Drawer, QStringLiteral("drawer")},
                                                  {NavKeys::Folder, QStringLiteral("folder")},
                                                  {NavKeys::Document, QStringLiteral("document")}};
    Prompt::instance().warning(QStringLiteral("Please click on a %1.").arg(names.value(kind)));
    return false;
}

bool mayWorkIn(const QString &key, const QString &name)
{
    if (!NavQueries::recordExists(key)) {
        Prompt::instance().warning(QStringLiteral("'%1' no longer exists.").arg(name));
        return false;
    }
    const int cabinet = NavRules::cabinetOf(key);
    return cabinet > 0 && Passwords::UnlockCabinet(cabinet);
}

void openDialogOnTarget(NavCommandHost &host, const QString &kind, bool treeUnlessList,
                        bool (*dialog)(QWidget *, int))
{
    const CommandTarget target = host.commandTarget(kind, treeUnlessList);
    if (targetIsOfKind(target, kind)) {
        guard([&] {
            if (mayWorkIn(target.key, target.name))
                dialog(host.dialogParent(), target.id());
        });
    }
    host.returnFocus();
}

} // namespace NavCommandSteps
