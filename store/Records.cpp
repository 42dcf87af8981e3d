#include "store/Records.h"

#include <iterator>

#include <QVariant>

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/Database.h"
#include "store/Passwords.h"

using DbConnection::execute;
using DbConnection::OpenRecordset;

namespace {

// A Qt null string binds as SQL Null; a box left empty stores an empty text.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// SQLite's NOCASE folds ASCII letters only, so names are compared here
// with Unicode case folding ("Été" and "éTÉ" are one name). The query
// gives id and Name; the first id whose name matches, else 0.
RecordId idOfName(const QString &sql, const QVariantList &binds, const QString &name)
{
    const Recordset rs = OpenRecordset(sql, binds);
    for (int row = 0; row < rs.recordCount(); ++row) {
        if (NullToEmpty(rs.value(row, 1)).compare(name, Qt::CaseInsensitive) == 0)
            return rs.value(row, 0).toLongLong();
    }
    return 0;
}

const QString kCabinetNames = QStringLiteral("SELECT CabinetId, Name FROM Cabinet WHERE CabinetId <> ?");
const QString kDrawerNames =
    QStringLiteral("SELECT DrawerId, Name FROM Drawer WHERE CabinetId = ? AND DrawerId <> ? ORDER BY DrawerId");
const QString kFolderNames =
    QStringLiteral("SELECT FolderId, Name FROM Folder WHERE DrawerId = ? AND FolderId <> ? ORDER BY FolderId");

// A missing parent is named plainly: "The cabinet no longer exists.", not
// the windows' "file cabinet".
QString parentWord(RecordLevel parent)
{
    return parent == RecordLevel::Cabinet ? QStringLiteral("cabinet") : Schema::label(parent);
}

// "UPDATE Drawer SET Name = ? WHERE DrawerId = ?" for one level's table.
QString updateOneColumn(RecordLevel level, QLatin1StringView column)
{
    return QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
        .arg(Schema::tableName(level), column, Schema::idColumn(level));
}

void checkName(const QString &name)
{
    if (name.size() > Records::MaxNameLength)
        throw AppError(ErrorCode::InvalidValue, Records::nameTooLongMessage(name));
}

// Inside the insert's transaction, so the parent cannot go between the
// test and the row.
void requireParent(RecordLevel parent, RecordId id)
{
    const QVariant found = DbConnection::queryValue(
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(Schema::tableName(parent), Schema::idColumn(parent)), {id});
    if (found.isNull())
        throw AppError(ErrorCode::RecordMissing, QStringLiteral("The %1 no longer exists.").arg(parentWord(parent)));
}

RecordId insertBelow(RecordLevel parent, RecordId id, const QString &sql, const QVariantList &binds)
{
    DbConnection::Transaction tx;
    requireParent(parent, id);
    execute(sql, binds);
    const RecordId newId = DbConnection::lastInsertId();
    tx.commit();
    return newId;
}

} // namespace

