#include "imaging/PageFileNames.h"

#include <QDir>
#include <QStringList>

#include "core/RecordId.h"
#include "platform/PathFacts.h"
#include "store/NameChars.h"
#include "store/PagePaths.h"
#include "store/Pages.h"

namespace PageFileNames {

NameCheck checkFileName(const QString &typed, const QString &storagePath)
{
    if (typed.endsWith(QLatin1Char('/')))
        return {NameVerdict::Refuse, pleaseEnterFilenameMessage(), typed};
    if (NameChars::HasInvalidPathChar(typed))
        return {NameVerdict::Refuse,
                QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | ."),
                NameChars::StripInvalidPathChars(typed)};
    if (typed.isEmpty())
        return {NameVerdict::AskAutoAssign, QString(), typed};
    QString name = typed;
    if (QDir::isRelativePath(name))
        name = startOfName(storagePath) + name;
    if (!name.right(4).toLower().endsWith(QLatin1String(".jpg"))) {
        if (PagePaths::GetFileNamePart(name).contains(QLatin1Char('.')))
            return {NameVerdict::Refuse,
                    QStringLiteral("The file extension must be .JPG (please change filename)."), name};
        name += QStringLiteral(".jpg");
    }
    return {NameVerdict::Accept, QString(), name};
}

QString pleaseEnterFilenameMessage()
{
    return QStringLiteral("Please enter a filename.");
}

QString autoAssignQuestion()
{
    return QStringLiteral("No filename entered.  Do you want to auto-assign a filename?");
}

QString overwriteQuestion(const QString &path)
{
    // "aready" is the designed text, kept as it is.
    return QStringLiteral("The file named '%1' aready exists.\nDo you want to overwrite this file?").arg(path);
}

QString renameQuestion(const QString &oldPath)
{
    return QStringLiteral("You have renamed this file.  Do you want to delete the old filename?\n"
                          "Old filename: '%1'")
        .arg(oldPath);
}

bool sameFileName(const QString &a, const QString &b)
{
    return a.trimmed() == b.trimmed();
}

QString startOfName(const QString &storagePath)
{
    return storagePath.endsWith(QLatin1Char('/')) ? storagePath : storagePath + QLatin1Char('/');
}

QString nameById(const QString &folder, RecordId pageId)
{
    return startOfName(folder) + QString::number(pageId) + QStringLiteral(".jpg");
}

// A name typed for a page may be any number, and so a new page's name by
// id. Any other file at the path is what a save killed before its rows
// committed left behind (the rolled-back id is handed out again).
bool namedByAnotherPage(const QString &path, RecordId pageId)
{
    const QStringList names = Pages::filenamesNamed(PagePaths::GetFileNamePart(path), pageId);
    for (const QString &name : names) {
        if (PathFacts::sameFile(name, path))
            return true;
    }
    return false;
}

} // namespace PageFileNames
