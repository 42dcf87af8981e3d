#include "core/RunState.h"

#include <QList>

#include "core/Progress.h"
#include "platform/DbConnection.h"

namespace {

QList<std::function<void()>> &resets()
{
    static QList<std::function<void()>> list;
    return list;
}

} // namespace

namespace RunState {

void forgetAll()
{
    Progress::setProgressCancelled(false);
    DbConnection::failAfterStatements(0);
    // A copy: a reset may touch a state for the first time, which adds its
    // own reset to the list.
    const QList<std::function<void()>> registered = resets();
    for (const std::function<void()> &reset : registered)
        reset();
}

void addReset(std::function<void()> reset)
{
    resets().append(std::move(reset));
}

} // namespace RunState
