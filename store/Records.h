#pragma once

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

#include "core/RecordId.h"
#include "store/Schema.h"

// The one owner of the Cabinet, Drawer, Folder and Document rows: every
// insert and update of those tables, their reads by id, and the name
// look-ups that keep drawer and folder names unique within their parent and
// cabinet names unique overall. The record dialogs, the drawer templates
// and the sample cabinets all write through here. Every function throws
// AppError on failure.
namespace Records {

// The width of every Name column; a longer name is refused, never cut.
inline constexpr int MaxNameLength = 80;
// The longest description an imported file may give: what a description
// box holds. A longer one is cut there, with a warning.
inline constexpr int MaxDescriptionLength = 65535;

// "The name "<name>" is longer than 80 characters."
QString nameTooLongMessage(const QString &name);

struct CabinetValues
{
    QString name;
    QString description;
    QString password;      // as typed; stored scrambled
    bool ownStorage = false;
    QString storagePath;
};

struct DrawerValues
{
    RecordId cabinetId = -1;
    QString name;
    QString description;
};

struct FolderValues
{
    RecordId drawerId = -1;
    QString name;
    QString description;
    QString email;
};

struct DocumentValues
{
    RecordId folderId = -1;
    QString name;
    QString description;
    QDate dateOnDocument;  // invalid for no date, stored as Null
    double amount = 0;
};

// Whether a name is taken, without regard to letter case (beyond ASCII
// too, as the dialogs compare): by any cabinet, by a drawer of the cabinet,
// by a folder of the drawer. The row exceptId (-1 for none) is left out, so
// a record keeps its own name.
bool cabinetNameExists(const QString &name, RecordId exceptCabinetId = -1);
bool drawerNameExists(RecordId cabinetId, const QString &name, RecordId exceptDrawerId = -1);
bool folderNameExists(RecordId drawerId, const QString &name, RecordId exceptFolderId = -1);

// The id of the parent's drawer (folder) of that name by the same
// comparison, 0 when it has none.
RecordId drawerNamed(RecordId cabinetId, const QString &name);
RecordId folderNamed(RecordId drawerId, const QString &name);

// A record's row, Null texts as empty, the password unscrambled; nothing
// when the row does not exist.
std::optional<CabinetValues> readCabinet(RecordId cabinetId);
// The storage folders of the cabinets that have their own, as stored, each
// once; none in a database older than the column. Throws AppError.
QStringList storageFolders();
std::optional<DrawerValues> readDrawer(RecordId drawerId);
std::optional<FolderValues> readFolder(RecordId folderId);
std::optional<DocumentValues> readDocument(RecordId documentId);

// Insert a row and give its new id, or update the row. Every value is
// bound; the cabinet password is scrambled on the way in (check it with
// Passwords::isValidPasswordText first). A name longer than MaxNameLength
// is refused (ErrorCode::InvalidValue). An insert below a parent that no
// longer exists writes nothing and throws ErrorCode::RecordMissing with
// "The cabinet no longer exists." (drawer, folder); the test and the
// insert run in one transaction.
RecordId insertCabinet(const CabinetValues &values);
void updateCabinet(RecordId cabinetId, const CabinetValues &values);
RecordId insertDrawer(const DrawerValues &values);
void updateDrawer(RecordId drawerId, const DrawerValues &values);
RecordId insertFolder(const FolderValues &values);
void updateFolder(RecordId folderId, const FolderValues &values);
RecordId insertDocument(const DocumentValues &values);
void updateDocument(RecordId documentId, const DocumentValues &values);

// Sets only the name of a cabinet, drawer, folder or document (a rename in
// the tree or the list), with the same length refusal as the updates.
void updateName(RecordLevel table, RecordId id, const QString &name);
// Sets only the description of a cabinet, drawer or folder (an imported
// description file).
void updateDescription(RecordLevel table, RecordId id, const QString &description);
// Sets a document's description and amount and, when a date is given, its
// date (an imported details file; no date leaves the stored one).
void updateDocumentDetails(RecordId documentId, const std::optional<QDate> &date, const QString &description,
                           double amount);

// Move a record under another parent (a drag in the navigation window): a
// drawer to a cabinet, a folder to a drawer, a document to a folder. Names
// are not looked at here. RecordMissing when the new parent is gone; the
// test and the update run in one transaction.
void moveDrawer(RecordId drawerId, RecordId cabinetId);
void moveFolder(RecordId folderId, RecordId drawerId);
void moveDocument(RecordId documentId, RecordId folderId);

// The rows the drawer templates and the sample cabinets make: a parent and
// a name, every other column Null (a cabinet without password). The same
// refusals as above.
RecordId insertCabinet(const QString &name);
RecordId insertDrawer(RecordId cabinetId, const QString &name);
RecordId insertFolder(RecordId drawerId, const QString &name);
RecordId insertDocument(RecordId folderId, const QString &name);

} // namespace Records

