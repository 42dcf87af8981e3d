#include "store/NodeKeys.h"

namespace NodeKeys {

std::optional<RecordKey> parseKey(const QString &key)
{
    const std::optional<RecordLevel> level = Schema::levelOfPrefix(QStringView(key).left(3));
    const QStringView digits = QStringView(key).mid(3);
    if (!level || digits.isEmpty())
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
    return RecordKey{*level, id};
}

std::optional<RecordLevel> levelOf(const QString &key)
{
    const std::optional<RecordKey> parsed = parseKey(key);
    if (!parsed)
        return std::nullopt;
    return parsed->level;
}

bool isKeyOf(RecordLevel level, const QString &key)
{
    const std::optional<RecordLevel> found = levelOf(key);
    return found && *found == level;
}

} // namespace NodeKeys
