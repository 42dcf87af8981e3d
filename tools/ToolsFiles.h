#pragma once

#include <QString>

#include <memory>

class QLockFile;

// The files the tools work on in the data folder, the lock that keeps them
// from running while vlm has the data open, and the tools' way of opening
// the database, which never creates one.
namespace ToolsFiles {

// "vlm.mdb", "vlm.bak" and "tempvlm.mdb" in the data folder.
QString GetDbPath();
QString GetBackupDbPath();
QString GetTempDbPath();

// The refusal shown while vlm runs on the data folder.
inline const QString VlmRunningText = QStringLiteral(
    "Vellumark is running on this data folder.  Close Vellumark first.");
// The refusal shown while another vlmtools runs a tool on it.
inline const QString ToolsRunningText = QStringLiteral(
    "Vellumark Tools is already at work on this data folder in another window.  Wait until it has finished.");
// The warning for a data folder without a database.
inline const QString NoDatabaseText = QStringLiteral(
    "VLMTools must be run from the Vellumark program path.\nCannot find file: VLM.MDB");

// Holds "vlm.lock" in the data folder for as long as it lives, so that vlm
// cannot start in the middle of a tool (vlm takes the same lock for its
// whole run).
class ToolsLock
{
public:
    ToolsLock();
    ~ToolsLock();
    ToolsLock(const ToolsLock &) = delete;
    ToolsLock &operator=(const ToolsLock &) = delete;

    // False when another program (vlm) holds the lock. A folder where no
    // lock file can be made (missing, read-only) counts as not held: no vlm
    // can be running on it, and the tool reports its own failure there.
    bool acquire();
    // Why acquire() failed, for the user: VlmRunningText, ToolsRunningText
    // when another vlmtools holds the lock, or what is wrong with a
    // "vlm.lock" that is no file. Empty after a successful acquire().
    QString refusal() const { return m_refusal; }

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_refusal;
};

// True when a running program holds "vlm.lock" of the data folder.
bool isVlmRunning();
// The refusal a tool that needs the lock would give now (ToolsLock's), or
// an empty text when it could run.
QString lockRefusal();

// "file:" URI of path opened read-write and never created (mode=rw).
QString existingFileUri(const QString &path);

// Opens the program's connection on "vlm.mdb" without ever creating it,
// once the file is recognised as vlm's start-up recognises it. False with
// NoDatabaseText when the file is missing (and no journal of it is left),
// or with start-up's explanation
// when the file is not a whole Vellumark database; *refusal then tells
// whether it is something the user can put right (shown as a warning)
// rather than an error. Throws AppError when the recognised file cannot be
// opened after all.
bool OpenToolsDatabase(QString *message, bool *refusal = nullptr);

} // namespace ToolsFiles