// ---- Reads of the exchange: export walk, file imports, lists, notices ----

namespace Records {

// A cabinet's id and name, as the exchange windows list them.
struct CabinetName
{
    RecordId cabinetId = 0;
    QString name;          // "" for Null
};
// Every cabinet, in name order (then id).
QList<CabinetName> cabinetNames();

// The id of the folder's document of that name, 0 when it has none. The
// name is compared as the column compares (the case of ASCII letters
// ignored): a file imported again finds the document it made before.
RecordId findDocumentByName(RecordId folderId, const QString &name);

// A record as the cabinet export writes it out. The texts keep Null apart
// from empty: a description never given writes no description file.
struct ExportRow
{
    RecordId id = 0;
    QString name;          // "" for Null
    QVariant description;
    QVariant date;         // documents only
    QVariant amount;       // documents only
    QString storagePath;   // cabinets only, "" for Null
};
// The cabinet's row; nothing when there is none.
std::optional<ExportRow> exportCabinetRow(RecordId cabinetId);
// The drawers of a cabinet (parent RecordLevel::Cabinet), the folders of a
// drawer or the documents of a folder, in name order without regard to
// case (the order the user sees), then id.
QList<ExportRow> exportChildRows(RecordLevel parent, RecordId parentId);

} // namespace Records

// ---- Parent look-ups, and the links between levels as a repair walks them ----

namespace Records {

// Parent look-ups; 0 when the row does not exist. Throw AppError.
RecordId GetCabinetIdOfDrawer(RecordId drawerId);
RecordId GetDrawerIdOfFolder(RecordId folderId);
RecordId GetFolderIdOfDocument(RecordId documentId);
// The cabinet above a document, through its folder and drawer; 0 when a
// row of the chain is missing.
RecordId getCabinetIdOfDocument(RecordId documentId);

// A row of a level and the parent id it holds; none for a Null.
struct ChildLink
{
    RecordId id = 0;
    std::optional<RecordId> parentId;
};

// The number of rows of the link's table, every id of its parent table, and
// each row of its table with the parent it names (pages included: the
// repair walks every level alike). Throw AppError.
qint64 countRows(const Schema::ParentLink &link);
QSet<RecordId> parentIds(const Schema::ParentLink &link);
QVector<ChildLink> childLinks(const Schema::ParentLink &link);

// Moves the rows of the link's table under the record of the parent level
// in a chain of records all named chainName: one cabinet (no password), a
// drawer in it, a folder in that and a document in that. The chain's rows
// are looked up afresh by name (the first by id where several match) and
// made where missing, in the same transaction as the moves: on failure
// nothing is made or moved. Throws AppError.
void moveUnderChain(const Schema::ParentLink &link, const QVector<RecordId> &ids, const QString &chainName);
// The chain's record that rows of the link's table go under (its folder for
// documents), looked up and made as moveUnderChain does but without the
// levels below it, in a transaction of its own (a savepoint of one already
// open). Throws AppError.
RecordId ensureChainParent(const Schema::ParentLink &link, const QString &chainName);

} // namespace Records
