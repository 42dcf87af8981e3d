#pragma once

#include <QByteArray>

#include <sys/types.h>

// Directories and files made below a folder without following a link that
// stands where one of them goes: a tree written onto a medium someone else
// prepared must never write through such a link to a file elsewhere.
namespace NoFollowFiles {

// Makes every missing directory of relative ("a/b/c") below base. Base
// itself is the caller's choice and is taken as it is (made, links
// followed, when missing). Returns 0, or the errno with the path that
// failed in *failed: ELOOP when a level below base is a link, ENOTDIR when
// it is some other file, EINVAL for a "." or ".." level.
int makeDirectories(const QByteArray &base, const QByteArray &relative, QByteArray *failed);

// Creates path as a new regular file open for writing, without opening
// whatever stands there: an existing entry that is not a directory (a
// file, a link, a pipe) is removed first, so a link's target is never
// touched. Returns the descriptor, or -1 with errno set.
int createFile(const QByteArray &path, mode_t mode = 0666);

} // namespace NoFollowFiles
