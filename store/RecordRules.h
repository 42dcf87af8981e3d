#pragma once

#include <QDate>
#include <QString>

#include <optional>

#include "core/RecordId.h"
#include "store/PageFileScope.h"
#include "store/Records.h"
#include "store/Schema.h"

// The rules behind the cabinet, drawer, folder and document dialogs: the
// checks on what the user typed and the statistics they show. The rows
// they read and write go through Records. The dialogs only read their boxes
// and call these. Every function that reaches the database throws AppError.
namespace RecordRules {

// The most characters each box takes; the columns hold no more.
inline constexpr int MaxNameLength = Records::MaxNameLength;
inline constexpr int MaxStoragePathLength = 250;
inline constexpr int MaxPasswordLength = 10;
inline constexpr int MaxEmailLength = 100;
inline constexpr int MaxDateLength = 20;
inline constexpr int MaxAmountLength = 20;

// The refusals the dialogs show.
QString invalidNameMessage();
QString nameRequiredMessage(RecordLevel kind);
QString duplicateNameMessage(RecordLevel kind, const QString &name);
QString nameTooLongMessage(RecordLevel kind);
QString storagePathRequiredMessage();
QString storagePathBlankStartMessage();
QString storagePathTooLongMessage();
// Why a folder cannot be a cabinet's storage path; empty for an allowed one.
QString storagePlaceMessage(PageFileScope::Place place);
QString passwordCharactersMessage();
QString passwordTooLongMessage();
QString emailTooLongMessage();
QString dateMessage();
QString amountMessage();
QString recordMissingMessage(RecordLevel kind);

// Checks a typed name: first for a character a name may not hold, then,
// trimmed, for emptiness (a name of only invisible characters, such as NUL
// or zero-width spaces, counts as empty), then for its length. Gives the
// refusal message, or an empty text when the name passes. *name receives
// the trimmed name once the characters passed (also when it is refused
// later), so the dialog can show it.
[[nodiscard]] QString checkName(RecordLevel kind, const QString &typed, QString *name);

// Checks the storage path box of a cabinet with its own page store: not
// blank, not starting with a blank (which would make an absolute path
// relative to the home folder), and no longer than the column once made
// absolute (absoluteStoragePath), and not a folder PageFileScope keeps
// pages out of (the data folder, a folder holding it, its page folders,
// the home folder itself). Gives the refusal message, or an empty text and
// the absolute path in *absolute.
[[nodiscard]] QString checkStoragePath(const QString &typed, QString *absolute);

// Checks the storage path a cabinet keeps while it uses the default page
// store: it is stored as it stands (blank allowed, not made absolute), but
// no longer than the column either. Gives the refusal message, or an empty
// text.
[[nodiscard]] QString checkKeptStoragePath(const QString &text);

// A cabinet's own page store must be an absolute folder: "~" and relative
// paths are taken from the home folder. An empty text stays empty.
QString absoluteStoragePath(const QString &path);

// The amount box of a document: "12.50" for 12.5, empty for 0.
QString formatAmountForEdit(double amount);

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

// The amount a dialog filled its amount box with, and the box's text then.
struct ShownAmount
{
    QString text;
    double amount = 0;
};

// Checks a document's name (as checkName), its date (blank, or a date as
// Dates::IsValidDate reads it) and its amount (Amounts::parseAmount; a text
// that is no number is refused rather than stored as a wrong amount). An
// amount box that still holds the text of *shown keeps shown->amount
// exactly: the box shows two decimals, and an OK must not round what the
// user did not change. Each value that passes is put into *values (the
// trimmed name too), so the dialog can show the trimmed name even when a
// later box is refused.
[[nodiscard]] std::optional<DocumentRefusal> checkDocument(const QString &typedName, const QString &dateText,
                                                           const QString &amountText, DocumentValues *values,
                                                           const ShownAmount *shown = nullptr);

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

RecordStatistics cabinetStatistics(RecordId cabinetId);
RecordStatistics drawerStatistics(RecordId drawerId);
RecordStatistics folderStatistics(RecordId folderId);
RecordStatistics documentStatistics(RecordId documentId);

// The Statistics labels: a count as plain digits; the amount and the bytes
// in the user's locale with thousands separators, "$1,234.50" and
// "1,234 bytes" ("0 bytes" for none).
QString formatCount(qint64 count);
QString formatAmountTotal(double amount);
QString formatByteCount(qint64 bytes);

} // namespace RecordRules
