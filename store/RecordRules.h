#pragma once

#include <QDate>
#include <QString>

#include <optional>

#include "Records.h"

// The rules behind the cabinet, drawer, folder and document dialogs: the
// checks on what the user typed and the statistics they show. The rows
// they read and write go through Records. The dialogs only read their boxes
// and call these. Every function that reaches the database throws DbError.
namespace RecordRules {

enum class RecordKind { Cabinet, Drawer, Folder, Document };

// The most characters each box takes; the columns hold no more.
inline constexpr int MaxNameLength = Records::MaxNameLength;
inline constexpr int MaxStoragePathLength = 250;
inline constexpr int MaxPasswordLength = 10;
inline constexpr int MaxEmailLength = 100;
inline constexpr int MaxDateLength = 20;
inline constexpr int MaxAmountLength = 20;

// The refusals the dialogs show.
QString InvalidNameMessage();
QString NameRequiredMessage(RecordKind kind);
QString DuplicateNameMessage(RecordKind kind, const QString &name);
QString StoragePathRequiredMessage();
QString StoragePathTooLongMessage();
QString PasswordCharactersMessage();
QString DateMessage();
QString AmountMessage();

// Checks a typed name: first for a character a name may not hold, then,
// trimmed, for emptiness. Gives the refusal message, or an empty text when
// the name passes. *name receives the trimmed name once the characters
// passed (also when it turns out empty), so the dialog can show it.
[[nodiscard]] QString CheckName(RecordKind kind, const QString &typed, QString *name);

// A cabinet's own page store must be an absolute folder: "~" and relative
// paths are taken from the home folder. An empty text stays empty.
QString AbsoluteStoragePath(const QString &path);

// The amount box of a document: "12.50" for 12.5, empty for 0.
QString FormatAmountForEdit(double amount);

// The values the dialogs check and store are the rows' own.
using Records::CabinetValues;
using Records::DocumentValues;
using Records::DrawerValues;
using Records::FolderValues;

// The boxes of the document dialogs, checked in this order.
enum class DocumentBox { Name, Date, Amount };

struct DocumentRefusal
{
    DocumentBox box;
    QString message;
};

// Checks a document's name (as CheckName), its date (blank, or a date as
// Common::IsValidDate reads it) and its amount (Common::ParseAmount; a text
// that is no number is refused rather than stored as a wrong amount). Each
// value that passes is put into *values (the trimmed name too), so the
// dialog can show the trimmed name even when a later box is refused.
[[nodiscard]] std::optional<DocumentRefusal> CheckDocument(const QString &typedName, const QString &dateText,
                                                           const QString &amountText, DocumentValues *values);

// What lies below a record, as its Statistics tab shows it. Counts that do
// not apply to the level stay 0.
struct RecordStatistics
{
    qint64 drawers = 0;
    qint64 folders = 0;
    qint64 documents = 0;
    qint64 pages = 0;
    qint64 bytes = 0;
    double amount = 0;
};

RecordStatistics CabinetStatistics(int cabinetId);
RecordStatistics DrawerStatistics(int drawerId);
RecordStatistics FolderStatistics(int folderId);
RecordStatistics DocumentStatistics(int documentId);

// The Statistics labels: a count as plain digits; the amount and the bytes
// in the user's locale with thousands separators, "$1,234.50" and
// "1,234 bytes" ("0 bytes" for none).
QString FormatCount(qint64 count);
QString FormatAmountTotal(double amount);
QString FormatByteCount(qint64 bytes);

} // namespace RecordRules
