#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "platform/AppError.h"

// Putting new files on the disk so that a power cut cannot take them back:
// their bytes, and the folder entries that name them. Also the two ways a
// new file goes where no file may stand yet (never over one).
namespace FileSync {

// Writes all of data to the open file, going on after short writes and
// interruptions; 0, or the errno of the write that failed.
int writeAll(int fd, const char *data, qint64 size);

// Makes a file's bytes durable (fdatasync). Only this file waits, not the
// other writes of its file system; call it off the window's thread.
[[nodiscard]] std::optional<AppError> syncFile(const QString &path);
// Makes a folder's entries durable (fsync of the folder), so a file made,
// renamed or removed in it stays so after a power cut.
[[nodiscard]] std::optional<AppError> syncFolder(const QString &path);
// Starts writing a file's bytes to the disk without waiting for them
// (sync_file_range), so that a later syncFile of it, and of the files
// written beside it, finds them written and waits for one commit of the
// file system's journal instead of one each. Best effort: a failure shows
// at syncFile.
void startWriteback(const QString &path);

// Syncs the files, then the folders, on up to threads threads at once
// (each sync ends in a flush of the disk's cache, and flushes that wait
// side by side are merged into one); traced (when given) is called with
// each path once it is synced. The first failure.
[[nodiscard]] std::optional<AppError> syncAll(const QStringList &files, const QStringList &folders, int threads,
                                              const std::function<void(const QString &path)> &synced = {});

// Writes bytes as a new file at path, which must not exist (O_EXCL): what
// stands there, a file or a link, is never written over or through. A
// failed write leaves no file. errno's error on failure (EEXIST when taken).
[[nodiscard]] std::optional<AppError> writeNew(const QString &path, const QByteArray &bytes);
// Copies source byte for byte to a new file at path, as writeNew.
[[nodiscard]] std::optional<AppError> copyNew(const QString &source, const QString &path);
// Renames from to path when nothing stands at path (RENAME_NOREPLACE, or a
// hard link and an unlink where the file system lacks it); EEXIST when
// something does.
[[nodiscard]] std::optional<AppError> renameNew(const QString &from, const QString &path);
// Replaces whatever file stands at path with bytes in one step (a file
// written beside it, synced, and renamed over it): the user's own named
// file after they were asked, an edited page's image.
[[nodiscard]] std::optional<AppError> replaceWith(const QString &path, const QByteArray &bytes);

} // namespace FileSync
