#include "core/ImageCheck.h"

#include <algorithm>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>

namespace {

// The edge the check decodes at: a JPEG scales while it decodes.
constexpr int kCheckSide = 64;

std::optional<QString> tooLargeToShow(QIODevice *device)
{
    QImageReader reader(device);
    if (!reader.canRead())
        return std::nullopt;
    const QSize size = reader.size();
    if (!ImageCheck::overAllocationLimit(size, reader.imageFormat()))
        return std::nullopt;
    const qint64 needed = ImageCheck::decodedBytes(size, reader.imageFormat());
    const int limitMb = QImageReader::allocationLimit();
    constexpr qint64 kMb = 1024 * 1024;
    return QStringLiteral("The image of %1 by %2 pixels is too large to show: it needs %3 MB, more than the %4 MB "
                          "an image may take.")
        .arg(size.width())
        .arg(size.height())
        .arg((needed + kMb - 1) / kMb)
        .arg(limitMb);
}

} // namespace

namespace ImageCheck {

qint64 decodedBytes(const QSize &size, QImage::Format format)
{
    // Qt counts every pixel at 32 bits at least, whatever the format it
    // decodes to: a grey JPEG decodes to 8 bits a pixel but is counted at 32.
    const int bits = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 bytesPerLine = (qint64(size.width()) * std::max(bits, 32) + 31) / 32 * 4;
    return bytesPerLine * size.height();
}

bool overAllocationLimit(const QSize &size, QImage::Format format)
{
    const int limitMb = QImageReader::allocationLimit();
    return limitMb > 0 && size.isValid() && decodedBytes(size, format) > qint64(limitMb) * 1024 * 1024;
}

std::optional<QString> unreadableImage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QImageReader reader(&file);
    if (!reader.canRead())
        return reader.errorString();
    const QSize size = reader.size();
    if (reader.format() == "jpeg" && overAllocationLimit(size, reader.imageFormat()))
        return std::nullopt;
    if (size.isValid())
        reader.setScaledSize(size.scaled(kCheckSide, kCheckSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image;
    if (!reader.read(&image))
        return reader.errorString();
    return std::nullopt;
}

std::optional<QString> bytesTooLargeToShow(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    return tooLargeToShow(&buffer);
}

std::optional<QString> fileTooLargeToShow(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return tooLargeToShow(&file);
}

} // namespace ImageCheck
