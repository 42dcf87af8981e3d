#include "store/Outline.h"

#include "store/NameChars.h"
#include "store/TextFile.h"

namespace Outline {

QList<Entry> parse(const QString &text, const QStringList &kinds, Reading reading)
{
    QList<Entry> top;
    // open[n]: the last entry of level n may take children.
    QList<bool> open(kinds.size(), false);
    for (const QString &line : TextFile::splitLines(text)) {
        QString kind;
        QString value;
        if (reading == Reading::Trimmed) {
            const TextFile::Entry entry = TextFile::entryOf(line);
            kind = entry.kind;
            value = entry.value;
        } else {
            kind = line.left(3).toUpper();
            value = line.mid(4);
        }
        const int level = kinds.indexOf(kind);
        if (level < 0 || (level > 0 && !open.at(level - 1)))
            continue;
        QList<Entry> *siblings = &top;
        for (int n = 0; n < level; ++n)
            siblings = &siblings->last().children;
        siblings->append({value, {}});
        for (int n = level; n < open.size(); ++n)
            open[n] = n == level;
    }
    return top;
}

std::optional<Entry> find(const QList<Entry> &entries, const QString &name)
{
    for (const Entry &entry : entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
}

QString cleanName(const QString &name)
{
    return TextFile::trimSpaces(NameChars::StripInvalidNameChars(name));
}

std::optional<QString> nameTooLong(const QList<Entry> &entries, int maxLength)
{
    for (const Entry &entry : entries) {
        const QString name = cleanName(entry.name);
        if (name.size() > maxLength)
            return name;
        if (std::optional<QString> below = nameTooLong(entry.children, maxLength))
            return below;
    }
    return std::nullopt;
}

} // namespace Outline
