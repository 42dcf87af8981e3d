#include "bench/PageFileWriter.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include "core/RecordId.h"
#include "platform/DataFolder.h"
#include "store/PagePaths.h"

namespace {

// A grey sheet with darker "text" bands: compresses like a scanned page
// rather than like a flat colour, yet stays a few kilobytes.
QByteArray makeJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(235);
    for (int y = height / 10; y < height * 9 / 10; y += 6) {
        uchar *line = image.scanLine(y);
        for (int x = width / 10; x < width * 9 / 10; ++x)
            line[x] = uchar((x * 7 + y * 3) % 5 == 0 ? 235 : 60);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 75);
    return bytes;
}

} // namespace

PageFileWriter::PageFileWriter()
    : m_page(makeJpeg(170, 220)), m_thumb(makeJpeg(60, 78))
{
}

bool PageFileWriter::writePage(RecordId pageId, QString *error)
{
    if (!checkImages(error))
        return false;
    const QString pageFolder = PagePaths::GetDefaultPageFolder(pageId);
    const QString thumbFolder = PagePaths::GetDefaultThumbFolder(pageId);
    if (pageFolder != m_lastPageFolder) {
        if (!ensureFolder(pageFolder, error) || !ensureFolder(thumbFolder, error))
            return false;
        m_lastPageFolder = pageFolder;
        m_lastThumbFolder = thumbFolder;
    }
    return writeFile(PagePaths::GetDefaultPageFilePath(pageId), m_page, error)
        && writeFile(PagePaths::GetDefaultThumbFilePath(pageId), m_thumb, error);
}

bool PageFileWriter::writeMirror(const QString &root, RecordId pageId, QString *error)
{
    if (!checkImages(error))
        return false;
    const QString page = mirrorFilePath(root, false, pageId);
    const QString thumb = mirrorFilePath(root, true, pageId);
    return ensureFolder(PagePaths::GetFolderPart(page), error)
        && ensureFolder(PagePaths::GetFolderPart(thumb), error)
        && writeFile(page, m_page, error) && writeFile(thumb, m_thumb, error);
}

QString PageFileWriter::mirrorFilePath(const QString &root, bool thumbnail, RecordId pageId)
{
    return root + QLatin1Char('/') + (thumbnail ? DataFolder::ThumbsFolderName : DataFolder::PagesFolderName) + QLatin1Char('/')
        + PagePaths::bucket(pageId) + QLatin1Char('/') + QString::number(pageId) + QStringLiteral(".jpg");
}

bool PageFileWriter::checkImages(QString *error) const
{
    if (!m_page.isEmpty() && !m_thumb.isEmpty())
        return true;
    if (error)
        *error = QStringLiteral("Qt cannot write JPEG images here (is its JPEG image plugin installed?).");
    return false;
}

bool PageFileWriter::writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        return true;
    if (error)
        *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
    return false;
}

bool PageFileWriter::ensureFolder(const QString &folder, QString *error)
{
    if (PagePaths::MakePath(folder))
        return true;
    if (error)
        *error = QStringLiteral("Cannot create the folder \"%1\".").arg(folder);
    return false;
}