namespace Records {

QString nameTooLongMessage(const QString &name)
{
    return QStringLiteral("The name \"%1\" is longer than %2 characters.").arg(name).arg(MaxNameLength);
}

bool cabinetNameExists(const QString &name, RecordId exceptCabinetId)
{
    return idOfName(kCabinetNames, {exceptCabinetId}, name) != 0;
}

bool drawerNameExists(RecordId cabinetId, const QString &name, RecordId exceptDrawerId)
{
    return idOfName(kDrawerNames, {cabinetId, exceptDrawerId}, name) != 0;
}

bool folderNameExists(RecordId drawerId, const QString &name, RecordId exceptFolderId)
{
    return idOfName(kFolderNames, {drawerId, exceptFolderId}, name) != 0;
}

RecordId drawerNamed(RecordId cabinetId, const QString &name)
{
    return idOfName(kDrawerNames, {cabinetId, -1}, name);
}

RecordId folderNamed(RecordId drawerId, const QString &name)
{
    return idOfName(kFolderNames, {drawerId, -1}, name);
}

std::optional<CabinetValues> readCabinet(RecordId cabinetId)
{
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Cabinet WHERE CabinetId = ?"), {cabinetId});
    if (rs.isEmpty())
        return std::nullopt;
    CabinetValues v;
    v.name = NullToEmpty(rs.field(QStringLiteral("Name")));
    v.description = NullToEmpty(rs.field(QStringLiteral("Description")));
    v.password = Passwords::UnscramblePassword(NullToEmpty(rs.field(QStringLiteral("Password"))));
    v.ownStorage = rs.field(QStringLiteral("Storage")).toInt() == 1;
    v.storagePath = NullToEmpty(rs.field(QStringLiteral("StoragePath")));
    return v;
}

QStringList storageFolders()
{
    QStringList folders;
    if (!Database::tableHasColumn(QStringLiteral("Cabinet"), QStringLiteral("StoragePath")))
        return folders;
    const Recordset rs = OpenRecordset(QStringLiteral(
        "SELECT DISTINCT StoragePath FROM Cabinet WHERE Storage = 1 AND TRIM(COALESCE(StoragePath, '')) <> ''"
        " ORDER BY StoragePath"));
    for (int row = 0; row < rs.recordCount(); ++row)
        folders.append(rs.value(row, 0).toString());
    return folders;
}

std::optional<DrawerValues> readDrawer(RecordId drawerId)
{
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Drawer WHERE DrawerId = ?"), {drawerId});
    if (rs.isEmpty())
        return std::nullopt;
    return DrawerValues{rs.field(QStringLiteral("CabinetId")).toLongLong(),
                        NullToEmpty(rs.field(QStringLiteral("Name"))),
                        NullToEmpty(rs.field(QStringLiteral("Description")))};
}

std::optional<FolderValues> readFolder(RecordId folderId)
{
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Folder WHERE FolderId = ?"), {folderId});
    if (rs.isEmpty())
        return std::nullopt;
    return FolderValues{rs.field(QStringLiteral("DrawerId")).toLongLong(),
                        NullToEmpty(rs.field(QStringLiteral("Name"))),
                        NullToEmpty(rs.field(QStringLiteral("Description"))),
                        NullToEmpty(rs.field(QStringLiteral("Email")))};
}

std::optional<DocumentValues> readDocument(RecordId documentId)
{
    const Recordset rs =
        OpenRecordset(QStringLiteral("SELECT * FROM Document WHERE DocumentId = ?"), {documentId});
    if (rs.isEmpty())
        return std::nullopt;
    return DocumentValues{rs.field(QStringLiteral("FolderId")).toLongLong(),
                          NullToEmpty(rs.field(QStringLiteral("Name"))),
                          NullToEmpty(rs.field(QStringLiteral("Description"))),
                          dateFromValue(rs.field(QStringLiteral("DateOnDocument"))),
                          rs.field(QStringLiteral("Amount")).toDouble()};
}

RecordId insertCabinet(const CabinetValues &v)
{
    checkName(v.name);
    execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password], Description, Storage, StoragePath)"
                           " VALUES (?, ?, ?, ?, ?)"),
            {textValue(v.name), textValue(Passwords::ScramblePassword(v.password)), textValue(v.description),
             v.ownStorage ? 1 : 0, textValue(v.storagePath)});
    return DbConnection::lastInsertId();
}

void updateCabinet(RecordId cabinetId, const CabinetValues &v)
{
    checkName(v.name);
    execute(QStringLiteral("UPDATE Cabinet SET Name = ?, [Password] = ?, Description = ?, Storage = ?,"
                           " StoragePath = ? WHERE CabinetId = ?"),
            {textValue(v.name), textValue(Passwords::ScramblePassword(v.password)), textValue(v.description),
             v.ownStorage ? 1 : 0, textValue(v.storagePath), cabinetId});
}

RecordId insertDrawer(const DrawerValues &v)
{
    checkName(v.name);
    return insertBelow(RecordLevel::Cabinet, v.cabinetId,
                       QStringLiteral("INSERT INTO Drawer (CabinetId, Name, Description) VALUES (?, ?, ?)"),
                       {v.cabinetId, textValue(v.name), textValue(v.description)});
}

void updateDrawer(RecordId drawerId, const DrawerValues &v)
{
    checkName(v.name);
    execute(QStringLiteral("UPDATE Drawer SET Name = ?, Description = ? WHERE DrawerId = ?"),
            {textValue(v.name), textValue(v.description), drawerId});
}

