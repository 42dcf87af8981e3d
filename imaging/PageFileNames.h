#pragma once

#include <QString>

#include "core/RecordId.h"

// The names and paths decided for a page's file: the checks on a file name
// typed for a cabinet with its own storage path, the questions they lead
// to, and the name a new page gets from its id.
namespace PageFileNames {

enum class NameVerdict {
    Accept,         // go on with boxText
    Refuse,         // show message, put boxText back in the box, store nothing
    AskAutoAssign,  // the box is empty: offer to let the program name the file
};

struct NameCheck
{
    NameVerdict verdict = NameVerdict::Accept;
    QString message;
    QString boxText;
};

// Checks the text of the file-name box in order: a trailing "/", a
// character a file name may not hold (removed from the text), emptiness,
// then the extension (".jpg" is added to a name without any; another one
// is refused). A relative name is taken inside the cabinet's storage path.
NameCheck checkFileName(const QString &typed, const QString &storagePath);

// The texts of the questions and refusals of the checks.
QString pleaseEnterFilenameMessage();
QString autoAssignQuestion();
QString overwriteQuestion(const QString &path);
QString renameQuestion(const QString &oldPath);

// True when the two names are one file name. Case counts: on Linux "A.jpg"
// and "a.jpg" are two files, and taking them for one would overwrite the
// other without asking.
bool sameFileName(const QString &a, const QString &b);

// The box of a cabinet with its own storage path starts at that folder.
QString startOfName(const QString &storagePath);

// "<folder>/<pageId>.jpg": the file of a new page of a cabinet with its own
// storage path that nobody names.
QString nameById(const QString &folder, RecordId pageId);

// True when a page other than pageId has the file at path as its own.
// Throws AppError.
bool namedByAnotherPage(const QString &path, RecordId pageId);

} // namespace PageFileNames
