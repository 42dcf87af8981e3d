#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#include "platform/AppError.h"

// The writes of an export onto its medium: page copies, text files and
// directories, each telling a full disk (ENOSPC, EDQUOT: the next disk may
// take it) from every other failure (EFBIG of FAT's 4 GiB limit, EROFS,
// EACCES, ...), which no other disk would cure. A failed write leaves no
// partial file and holds no handle open, so the medium can be unmounted
// at the next-disk question. Tests replace it to model small disks.
class FileCopier
{
public:
    enum class Status { Done, DiskFull, SourceMissing, Failed };

    struct Result
    {
        Status status = Status::Done;
        AppError error;   // why, unless Done
        bool ok() const { return status == Status::Done; }
    };

    virtual ~FileCopier() = default;

    // Copies source byte for byte to target, replacing a file there;
    // SourceMissing when there is no file at source. A link at target is
    // replaced by the file, never written through.
    virtual Result copyFile(const QString &source, const QString &target);
    // Replaces the file (or link) at target with bytes.
    virtual Result writeFile(const QString &target, const QByteArray &bytes);
    // Creates the directory relative ("a/b") below base and every missing
    // one between; full stops in any component are just characters. Base
    // is taken as it is; a level below it that is a link fails (ELOOP).
    virtual Result makeDirectory(const QString &base, const QString &relative);
    // Makes files written here and the directories that name them durable
    // (the files first), so a medium pulled without ejecting still holds
    // them. Only these are waited for, never the other writes of their file
    // system, and the wait runs off the calling thread while its events go
    // on (a progress window repaints). The first failure.
    virtual std::optional<AppError> sync(const QStringList &files, const QStringList &folders);

    // The one real copier.
    static FileCopier &system();

    // The failure of a write to path, a full disk told from the others.
    static Result failure(int errnoValue, const QString &path);
};