RecordId insertFolder(const FolderValues &v)
{
    checkName(v.name);
    return insertBelow(RecordLevel::Drawer, v.drawerId,
                       QStringLiteral("INSERT INTO Folder (DrawerId, Name, Description, Email) VALUES (?, ?, ?, ?)"),
                       {v.drawerId, textValue(v.name), textValue(v.description), textValue(v.email)});
}

void updateFolder(RecordId folderId, const FolderValues &v)
{
    checkName(v.name);
    execute(QStringLiteral("UPDATE Folder SET Name = ?, Description = ?, Email = ? WHERE FolderId = ?"),
            {textValue(v.name), textValue(v.description), textValue(v.email), folderId});
}

RecordId insertDocument(const DocumentValues &v)
{
    checkName(v.name);
    return insertBelow(RecordLevel::Folder, v.folderId,
                       QStringLiteral("INSERT INTO Document (FolderId, Name, Description, DateOnDocument, Amount)"
                                      " VALUES (?, ?, ?, ?, ?)"),
                       {v.folderId, textValue(v.name), textValue(v.description), dateValue(v.dateOnDocument),
                        v.amount});
}

void updateDocument(RecordId documentId, const DocumentValues &v)
{
    checkName(v.name);
    execute(QStringLiteral("UPDATE Document SET Name = ?, Description = ?, DateOnDocument = ?, Amount = ?"
                           " WHERE DocumentId = ?"),
            {textValue(v.name), textValue(v.description), dateValue(v.dateOnDocument), v.amount, documentId});
}

void updateName(RecordLevel level, RecordId id, const QString &name)
{
    checkName(name);
    execute(updateOneColumn(level, QLatin1StringView("Name")), {name, id});
}

namespace {

void moveBelow(RecordLevel parent, RecordId id, const QString &sql, const QVariantList &binds)
{
    DbConnection::Transaction tx;
    requireParent(parent, id);
    execute(sql, binds);
    tx.commit();
}

} // namespace

void moveDrawer(RecordId drawerId, RecordId cabinetId)
{
    moveBelow(RecordLevel::Cabinet, cabinetId,
              QStringLiteral("UPDATE Drawer SET CabinetId = ? WHERE DrawerId = ?"), {cabinetId, drawerId});
}

void moveFolder(RecordId folderId, RecordId drawerId)
{
    moveBelow(RecordLevel::Drawer, drawerId,
              QStringLiteral("UPDATE Folder SET DrawerId = ? WHERE FolderId = ?"), {drawerId, folderId});
}

void moveDocument(RecordId documentId, RecordId folderId)
{
    moveBelow(RecordLevel::Folder, folderId,
              QStringLiteral("UPDATE Document SET FolderId = ? WHERE DocumentId = ?"), {folderId, documentId});
}

void updateDescription(RecordLevel level, RecordId id, const QString &description)
{
    execute(updateOneColumn(level, QLatin1StringView("Description")), {textValue(description), id});
}

void updateDocumentDetails(RecordId documentId, const std::optional<QDate> &date, const QString &description,
                           double amount)
{
    if (date) {
        execute(QStringLiteral("UPDATE Document SET DateOnDocument = ?, Description = ?, Amount = ?"
                               " WHERE DocumentId = ?"),
                {dateValue(*date), textValue(description), amount, documentId});
    } else {
        execute(QStringLiteral("UPDATE Document SET Description = ?, Amount = ? WHERE DocumentId = ?"),
                {textValue(description), amount, documentId});
    }
}

RecordId insertCabinet(const QString &name)
{
    checkName(name);
    // No password: the scramble of the empty text, which is empty.
    execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password]) VALUES (?, ?)"),
            {name, textValue(Passwords::ScramblePassword(QString()))});
    return DbConnection::lastInsertId();
}

RecordId insertDrawer(RecordId cabinetId, const QString &name)
{
    checkName(name);
    return insertBelow(RecordLevel::Cabinet, cabinetId,
                       QStringLiteral("INSERT INTO Drawer (CabinetId, Name) VALUES (?, ?)"), {cabinetId, name});
}

