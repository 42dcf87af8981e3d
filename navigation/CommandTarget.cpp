#include "navigation/CommandTarget.h"

#include "core/RecordId.h"
#include "store/NodeKeys.h"

RecordId CommandTarget::id() const
{
    const std::optional<NodeKeys::NodeKey> parsed = NodeKeys::parseKey(key);
    return parsed ? parsed->id : 0;
}

QString CommandTarget::prefix() const
{
    return NodeKeys::typeOf(key);
}

namespace {

CommandTarget fromCurrent(const TargetInputs &in)
{
    return {in.currentKey, in.currentName, in.popupSource};
}

CommandTarget fromTree(const TargetInputs &in)
{
    return {in.treeKey, in.treeText, QStringLiteral("T")};
}

CommandTarget fromList(const TargetInputs &in)
{
    return {in.listKey, in.listText, QStringLiteral("L")};
}

} // namespace

namespace CommandTargets {

CommandTarget listUnlessTree(const TargetInputs &in)
{
    if (in.currentId != -1)
        return fromCurrent(in);
    return in.popupSource == QLatin1String("T") ? fromTree(in) : fromList(in);
}

CommandTarget treeUnlessList(const TargetInputs &in)
{
    if (in.currentId != -1)
        return fromCurrent(in);
    return in.popupSource == QLatin1String("L") ? fromList(in) : fromTree(in);
}

} // namespace CommandTargets
