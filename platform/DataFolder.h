#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The data folder that vlm and vlmtools share: the database, the page and
// thumbnail folders and the user-editable text files. $VLM_DATA_DIR when
// set, else "vellumark" under the user's data location.
namespace DataFolder {

QString path();
// A file or folder inside the data folder.
QString filePath(const QString &name);
// Creates the folder when missing; false with a reason when it cannot, or
// when $VLM_DATA_DIR holds bytes the system's encoding cannot read.
bool ensure(QString *error = nullptr);

// The name an import's staging folder in Pages/ starts with.
inline const QString ImportStagingPrefix = QStringLiteral(".import-");

// Removes the "Pages/.import-*" staging folders that an import killed before
// it ended leaves behind; they only hold copies. Looks at Pages/ alone, so
// it is cheap. Call only while holding "vlm.lock", so no import is running.
// Gives how many folders could not be removed. The thumbnail temporaries a
// killed write leaves lie in a thousand folders of a large archive: start
// a ThumbnailTempSweep beside this call for them.
int removeImportLeftovers();

// One entry of a folder as the folder lists it: a link is an entry of its
// own, whatever it points at.
struct FolderEntry
{
    enum class Kind { Folder, Link, Other };
    QString name;
    Kind kind = Kind::Other;
};

// What a look into a folder saw.
struct FolderListing
{
    QString path;                // the folder looked into
    QList<FolderEntry> entries;  // by name; none when the look failed
    int error = 0;               // the errno of a failed look, 0 when it worked
    bool missing = false;        // nothing by that name: an empty folder

    bool failed() const { return error != 0; }
    // "<path>: <the system's reason>" for a failed look.
    QString errorText() const;
};

// Lists a store folder of the data folder ("Pages" or "Thumbs"). The
// folder's own link is followed: a user who moved the store to a larger
// disk leaves a link in its place. Links inside it are listed as links and
// never followed. A folder that does not exist is empty; one that is a
// broken link (ENOENT), no folder (ENOTDIR), a loop of links (ELOOP) or
// cannot be read gives the errno, so no sweep takes it for empty.
FolderListing listStoreFolder(const QString &name);

// Lists a folder inside a store folder (a bucket); the folder itself is
// not followed when it is a link (ELOOP or ENOTDIR then), nor is anything
// in it. A folder that does not exist is empty.
FolderListing listFolder(const QString &path);

// The names the data folder's own files and folders go by; every part of
// both programs spells them through here.
inline const QString DatabaseName = QStringLiteral("vlm.mdb");
inline const QString LockName = QStringLiteral("vlm.lock");
inline const QString BackupName = QStringLiteral("vlm.bak");
inline const QString TempDatabaseName = QStringLiteral("tempvlm.mdb");
// The database a new one is copied from when the folder holds it.
inline const QString TemplateDatabaseName = QStringLiteral("empty.mdb");
// What SQLite keeps beside a database: its rollback journal, or the
// write-ahead log and its index of a file last used in WAL mode.
inline const QString JournalSuffix = QStringLiteral("-journal");
inline const QString WalSuffix = QStringLiteral("-wal");
inline const QString ShmSuffix = QStringLiteral("-shm");
inline const QString DrawerTemplatesName = QStringLiteral("Drawer.txt");
inline const QString SampleOutlineName = QStringLiteral("Sample.txt");
inline const QString HelpTextName = QStringLiteral("vlmhelp.txt");
// Left in the data folder while a Start Over of vlmtools deletes files, so
// that a run killed part-way is known at the next start of either program.
inline const QString StartOverMarkerName = QStringLiteral("vlm.startover");
inline const QString PagesFolderName = QStringLiteral("Pages");
inline const QString ThumbsFolderName = QStringLiteral("Thumbs");

// Full paths of the above in the data folder.
QString databaseFile();
QString lockFile();
QString backupFile();
QString tempDatabaseFile();
QString pagesFolder();
QString thumbsFolder();
QString startOverMarkerFile();

// Every file of the data folder's own (the database with what SQLite keeps
// beside it, its backup and work copies, the lock, the Start Over marker
// and the text files), by name: none of them is ever a page's file.
QStringList ownFileNames();

} // namespace DataFolder
