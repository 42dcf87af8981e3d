#include "RecordRules.h"

#include <cmath>

#include <QDir>
#include <QLocale>
#include <QVariant>

#include "Common.h"
#include "DbConnection.h"
#include "Passwords.h"

using DbConnection::Execute;
using DbConnection::OpenRecordset;

namespace {

QString kindName(RecordRules::RecordKind kind)
{
    switch (kind) {
    case RecordRules::RecordKind::Cabinet:
        return QStringLiteral("file cabinet");
    case RecordRules::RecordKind::Drawer:
        return QStringLiteral("drawer");
    case RecordRules::RecordKind::Folder:
        return QStringLiteral("folder");
    case RecordRules::RecordKind::Document:
        break;
    }
    return QStringLiteral("document");
}

// A Qt null string binds as SQL Null; a box left empty stores an empty text.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// SQLite's NOCASE folds ASCII letters only, so names are compared here
// with Unicode case folding ("Été" and "éTÉ" are one name).
bool anyNameMatches(const QString &sql, const QVariantList &binds, const QString &name)
{
    const Recordset rs = OpenRecordset(sql, binds);
    for (int row = 0; row < rs.recordCount(); ++row) {
        if (NullToEmpty(rs.value(row, 0)).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The user's locale with its thousands separators, also where the locale
// leaves them out by default (the C locale).
QLocale groupingLocale()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

// Which rows lie below a record, as conditions on each table, each taking
// the record's id once. An empty condition leaves that level uncounted;
// pages are counted at every level.
struct Scope
{
    QString drawers;
    QString folders;
    QString documents;
    QString pages;
};

const QString kFoldersOfCabinet = QStringLiteral("DrawerId IN (SELECT DrawerId FROM Drawer WHERE CabinetId = ?)");

QString documentsIn(const QString &folders)
{
    return QStringLiteral("FolderId IN (SELECT FolderId FROM Folder WHERE %1)").arg(folders);
}

QString pagesIn(const QString &documents)
{
    return QStringLiteral("DocumentId IN (SELECT DocumentId FROM Document WHERE %1)").arg(documents);
}

qint64 countOf(const QString &table, const QString &where, int id)
{
    return DbConnection::QueryValue(QStringLiteral("SELECT Count(*) FROM %1 WHERE %2").arg(table, where),
                                    {id}).toLongLong();
}

RecordRules::RecordStatistics statisticsOf(const Scope &scope, int id)
{
    RecordRules::RecordStatistics stats;
    if (!scope.drawers.isEmpty())
        stats.drawers = countOf(QStringLiteral("Drawer"), scope.drawers, id);
    if (!scope.folders.isEmpty())
        stats.folders = countOf(QStringLiteral("Folder"), scope.folders, id);
    if (!scope.documents.isEmpty()) {
        const Recordset rs = OpenRecordset(
            QStringLiteral("SELECT Count(*), Sum(Amount) FROM Document WHERE ") + scope.documents, {id});
        stats.documents = rs.field(0).toLongLong();
        stats.amount = rs.field(1).toDouble();  // Null (no documents) gives 0
    }
    const Recordset rs = OpenRecordset(
        QStringLiteral("SELECT Count(*), Sum(FileSize) FROM Page WHERE ") + scope.pages, {id});
    stats.pages = rs.field(0).toLongLong();
    stats.bytes = rs.field(1).toLongLong();
    return stats;
}

} // namespace

namespace RecordRules {

QString InvalidNameMessage()
{
    return QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");
}

QString NameRequiredMessage(RecordKind kind)
{
    return QStringLiteral("A %1 name is required.").arg(kindName(kind));
}

QString DuplicateNameMessage(RecordKind kind, const QString &name)
{
    return QStringLiteral("A %1 named '%2' already exists.").arg(kindName(kind), name);
}

QString NameTooLongMessage(RecordKind kind)
{
    return QStringLiteral("A %1 name may hold at most %2 characters.").arg(kindName(kind)).arg(MaxNameLength);
}

QString StoragePathRequiredMessage()
{
    return QStringLiteral("A storage path is required.");
}

QString StoragePathBlankStartMessage()
{
    return QStringLiteral("The storage path may not begin with a blank.");
}

QString StoragePathTooLongMessage()
{
    return QStringLiteral("The storage path may hold at most %1 characters.").arg(MaxStoragePathLength);
}

QString PasswordCharactersMessage()
{
    return QStringLiteral("A password may only hold characters of the Western European "
                          "(Latin-1) set. Please remove the other characters.");
}

QString PasswordTooLongMessage()
{
    return QStringLiteral("A password may hold at most %1 characters.").arg(MaxPasswordLength);
}

QString EmailTooLongMessage()
{
    return QStringLiteral("The e-mail address may hold at most %1 characters.").arg(MaxEmailLength);
}

QString DateMessage()
{
    return QStringLiteral("Please enter a date (mm/dd/yyyy) or leave blank.");
}

QString AmountMessage()
{
    return QStringLiteral("Please enter an amount such as 1,250.00 or leave blank.");
}

QString RecordMissingMessage(RecordKind kind)
{
    return QStringLiteral("The %1 no longer exists; nothing was saved.").arg(kindName(kind));
}

QString CheckName(RecordKind kind, const QString &typed, QString *name)
{
    if (Common::HasInvalidNameChar(typed))
        return InvalidNameMessage();
    *name = typed.trimmed();
    if (!Common::HasVisibleChar(*name))
        return NameRequiredMessage(kind);
    if (name->size() > MaxNameLength)
        return NameTooLongMessage(kind);
    return {};
}

QString CheckStoragePath(const QString &typed, QString *absolute)
{
    if (typed.trimmed().isEmpty())
        return StoragePathRequiredMessage();
    if (typed.front().isSpace())
        return StoragePathBlankStartMessage();
    const QString path = AbsoluteStoragePath(typed);
    if (path.size() > MaxStoragePathLength)
        return StoragePathTooLongMessage();
    *absolute = path;
    return {};
}

std::optional<DocumentRefusal> CheckDocument(const QString &typedName, const QString &dateText,
                                             const QString &amountText, DocumentValues *values,
                                             const ShownAmount *shown)
{
    const QString refusal = CheckName(RecordKind::Document, typedName, &values->name);
    if (!refusal.isEmpty())
        return DocumentRefusal{DocumentBox::Name, refusal};
    if (!Common::IsValidDate(dateText))
        return DocumentRefusal{DocumentBox::Date, DateMessage()};
    values->dateOnDocument = Common::ToDate(dateText);  // invalid for a blank box
    if (shown && amountText == shown->text) {
        values->amount = shown->amount;
        return std::nullopt;
    }
    if (!Common::ParseAmount(amountText, &values->amount))
        return DocumentRefusal{DocumentBox::Amount, AmountMessage()};
    return std::nullopt;
}

bool CabinetNameExists(const QString &name, int exceptCabinetId)
{
    return anyNameMatches(QStringLiteral("SELECT Name FROM Cabinet WHERE CabinetId <> ?"),
                          {exceptCabinetId}, name);
}

bool DrawerNameExists(int cabinetId, const QString &name, int exceptDrawerId)
{
    return anyNameMatches(QStringLiteral("SELECT Name FROM Drawer WHERE CabinetId = ? AND DrawerId <> ?"),
                          {cabinetId, exceptDrawerId}, name);
}

bool FolderNameExists(int drawerId, const QString &name, int exceptFolderId)
{
    return anyNameMatches(QStringLiteral("SELECT Name FROM Folder WHERE DrawerId = ? AND FolderId <> ?"),
                          {drawerId, exceptFolderId}, name);
}

QString AbsoluteStoragePath(const QString &path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return QDir::home().filePath(path);
}

QString FormatAmountForEdit(double amount)
{
    // The box always uses "." whatever the locale, as the amount parser does.
    return amount == 0 ? QString() : QString::number(amount, 'f', 2);
}

std::optional<CabinetValues> ReadCabinet(int cabinetId)
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

std::optional<DrawerValues> ReadDrawer(int drawerId)
{
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Drawer WHERE DrawerId = ?"), {drawerId});
    if (rs.isEmpty())
        return std::nullopt;
    return DrawerValues{rs.field(QStringLiteral("CabinetId")).toInt(),
                        NullToEmpty(rs.field(QStringLiteral("Name"))),
                        NullToEmpty(rs.field(QStringLiteral("Description")))};
}

std::optional<FolderValues> ReadFolder(int folderId)
{
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Folder WHERE FolderId = ?"), {folderId});
    if (rs.isEmpty())
        return std::nullopt;
    return FolderValues{rs.field(QStringLiteral("DrawerId")).toInt(),
                        NullToEmpty(rs.field(QStringLiteral("Name"))),
                        NullToEmpty(rs.field(QStringLiteral("Description"))),
                        NullToEmpty(rs.field(QStringLiteral("Email")))};
}

std::optional<DocumentValues> ReadDocument(int documentId)
{
    const Recordset rs =
        OpenRecordset(QStringLiteral("SELECT * FROM Document WHERE DocumentId = ?"), {documentId});
    if (rs.isEmpty())
        return std::nullopt;
    return DocumentValues{rs.field(QStringLiteral("FolderId")).toInt(),
                          NullToEmpty(rs.field(QStringLiteral("Name"))),
                          NullToEmpty(rs.field(QStringLiteral("Description"))),
                          DateFromValue(rs.field(QStringLiteral("DateOnDocument"))),
                          rs.field(QStringLiteral("Amount")).toDouble()};
}

int InsertCabinet(const CabinetValues &v)
{
    Execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password], Description, Storage, StoragePath)"
                           " VALUES (?, ?, ?, ?, ?)"),
            {textValue(v.name), textValue(Passwords::ScramblePassword(v.password)), textValue(v.description),
             v.ownStorage ? 1 : 0, textValue(v.storagePath)});
    return int(DbConnection::LastInsertId());
}

