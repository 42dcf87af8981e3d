#include "Renames.h"

#include "Common.h"
#include "DbConnection.h"
#include "NavKeys.h"

using namespace NavKeys;

namespace {

struct Level
{
    const char *table;
    const char *idColumn;
    const char *parentColumn;  // nullptr: unique across the whole table
    const char *duplicateMessage;
};

const Level kCabinet{"Cabinet", "CabinetId", nullptr, "A file cabinet named '%1' already exists."};
const Level kDrawer{"Drawer", "DrawerId", "CabinetId", "A drawer named '%1' already exists."};
const Level kFolder{"Folder", "FolderId", "DrawerId", "A folder named '%1' already exists."};

// Another row of the same scope has the name, compared without regard to
// case for every alphabet (SQLite's NOCASE folds ASCII only).
bool nameTaken(const Level &level, int id, const QString &name)
{
    QString sql = QStringLiteral("SELECT Name FROM %1 WHERE %2 <> ?").arg(QLatin1String(level.table),
                                                                        QLatin1String(level.idColumn));
    QVariantList binds{id};
    if (level.parentColumn) {
        sql += QStringLiteral(" AND %1 = (SELECT %1 FROM %2 WHERE %3 = ?)")
                   .arg(QLatin1String(level.parentColumn), QLatin1String(level.table),
                        QLatin1String(level.idColumn));
        binds << id;
    }
    const Recordset rs = DbConnection::OpenRecordset(sql, binds);
    for (int i = 0; i < rs.recordCount(); ++i) {
        if (NullToEmpty(rs.value(i, 0)).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

namespace Renames {

QString InvalidCharsMessage()
{
    return QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");
}

Result RenameRecord(const QString &key, const QString &newName)
{
    Result r;
    QString name = newName;
    if (Common::HasInvalidNameChar(name)) {
        r.messages << InvalidCharsMessage();
        name = Common::StripInvalidNameChars(name);
    }
    name = name.trimmed();
    if (name.isEmpty())
        return r;
    const QString prefix = prefixOf(key);
    const int id = idOf(key);
    const Level *level = prefix == Cabinet ? &kCabinet
                         : prefix == Drawer ? &kDrawer
                         : prefix == Folder ? &kFolder
                                            : nullptr;
    if (level) {
        if (nameTaken(*level, id, name)) {
            r.messages << QString::fromLatin1(level->duplicateMessage).arg(name);
            return r;
        }
        DbConnection::Execute(QStringLiteral("UPDATE %1 SET Name = ? WHERE %2 = ?")
                                  .arg(QLatin1String(level->table), QLatin1String(level->idColumn)),
                              {name, id});
    } else if (prefix == Document) {
        DbConnection::Execute(QStringLiteral("UPDATE Document SET Name = ? WHERE DocumentId = ?"), {name, id});
        r.date = DateFromValue(DbConnection::QueryValue(
            QStringLiteral("SELECT DateOnDocument FROM Document WHERE DocumentId = ?"), {id}));
    } else {
        return r;
    }
    r.stored = true;
    r.name = name;
    return r;
}

} // namespace Renames
