#pragma once

#include <QString>

#include <memory>
#include <optional>

class QLockFile;
class ThumbnailTempSweep;

// The start-up steps that vlm and vlmtools share, in the order they run:
// the application's names and image limit, the database driver, the data
// folder, its lock, and the database (created when missing, recognised,
// opened and upgraded). Each step gives what went wrong, or nothing.
namespace Startup {

// Why start-up stopped. A refusal (something the user can put right: the
// program already running, a read-only or foreign file) shows the warning
// icon; a failure ("Error # ...") the error icon.
struct Failure
{
    QString message;
    bool refusal = false;
};

// Shows a failure through the prompt with its icon.
void show(const Failure &failure);

// Which program a message is for: each tells the user what to do in its
// own terms ("start Vellumark again", "run the tool again").
enum class Program { Vellumark, Tools };

// The settings application name, the product name, and the image size
// limit that 600-dpi pages need. Call once the application object exists.
void initApplication();

std::optional<Failure> checkDriver();
std::optional<Failure> ensureDataFolder();

// Takes "vlm.lock" in the data folder, or takes over one that no live
// process holds; on failure *failure says why: another vlm holds it, it is
// no file, or the folder cannot be written (permissions, a read-only file
// system, a full disk).
std::unique_ptr<QLockFile> lockDataFolder(std::optional<Failure> *failure);
// The message for a lock that could not be taken. lockError is
// QLockFile::LockError; errnoValue the reason a test write in the folder
// gave (0 for none); holder the program the lock file names
// (DataFolderLock::Attempt::holder): a held lock of vlmtools says that the
// maintenance tools are at work rather than that Vellumark runs.
QString lockFailureMessage(int lockError, int errnoValue, const QString &folder,
                           const QString &holder = QString());
// The message for a "vlm.lock" that is no file at all (a folder).
QString lockNotAFileMessage(const QString &folder, Program program = Program::Vellumark);

// The warning for a data folder that holds the marker of a Start Over that
// did not finish (killed, or stopped by a file it could not delete), or
// nothing. A marker found without a database or a journal of one is what a
// run killed after its last deletion leaves: nothing is left to do, and it
// is removed without a word. Call while holding the lock, before a new
// database is made: a Start Over running now holds it.
std::optional<Failure> unfinishedStartOver(Program program);

// Creates the database when missing, checks the file before anything may
// change it, opens the connection and upgrades the schema. A journal left
// by an unfinished commit is rolled back first; one left without its
// database stops start-up and is kept, and no database is made. A bad file
// is left byte for byte as it was; the message names it and says what to
// do.
std::optional<Failure> OpenDatabase();

// What the start-up of vlmtools leaves: a warning to show before the
// window opens, and the sweep of thumbnail leftovers it started.
struct ToolsStart
{
    std::optional<Failure> warning;
    std::unique_ptr<ThumbnailTempSweep> thumbnailSweep;

    ToolsStart();
    ToolsStart(ToolsStart &&) noexcept;
    ToolsStart &operator=(ToolsStart &&) noexcept;
    ~ToolsStart();
};

// The start-up of vlmtools on an existing data folder, while no vlm holds
// it: takes the lock for the moment, removes an import's leftovers (the
// thumbnail part on a thread of its own), and lets SQLite roll back a
// journal left beside the database, which only helps. It never judges,
// creates or opens the database: the window opens whatever the file is,
// and each tool that needs the database refuses an unusable one itself.
// A data folder that is missing, or a lock held by another program, gives
// nothing to do. Warns about a "vlm.lock" that is no file and about a
// Start Over that did not finish.
ToolsStart prepareForTools();

// Recognises an existing database file as start-up does (a journal left
// beside it rolled back first, then the header, the tables and whether it
// can be written) without opening the program's connection: the tools of
// vlmtools run it before they open the file, so that a foreign or damaged
// file gets the same explanation as at vlm's start, in the tools' words.
// Nothing when the file is ours; else the failure with that explanation.
std::optional<Failure> recogniseDatabase(const QString &file);

} // namespace Startup