void UpdateCabinet(int cabinetId, const CabinetValues &v)
{
    Execute(QStringLiteral("UPDATE Cabinet SET Name = ?, [Password] = ?, Description = ?, Storage = ?,"
                           " StoragePath = ? WHERE CabinetId = ?"),
            {textValue(v.name), textValue(Passwords::ScramblePassword(v.password)), textValue(v.description),
             v.ownStorage ? 1 : 0, textValue(v.storagePath), cabinetId});
}

int InsertDrawer(const DrawerValues &v)
{
    Execute(QStringLiteral("INSERT INTO Drawer (CabinetId, Name, Description) VALUES (?, ?, ?)"),
            {v.cabinetId, textValue(v.name), textValue(v.description)});
    return int(DbConnection::LastInsertId());
}

void UpdateDrawer(int drawerId, const DrawerValues &v)
{
    Execute(QStringLiteral("UPDATE Drawer SET Name = ?, Description = ? WHERE DrawerId = ?"),
            {textValue(v.name), textValue(v.description), drawerId});
}

int InsertFolder(const FolderValues &v)
{
    Execute(QStringLiteral("INSERT INTO Folder (DrawerId, Name, Description, Email) VALUES (?, ?, ?, ?)"),
            {v.drawerId, textValue(v.name), textValue(v.description), textValue(v.email)});
    return int(DbConnection::LastInsertId());
}

