#include "store/RunState.h"

#include <QList>

#include "platform/DbConnection.h"
#include "store/DrawerTemplates.h"
#include "store/Passwords.h"
#include "store/Progress.h"

namespace {

QList<std::function<void()>> &resets()
{
    static QList<std::function<void()>> list;
    return list;
}

} // namespace

namespace RunState {

void Reset()
{
    Passwords::UnlockedCabinets().clear();
    Progress::SetProgressCancelled(false);
    DbConnection::failAfterStatements(0);
    // Reread from the data folder now in use; none there gives no names.
    DrawerTemplates::LoadDrawerTemplateNames();
    // A copy: a reset may touch a state for the first time, which adds its
    // own reset to the list.
    const QList<std::function<void()>> registered = resets();
    for (const std::function<void()> &reset : registered)
        reset();
}

void AddReset(std::function<void()> reset)
{
    resets().append(std::move(reset));
}

} // namespace RunState