RecordId insertFolder(RecordId drawerId, const QString &name)
{
    checkName(name);
    return insertBelow(RecordLevel::Drawer, drawerId,
                       QStringLiteral("INSERT INTO Folder (DrawerId, Name) VALUES (?, ?)"), {drawerId, name});
}

RecordId insertDocument(RecordId folderId, const QString &name)
{
    checkName(name);
    return insertBelow(RecordLevel::Folder, folderId,
                       QStringLiteral("INSERT INTO Document (FolderId, Name) VALUES (?, ?)"), {folderId, name});
}

} // namespace Records

// ---- Reads of the exchange: export walk, file imports, lists, notices ----

namespace {

// The children of each level, in the export walk's order. Names compare
// without regard to case (the columns are NOCASE), so the order is the
// one the user sees.
const char *const kExportChildren[] = {
    "SELECT DrawerId, Name, Description FROM Drawer WHERE CabinetId = ? ORDER BY Name, DrawerId",
    "SELECT FolderId, Name, Description FROM Folder WHERE DrawerId = ? ORDER BY Name, FolderId",
    "SELECT DocumentId, Name, Description, DateOnDocument, Amount FROM Document WHERE FolderId = ?"
    " ORDER BY Name, DocumentId",
};

Records::ExportRow exportRowOf(const Recordset &rs, int row)
{
    Records::ExportRow r;
    r.id = rs.value(row, 0).toLongLong();
    r.name = NullToEmpty(rs.value(row, 1));
    r.description = rs.value(row, 2);
    if (rs.columnCount() > 4) {
        r.date = rs.value(row, 3);
        r.amount = rs.value(row, 4);
    }
    return r;
}

} // namespace

namespace Records {

QList<CabinetName> cabinetNames()
{
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT CabinetId, Name FROM Cabinet ORDER BY Name, CabinetId"));
    QList<CabinetName> cabinets;
    cabinets.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        cabinets.append({rs.value(row, 0).toLongLong(), NullToEmpty(rs.value(row, 1))});
    return cabinets;
}

RecordId findDocumentByName(RecordId folderId, const QString &name)
{
    return DbConnection::queryValue(QStringLiteral("SELECT DocumentId FROM Document WHERE FolderId = ? AND Name = ?"),
                                    {folderId, name})
        .toLongLong();
}

std::optional<ExportRow> exportCabinetRow(RecordId cabinetId)
{
    const Recordset rs = OpenRecordset(
        QStringLiteral("SELECT CabinetId, Name, Description, StoragePath FROM Cabinet WHERE CabinetId = ?"),
        {cabinetId});
    if (rs.isEmpty())
        return std::nullopt;
    ExportRow r = exportRowOf(rs, 0);
    r.storagePath = NullToEmpty(rs.value(0, 3));
    return r;
}

QList<ExportRow> exportChildRows(RecordLevel parent, RecordId parentId)
{
    const int level = int(parent);
    if (level < 0 || level >= int(std::size(kExportChildren)))
        return {};
    const Recordset rs = OpenRecordset(QLatin1String(kExportChildren[level]), {parentId});
    QList<ExportRow> rows;
    rows.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        rows.append(exportRowOf(rs, row));
    return rows;
}

} // namespace Records

// ---- Parent look-ups, and the links between levels as a repair walks them ----

namespace {

RecordId parentOf(const char *sql, RecordId id)
{
    const QVariant v = DbConnection::queryValue(QLatin1String(sql), {id});
    return v.isNull() ? 0 : v.toLongLong();
}

// The chain's cabinet, made when missing (open: no password).
RecordId chainCabinet(const QString &name)
{
    const QVariant found = DbConnection::queryValue(
        QStringLiteral("SELECT CabinetId FROM Cabinet WHERE Name = ? ORDER BY CabinetId"), {name});
    if (!found.isNull())
        return found.toLongLong();
    execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password]) VALUES (?, ?)"),
            {name, Passwords::ScramblePassword(QString())});
    return DbConnection::lastInsertId();
}

