#include "imaging/SaveAs.h"

#include "core/AppSettings.h"
#include "core/Product.h"
#include "core/RecordId.h"
#include "imaging/ImageOps.h"
#include "platform/DataFolder.h"
#include "platform/PathFacts.h"
#include "store/PagePaths.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace SaveAs {

QString proposedName(RecordId pageId)
{
    const QString last = AppSettings::LastSaveAsPath.read();
    return PagePaths::GetFolderPart(last) + QString::number(pageId) + QStringLiteral(".jpg");
}

QString withDefaultExtension(const QString &name)
{
    return QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".jpg") : name;
}

bool isInsideDataFolder(const QString &name)
{
    const QString folder = QDir::cleanPath(DataFolder::path());
    // The designed test: the folder's text anywhere in the name.
    if (name.toUpper().contains(folder.toUpper()))
        return true;
    return PathFacts::isInsideFolder(name, folder);
}

QString insideDataFolderMessage()
{
    return QStringLiteral("You cannot save an image to a path within the %1 system.\n"
                          "Please select another location that is not within the application path of:\n'%2'.")
        .arg(Product::GetAppTitle(), QDir::cleanPath(DataFolder::path()));
}

QString overwriteQuestion(const QString &name)
{
    return QStringLiteral("'%1' exists.  Overwrite?").arg(name);
}

std::optional<AppError> exportImage(const QImage &image, const QString &name, int quality)
{
    const QString folder = PagePaths::GetFolderPart(name);
    if (!PagePaths::MakePath(folder)) {
        const int error = errno;
        return errnoError(error ? error : EACCES, folder);
    }
    if (auto error = ImageOps::saveJpeg(image, name, quality))
        return error;
    AppSettings::LastSaveAsPath.write(folder);
    return std::nullopt;
}

} // namespace SaveAs
