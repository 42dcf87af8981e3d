#include "store/NodeKeys.h"

#include <array>

namespace {

struct KeyType
{
    const QString *type;
    std::optional<RecordLevel> level;
};

// The types a three-letter prefix names. The constants are shared, so a
// key read hands out no new string.
const std::array<KeyType, 9> &keyTypes()
{
    static const std::array<KeyType, 9> types = {{
        {&NodeKeys::Cabinet, RecordLevel::Cabinet},
        {&NodeKeys::Drawer, RecordLevel::Drawer},
        {&NodeKeys::Folder, RecordLevel::Folder},
        {&NodeKeys::Document, RecordLevel::Document},
        {&NodeKeys::Page, RecordLevel::Page},
        {&NodeKeys::FoundCabinet, std::nullopt},
        {&NodeKeys::FoundDrawer, std::nullopt},
        {&NodeKeys::FoundFolder, std::nullopt},
        {&NodeKeys::FoundDocument, std::nullopt},
    }};
    return types;
}

} // namespace

namespace NodeKeys {

std::optional<NodeKey> parseKey(const QString &key)
{
    if (key.compare(Root, Qt::CaseInsensitive) == 0)
        return NodeKey{Root, 0, std::nullopt};
    if (key.compare(RootFound, Qt::CaseInsensitive) == 0)
        return NodeKey{RootFound, 0, std::nullopt};
    const QStringView prefix = QStringView(key).left(3);
    const QStringView digits = QStringView(key).mid(3);
    if (digits.isEmpty())
        return std::nullopt;
    const KeyType *type = nullptr;
    for (const KeyType &candidate : keyTypes()) {
        if (prefix.compare(*candidate.type, Qt::CaseInsensitive) == 0) {
            type = &candidate;
            break;
        }
    }
    if (!type)
        return std::nullopt;
    // toLongLong alone would take a sign or surrounding blanks.
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const RecordId id = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return NodeKey{*type->type, id, type->level};
}

QString typeOf(const QString &key)
{
    const std::optional<NodeKey> parsed = parseKey(key);
    return parsed ? parsed->type : QString();
}

std::optional<RecordId> idOfType(const QString &key, const QString &type)
{
    const std::optional<NodeKey> parsed = parseKey(key);
    if (!parsed || parsed->type != type)
        return std::nullopt;
    return parsed->id;
}

std::optional<RecordLevel> levelOf(const QString &key)
{
    const std::optional<NodeKey> parsed = parseKey(key);
    return parsed ? parsed->level : std::nullopt;
}

bool isKeyOf(RecordLevel level, const QString &key)
{
    const std::optional<RecordLevel> found = levelOf(key);
    return found && *found == level;
}

} // namespace NodeKeys