// The chain's row of the link's table below parentId, made when missing.
RecordId chainRow(const Schema::ParentLink &link, RecordId parentId, const QString &name)
{
    const QString table = QLatin1String(link.table);
    const QString idColumn = QLatin1String(link.idColumn);
    const QString parentColumn = QLatin1String(link.parentColumn);
    const QVariant found = DbConnection::queryValue(
        QStringLiteral("SELECT %1 FROM %2 WHERE Name = ? AND %3 = ? ORDER BY %1").arg(idColumn, table, parentColumn),
        {name, parentId});
    if (!found.isNull())
        return found.toLongLong();
    execute(QStringLiteral("INSERT INTO %1 (Name, %2) VALUES (?, ?)").arg(table, parentColumn), {name, parentId});
    return DbConnection::lastInsertId();
}

// The chain's record of the link's parent level. The whole chain is made,
// whichever level needs it, so that every run leaves the same four records;
// or, not wholeChain, the chain down to that record only.
RecordId chainParent(const Schema::ParentLink &link, const QString &name, bool wholeChain = true)
{
    const Schema::ParentLink *const below[] = {&Schema::DrawerInCabinet, &Schema::FolderInDrawer,
                                               &Schema::DocumentInFolder};
    RecordId id = chainCabinet(name);
    RecordId target = id;  // the cabinet, for a drawer's link
    for (const Schema::ParentLink *level : below) {
        if (!wholeChain && qstrcmp(link.parentTable, "Cabinet") == 0)
            break;
        id = chainRow(*level, id, name);
        if (qstrcmp(level->table, link.parentTable) == 0) {
            target = id;
            if (!wholeChain)
                break;
        }
    }
    return target;
}

} // namespace

namespace Records {

RecordId GetCabinetIdOfDrawer(RecordId drawerId)
{
    return parentOf("SELECT CabinetId FROM Drawer WHERE DrawerId = ?", drawerId);
}

RecordId GetDrawerIdOfFolder(RecordId folderId)
{
    return parentOf("SELECT DrawerId FROM Folder WHERE FolderId = ?", folderId);
}

RecordId GetFolderIdOfDocument(RecordId documentId)
{
    return parentOf("SELECT FolderId FROM Document WHERE DocumentId = ?", documentId);
}

RecordId getCabinetIdOfDocument(RecordId documentId)
{
    return GetCabinetIdOfDrawer(GetDrawerIdOfFolder(GetFolderIdOfDocument(documentId)));
}

qint64 countRows(const Schema::ParentLink &link)
{
    return DbConnection::queryValue(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(link.table)))
        .toLongLong();
}

QSet<RecordId> parentIds(const Schema::ParentLink &link)
{
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT %1 FROM %2")
                                           .arg(QLatin1String(link.parentColumn), QLatin1String(link.parentTable)));
    QSet<RecordId> ids;
    ids.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        ids.insert(rs.value(row, 0).toLongLong());
    return ids;
}

QVector<ChildLink> childLinks(const Schema::ParentLink &link)
{
    const Recordset rs = OpenRecordset(
        QStringLiteral("SELECT %1, %2 FROM %3")
            .arg(QLatin1String(link.idColumn), QLatin1String(link.parentColumn), QLatin1String(link.table)));
    QVector<ChildLink> rows;
    rows.reserve(rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row) {
        ChildLink child{rs.value(row, 0).toLongLong(), std::nullopt};
        if (!rs.value(row, 1).isNull())
            child.parentId = rs.value(row, 1).toLongLong();
        rows.append(child);
    }
    return rows;
}

RecordId ensureChainParent(const Schema::ParentLink &link, const QString &chainName)
{
    DbConnection::Transaction tx;
    const RecordId id = chainParent(link, chainName, false);
    tx.commit();
    return id;
}

void moveUnderChain(const Schema::ParentLink &link, const QVector<RecordId> &ids, const QString &chainName)
{
    DbConnection::Transaction tx;
    const RecordId target = chainParent(link, chainName);
    DbConnection::Statement update(
        QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
            .arg(QLatin1String(link.table), QLatin1String(link.parentColumn), QLatin1String(link.idColumn)));
    for (RecordId id : ids)
        update.run({target, id});
    tx.commit();
}

} // namespace Records
