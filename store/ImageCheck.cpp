#include "store/ImageCheck.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

namespace {

// The edge the check decodes at: a JPEG scales while it decodes.
constexpr int kCheckSide = 64;

} // namespace

namespace ImageCheck {

std::optional<QString> UnreadableImage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QImageReader reader(&file);
    if (!reader.canRead())
        return reader.errorString();
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(kCheckSide, kCheckSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image;
    if (!reader.read(&image))
        return reader.errorString();
    return std::nullopt;
}

bool EndsEarly(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xFF\xD8"))
        return false;
    // After the first start of scan only markers can hold 0xFF followed by
    // anything but 0x00 or a restart number, so the first 0xFF 0xD9 there
    // is the image's end.
    const qsizetype scan = bytes.indexOf("\xFF\xDA", 2);
    return scan < 0 || bytes.indexOf("\xFF\xD9", scan + 2) < 0;
}

bool FileEndsEarly(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return false;
    return EndsEarly(QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), file.size()));
}

QString EndsEarlyNote()
{
    return QStringLiteral("The image ends early; it was filed as far as it could be read.");
}

} // namespace ImageCheck
