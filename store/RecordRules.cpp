#include "store/RecordRules.h"

#include <cmath>

#include <QDir>
#include <QLocale>
#include <QVariant>

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/Amounts.h"
#include "store/Dates.h"
#include "store/NameChars.h"

using DbConnection::OpenRecordset;

namespace {

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

qint64 countOf(const QString &table, const QString &where, RecordId id)
{
    return DbConnection::queryValue(QStringLiteral("SELECT Count(*) FROM %1 WHERE %2").arg(table, where),
                                    {id}).toLongLong();
}

RecordRules::RecordStatistics statisticsOf(const Scope &scope, RecordId id)
{
    RecordRules::RecordStatistics stats;
    if (!scope.drawers.isEmpty())
        stats.drawers = countOf(Schema::tableName(RecordLevel::Drawer), scope.drawers, id);
    if (!scope.folders.isEmpty())
        stats.folders = countOf(Schema::tableName(RecordLevel::Folder), scope.folders, id);
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

QString invalidNameMessage()
{
    return QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");
}

QString nameRequiredMessage(RecordLevel kind)
{
    return QStringLiteral("A %1 name is required.").arg(Schema::label(kind));
}

QString duplicateNameMessage(RecordLevel kind, const QString &name)
{
    return QStringLiteral("A %1 named '%2' already exists.").arg(Schema::label(kind), name);
}

QString nameTooLongMessage(RecordLevel kind)
{
    return QStringLiteral("A %1 name may hold at most %2 characters.").arg(Schema::label(kind)).arg(MaxNameLength);
}

QString storagePathRequiredMessage()
{
    return QStringLiteral("A storage path is required.");
}

QString storagePathBlankStartMessage()
{
    return QStringLiteral("The storage path may not begin with a blank.");
}

QString storagePathTooLongMessage()
{
    return QStringLiteral("The storage path may hold at most %1 characters.").arg(MaxStoragePathLength);
}

QString storagePlaceMessage(PageFileScope::Place place)
{
    using Place = PageFileScope::Place;
    switch (place) {
    case Place::DataFolder:
        return QStringLiteral("The storage path may not be the program's data folder, which holds its own files.");
    case Place::HoldsDataFolder:
        return QStringLiteral("The storage path may not be a folder that holds the program's data folder.");
    case Place::PagesFolder:
        return QStringLiteral("The storage path may not be the program's Pages folder or a folder in it.");
    case Place::ThumbsFolder:
        return QStringLiteral("The storage path may not be the program's Thumbs folder or a folder in it.");
    case Place::HomeFolder:
        return QStringLiteral("The storage path may not be your home folder itself. Please choose a folder in it.");
    case Place::Allowed:
        break;
    }
    return {};
}

QString passwordCharactersMessage()
{
    return QStringLiteral("A password may only hold characters of the Western European "
                          "(Latin-1) set. Please remove the other characters.");
}

QString passwordTooLongMessage()
{
    return QStringLiteral("A password may hold at most %1 characters.").arg(MaxPasswordLength);
}

QString emailTooLongMessage()
{
    return QStringLiteral("The e-mail address may hold at most %1 characters.").arg(MaxEmailLength);
}

QString dateMessage()
{
    return QStringLiteral("Please enter a date (mm/dd/yyyy) or leave blank.");
}

QString amountMessage()
{
    return QStringLiteral("Please enter an amount such as 1,250.00 or leave blank.");
}

QString recordMissingMessage(RecordLevel kind)
{
    return QStringLiteral("The %1 no longer exists; nothing was saved.").arg(Schema::label(kind));
}

QString checkName(RecordLevel kind, const QString &typed, QString *name)
{
    if (NameChars::HasInvalidNameChar(typed))
        return invalidNameMessage();
    *name = typed.trimmed();
    if (!NameChars::hasVisibleChar(*name))
        return nameRequiredMessage(kind);
    if (name->size() > MaxNameLength)
        return nameTooLongMessage(kind);
    return {};
}

QString checkStoragePath(const QString &typed, QString *absolute)
{
    if (typed.trimmed().isEmpty())
        return storagePathRequiredMessage();
    if (typed.front().isSpace())
        return storagePathBlankStartMessage();
    const QString path = absoluteStoragePath(typed);
    if (path.size() > MaxStoragePathLength)
        return storagePathTooLongMessage();
    const QString placeRefusal = storagePlaceMessage(PageFileScope().placeOf(path));
    if (!placeRefusal.isEmpty())
        return placeRefusal;
    *absolute = path;
    return {};
}

QString checkKeptStoragePath(const QString &text)
{
    return text.size() > MaxStoragePathLength ? storagePathTooLongMessage() : QString();
}

std::optional<DocumentRefusal> checkDocument(const QString &typedName, const QString &dateText,
                                             const QString &amountText, DocumentValues *values,
                                             const ShownAmount *shown)
{
    const QString refusal = checkName(RecordLevel::Document, typedName, &values->name);
    if (!refusal.isEmpty())
        return DocumentRefusal{DocumentBox::Name, refusal};
    if (!Dates::IsValidDate(dateText))
        return DocumentRefusal{DocumentBox::Date, dateMessage()};
    values->dateOnDocument = Dates::ToDate(dateText);  // invalid for a blank box
    if (shown && amountText == shown->text) {
        values->amount = shown->amount;
        return std::nullopt;
    }
    if (!Amounts::parseAmount(amountText, &values->amount))
        return DocumentRefusal{DocumentBox::Amount, amountMessage()};
    return std::nullopt;
}

QString absoluteStoragePath(const QString &path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return QDir::home().filePath(path);
}

QString formatAmountForEdit(double amount)
{
    // The box always uses "." whatever the locale, as the amount parser does.
    return amount == 0 ? QString() : QString::number(amount, 'f', 2);
}

RecordStatistics cabinetStatistics(RecordId cabinetId)
{
    const QString documents = documentsIn(kFoldersOfCabinet);
    return statisticsOf({QStringLiteral("CabinetId = ?"), kFoldersOfCabinet, documents, pagesIn(documents)},
                        cabinetId);
}

RecordStatistics drawerStatistics(RecordId drawerId)
{
    const QString folders = QStringLiteral("DrawerId = ?");
    const QString documents = documentsIn(folders);
    return statisticsOf({{}, folders, documents, pagesIn(documents)}, drawerId);
}

RecordStatistics folderStatistics(RecordId folderId)
{
    const QString documents = QStringLiteral("FolderId = ?");
    return statisticsOf({{}, {}, documents, pagesIn(documents)}, folderId);
}

RecordStatistics documentStatistics(RecordId documentId)
{
    return statisticsOf({{}, {}, {}, QStringLiteral("DocumentId = ?")}, documentId);
}

QString formatCount(qint64 count)
{
    return QString::number(count);
}

QString formatAmountTotal(double amount)
{
    const QLocale locale = groupingLocale();
    const QString digits = locale.toString(std::fabs(amount), 'f', 2);
    // A total that rounds to zero shows no sign.
    const bool negative = amount < 0 && digits != locale.toString(0.0, 'f', 2);
    return (negative ? QStringLiteral("-$") : QStringLiteral("$")) + digits;
}

QString formatByteCount(qint64 bytes)
{
    if (bytes <= 0)
        return QStringLiteral("0 bytes");
    return groupingLocale().toString(bytes) + QStringLiteral(" bytes");
}

} // namespace RecordRules
