#include "store/FileKinds.h"

namespace {

bool endsWithImageName(const QString &lower)
{
    return lower.endsWith(QLatin1String("jpg")) || lower.endsWith(QLatin1String("jpeg"))
        || lower.endsWith(QLatin1String("bmp"));
}

} // namespace

namespace FileKinds {

bool IsImageFile(const QString &name)
{
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".bmp"))
        || lower.endsWith(QLatin1String(".jpeg")))
        return true;
    return IsNonImageFile(name);
}

bool IsNonImageFile(const QString &name)
{
    return !endsWithImageName(name.toLower());
}

QString GetFileType(const QString &name)
{
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return QStringLiteral("jpg");
    return lower.right(3);
}

} // namespace FileKinds
