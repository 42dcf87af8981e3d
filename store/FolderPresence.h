#pragma once

#include <QString>

#include <optional>

#include "core/RecordId.h"

// Whether the disk of a folder of page files is connected. A removable disk
// that is not connected leaves its mount point empty, or takes it away: the
// files the rows name are then not gone, and a file written there would be
// hidden under the disk once it is back. So a folder is there when it is a
// folder (links followed) and, when rows name files in it, holds at least
// one of them. Every writer of page files and link repair ask here.
//
// The rows that name files in a folder:
//   the page store ("Pages")      the pages without a Filename
//   a cabinet's storage folder    that cabinet's pages under it
//   any other folder              the pages under it that are not shortcuts
// (link repair judges the folders of shortcut pages by their own rows).
namespace FolderPresence {

// Which rows name files in the folder asked about.
enum class Rows { PageStore, Storage, Other };

// The rule, from what the caller counted: named files the rows name in
// folder, found of them there. A folder that is missing (a dangling link
// too) or holds none of its files is not there.
bool isThere(const QString &folder, qint64 named, qint64 found);

// Why no page file may be written into folder, or nothing when one may: it
// is there, or it is missing while no row names a file in it and the
// folder above it exists (it is then made for the file). cabinetId: the
// cabinet whose storage folder it is, for Rows::Storage. Throws AppError.
std::optional<QString> writeRefusal(Rows rows, const QString &folder, RecordId cabinetId = 0);

// "The storage folder "…" holds none of this cabinet's <n> pages: is its
// disk connected?"
QString storageMessage(const QString &folder, qint64 count);
// "The page folder "…" holds none of its <n> pages: is its disk connected?"
QString pageStoreMessage(const QString &folder, qint64 count);

// Tells whether files exist as QFileInfo::exists does (links followed),
// opening each folder once: walking every path from the root costs more
// than the look itself, and files of one folder come one after another.
class FileProbe
{
public:
    FileProbe() = default;
    FileProbe(const FileProbe &) = delete;
    FileProbe &operator=(const FileProbe &) = delete;
    ~FileProbe();

    bool exists(const QString &path);

private:
    void closeFolder();

    QString m_folder;
    int m_fd = -1;
};

} // namespace FolderPresence
