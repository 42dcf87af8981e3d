#include "store/Startup.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLockFile>

#include <cerrno>

#include "core/Prompt.h"
#include "platform/DataFolder.h"
#include "platform/DataFolderLock.h"
#include "platform/DbConnection.h"
#include "platform/FileSync.h"
#include "platform/PathFacts.h"
#include "platform/Settings.h"
#include "platform/ThumbnailTempSweep.h"
#include "store/Database.h"
#include "store/StoreLog.h"

namespace {

// What writing a small file in the folder says: 0 when it works.
int writeProbe(const QString &folder)
{
    QFile probe(QStringLiteral("%1/.vlm-write-test").arg(folder));
    errno = 0;
    int code = 0;
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        code = errno != 0 ? errno : EACCES;
    else if (probe.write(QByteArrayLiteral("vellumark\n")) != 10)
        code = errno != 0 ? errno : ENOSPC;
    probe.close();
    probe.remove();
    return code;
}

// What the user does once the cause is put right, in the program's terms.
QString again(Startup::Program program)
{
    return program == Startup::Program::Tools ? QStringLiteral("run the tool again in Vellumark Tools")
                                              : QStringLiteral("start Vellumark again");
}

// Who makes the new database: vlm does, at its start; vlmtools never does.
QString newDatabaseMade(Startup::Program program, bool then)
{
    if (program == Startup::Program::Tools)
        return then ? QStringLiteral("Vellumark then makes a new, empty database")
                    : QStringLiteral("Vellumark makes a new, empty database when there is none");
    return then ? QStringLiteral("a new, empty database is then made")
                : QStringLiteral("a new, empty database is made when there is none");
}

QString advice(const AppError &e, const QString &file, Startup::Program program)
{
    // The database and its journal are one: a journal played into another
    // file corrupts it, and the database alone may lack what the journal
    // holds. The advice always keeps them together.
    const QString moveAway = QStringLiteral(
        "Move it, and \"%1\" or \"%2\" if either is beside it, out of the data folder together "
        "(or put a backup of the database in their place) and %3; %4.")
                                 .arg(QFileInfo(file).fileName() + DataFolder::JournalSuffix,
                                      QFileInfo(file).fileName() + DataFolder::WalSuffix, again(program),
                                      newDatabaseMade(program, false));
    switch (ErrorCode(e.code)) {
    case ErrorCode::NotOurDatabase:
        return QStringLiteral("\"%1\" is not a Vellumark database (%2). It was left as it is. %3")
            .arg(file, e.text, moveAway);
    case ErrorCode::DatabaseDamaged:
        return QStringLiteral("The database \"%1\" is damaged: %2. It was left as it is. %3")
            .arg(file, e.text, moveAway);
    case ErrorCode::DatabaseReadOnly:
        return QStringLiteral("The database \"%1\" is read-only, so nothing could be saved. Make the file "
                              "writable for your user and %2.")
            .arg(file, again(program));
    case ErrorCode::JournalWithoutDatabase:
        return QStringLiteral("The database \"%1\" cannot be opened: %2. The journal is what makes that "
                              "database whole again after an interrupted save; it was left as it is, and no new "
                              "database was made. Put the database back beside it and %3. "
                              "Only if that database is lost for good, move the journal out of the data folder; "
                              "%4.")
            .arg(file, e.text, again(program), newDatabaseMade(program, true));
    default:
        break;
    }
    // SQLite's "not a database" and "malformed" (the low byte of the
    // extended code) mean the file itself is bad; anything else (a full
    // disk, a lock) is put right outside it.
    const int primary = e.code & 0xff;
    if (e.code < int(ErrorCode::Unexpected) && (primary == 26 || primary == 11))
        return QStringLiteral("%1\n\nThe database \"%2\" cannot be used. It was left as it is. %3")
            .arg(e.message(), file, moveAway);
    return QStringLiteral("%1\n\nThe database \"%2\" could not be opened; it was left as it is. Put right what "
                          "the error names and %3.")
        .arg(e.message(), file, again(program));
}

bool isRefusal(const AppError &e)
{
    switch (ErrorCode(e.code)) {
    case ErrorCode::NotOurDatabase:
    case ErrorCode::DatabaseDamaged:
    case ErrorCode::DatabaseReadOnly:
    case ErrorCode::JournalWithoutDatabase:
        return true;
    default:
        return false;
    }
}

} // namespace

namespace Startup {

void show(const Failure &failure)
{
    if (failure.refusal)
        Prompt::instance().warning(failure.message);
    else
        Prompt::instance().error(failure.message);
}

void initApplication()
{
    QCoreApplication::setApplicationName(Settings::AppName);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vellumark"));
    // Scanned pages at 600 dpi are larger than Qt's default image limit.
    QImageReader::setAllocationLimit(1024);
}

std::optional<Failure> checkDriver()
{
    QString message;
    if (Database::checkDatabaseDriver(&message))
        return std::nullopt;
    return Failure{message, false};
}

std::optional<Failure> ensureDataFolder()
{
    QString message;
    if (DataFolder::ensure(&message))
        return std::nullopt;
    return Failure{message, true};
}

QString lockFailureMessage(int lockError, int errnoValue, const QString &folder, const QString &holder)
{
    if (lockError == QLockFile::LockFailedError && holder == DataFolderLock::ToolsProgram)
        return QStringLiteral("The maintenance tools (Vellumark Tools) are working on the data folder \"%1\". "
                              "Start Vellumark again once they have finished.")
            .arg(folder);
    if (lockError == QLockFile::LockFailedError)
        return QStringLiteral("Vellumark is already running on the data folder \"%1\".").arg(folder);
    switch (errnoValue) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("The disk of the data folder \"%1\" is full (%2). Free some space and start "
                              "Vellumark again.")
            .arg(folder, qt_error_string(errnoValue));
    case EROFS:
        return QStringLiteral("The data folder \"%1\" lies on a read-only file system. Vellumark needs to write "
                              "there; point VLM_DATA_DIR at a writable folder or mount it writable.")
            .arg(folder);
    default:
        break;
    }
    const QString reason = errnoValue != 0 ? qt_error_string(errnoValue) : QStringLiteral("permission denied");
    return QStringLiteral("Vellumark cannot write to its data folder \"%1\" (%2). Check the folder's "
                          "permissions and start Vellumark again.")
        .arg(folder, reason);
}

