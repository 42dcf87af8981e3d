#pragma once

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
// Gives how many folders could not be removed.
int removeImportLeftovers();

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
inline const QString PagesFolderName = QStringLiteral("Pages");
inline const QString ThumbsFolderName = QStringLiteral("Thumbs");

// Full paths of the above in the data folder.
QString databaseFile();
QString lockFile();
QString backupFile();
QString tempDatabaseFile();
QString pagesFolder();
QString thumbsFolder();

// Every file of the data folder's own (the database with what SQLite keeps
// beside it, its backup and work copies, the lock and the text files), by
// name: none of them is ever a page's file.
QStringList ownFileNames();

} // namespace DataFolder