void UpdateFolder(int folderId, const FolderValues &v)
{
    Execute(QStringLiteral("UPDATE Folder SET Name = ?, Description = ?, Email = ? WHERE FolderId = ?"),
            {textValue(v.name), textValue(v.description), textValue(v.email), folderId});
}

int InsertDocument(const DocumentValues &v)
{
    Execute(QStringLiteral("INSERT INTO Document (FolderId, Name, Description, DateOnDocument, Amount)"
                           " VALUES (?, ?, ?, ?, ?)"),
            {v.folderId, textValue(v.name), textValue(v.description), DateValue(v.dateOnDocument), v.amount});
    return int(DbConnection::LastInsertId());
}

void UpdateDocument(int documentId, const DocumentValues &v)
{
    Execute(QStringLiteral("UPDATE Document SET Name = ?, Description = ?, DateOnDocument = ?, Amount = ?"
                           " WHERE DocumentId = ?"),
            {textValue(v.name), textValue(v.description), DateValue(v.dateOnDocument), v.amount, documentId});
}

RecordStatistics CabinetStatistics(int cabinetId)
{
    const QString documents = documentsIn(kFoldersOfCabinet);
    return statisticsOf({QStringLiteral("CabinetId = ?"), kFoldersOfCabinet, documents, pagesIn(documents)},
                        cabinetId);
}

RecordStatistics DrawerStatistics(int drawerId)
{
    const QString folders = QStringLiteral("DrawerId = ?");
    const QString documents = documentsIn(folders);
    return statisticsOf({{}, folders, documents, pagesIn(documents)}, drawerId);
}

RecordStatistics FolderStatistics(int folderId)
{
    const QString documents = QStringLiteral("FolderId = ?");
    return statisticsOf({{}, {}, documents, pagesIn(documents)}, folderId);
}

RecordStatistics DocumentStatistics(int documentId)
{
    return statisticsOf({{}, {}, {}, QStringLiteral("DocumentId = ?")}, documentId);
}

QString FormatCount(qint64 count)
{
    return QString::number(count);
}

QString FormatAmountTotal(double amount)
{
    const QLocale locale = groupingLocale();
    const QString digits = locale.toString(std::fabs(amount), 'f', 2);
    // A total that rounds to zero shows no sign.
    const bool negative = amount < 0 && digits != locale.toString(0.0, 'f', 2);
    return (negative ? QStringLiteral("-$") : QStringLiteral("$")) + digits;
}

QString FormatByteCount(qint64 bytes)
{
    if (bytes <= 0)
        return QStringLiteral("0 bytes");
    return groupingLocale().toString(bytes) + QStringLiteral(" bytes");
}

} // namespace RecordRules