QString lockNotAFileMessage(const QString &folder, Program program)
{
    return QStringLiteral("\"%1\" in the data folder \"%2\" is not a file (it is a folder or a broken link), "
                          "so %3 cannot keep its lock there. Move it out of the data folder and %4.")
        .arg(DataFolder::LockName, folder,
             program == Program::Tools ? QStringLiteral("Vellumark Tools") : QStringLiteral("Vellumark"),
             program == Program::Tools ? QStringLiteral("start Vellumark Tools again") : again(program));
}

std::optional<Failure> unfinishedStartOver(Program program)
{
    const QString marker = DataFolder::startOverMarkerFile();
    if (!QFileInfo::exists(marker))
        return std::nullopt;
    // Start Over deletes the database last, just before its marker: with
    // neither the database nor a journal of it left, the run did all but
    // remove the marker.
    const QString db = DataFolder::databaseFile();
    if (PathFacts::kindOf(db) == PathFacts::Kind::Missing && !Database::hasJournal(db)) {
        if (!QFile::remove(marker))
            qCWarning(lcStore) << "cannot remove the marker of a finished Start Over" << marker;
        else if (const std::optional<AppError> e = FileSync::syncFolder(DataFolder::path()))
            qCWarning(lcStore) << "removed the marker of a finished Start Over, not yet on the disk:" << e->text;
        return std::nullopt;
    }
    // The database is still there, and the user may have filed into it
    // since: running Start Over again takes that too, and the advice says so.
    const QString where = program == Program::Tools ? QString() : QStringLiteral(" in Vellumark Tools");
    return Failure{QStringLiteral("The last Start Over%1 did not finish: it ended after it had begun deleting "
                                  "page files, so some pages may have lost their images and thumbnails. Run Start "
                                  "Over%1 again to finish it; it deletes whatever was filed since, too.")
                       .arg(where),
                   true};
}

std::unique_ptr<QLockFile> lockDataFolder(std::optional<Failure> *failure)
{
    // One program at a time works on the data folder; vlmtools checks this
    // lock before it changes anything.
    DataFolderLock::Attempt attempt = DataFolderLock::take();
    if (attempt.lock)
        return std::move(attempt.lock);
    if (attempt.notALockFile) {
        *failure = Failure{lockNotAFileMessage(DataFolder::path()), true};
        return nullptr;
    }
    const int error = int(attempt.error);
    const int probe = error == QLockFile::LockFailedError ? 0 : writeProbe(DataFolder::path());
    *failure = Failure{lockFailureMessage(error, probe, DataFolder::path(), attempt.holder), true};
    return nullptr;
}

std::optional<Failure> OpenDatabase()
{
    const QString file = Database::databaseFile();
    bool created = false;
    try {
        if (!QFileInfo::exists(file)) {
            Database::CreateDatabase(file);
            created = true;
        }
        Database::checkDatabaseFile(file);
        Database::OpenDatabase(file);
        Database::UpdateDatabase();
    } catch (const AppError &e) {
        DbConnection::close();
        // A copy of a bad "empty.mdb" made just now is ours to take back.
        if (created)
            QFile::remove(file);
        return Failure{advice(e, file, Program::Vellumark), isRefusal(e)};
    }
    return std::nullopt;
}

ToolsStart::ToolsStart() = default;
ToolsStart::ToolsStart(ToolsStart &&) noexcept = default;
ToolsStart &ToolsStart::operator=(ToolsStart &&) noexcept = default;
ToolsStart::~ToolsStart() = default;

ToolsStart prepareForTools()
{
    ToolsStart start;
    if (!QFileInfo(DataFolder::path()).isDir())
        return start;
    DataFolderLock::Attempt attempt = DataFolderLock::take();
    if (attempt.notALockFile) {
        start.warning = Failure{lockNotAFileMessage(DataFolder::path(), Program::Tools), true};
        return start;
    }
    // Another program holds the lock: vlm's own start-up did all this, and
    // a Start Over running in another vlmtools keeps its marker. A folder
    // where no lock can be made is reported by each tool that needs to
    // write.
    if (!attempt.lock)
        return start;
    DataFolder::removeImportLeftovers();
    start.thumbnailSweep = std::make_unique<ThumbnailTempSweep>();
    const QString file = Database::databaseFile();
    try {
        Database::recoverDatabase(file);
    } catch (const AppError &e) {
        // A journal without its database, or one that cannot be undone in a
        // read-only file, stays as it is: the tools that open the database
        // explain it, and Start Over asks before it removes it.
        qCInfo(lcStore) << "journal left as it is:" << e.text;
    }
    start.warning = unfinishedStartOver(Program::Tools);
    return start;
}

std::optional<Failure> recogniseDatabase(const QString &file)
{
    try {
        Database::checkDatabaseFile(file);
    } catch (const AppError &e) {
        return Failure{advice(e, file, Program::Tools), isRefusal(e)};
    }
    return std::nullopt;
}

} // namespace Startup
