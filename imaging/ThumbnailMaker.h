#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

#include <optional>

#include "core/RecordId.h"
#include "imaging/ImageOps.h"
#include "platform/AppError.h"

// The thumbnails of stored pages: one JPEG per page at its thumbnail path,
// a white square of ThumbnailSide pixels holding the page image scaled so
// that its longer side fills the square, placed at the top-left corner (a
// landscape page leaves a white band along the bottom, a portrait page one
// along the right). Every writer of a page image makes its thumbnail here,
// so the format is defined once.
//
// Errors follow ImageOps: nothing here throws; a failure comes back as the
// AppError that says why (errno or ErrorCode::InvalidValue), and callers
// whose rule is to go on (the page pane, imports) show the page without a
// picture and carry on with the next one.
namespace ThumbnailMaker {

// The edge of the square, in pixels.
constexpr int ThumbnailSide = 100;
// The JPEG quality factor of thumbnails, on the program's 1..255 scale.
constexpr int ThumbnailQuality = 10;

// The size an image of imageSize takes inside the square: the longer side
// becomes side, the other keeps the aspect ratio, to the nearest pixel with
// halves to even (a square image fills the square; an image smaller than
// the square is enlarged).
QSize contentSize(const QSize &imageSize, int side = ThumbnailSide);

// A white square of side by side pixels with scaled (an image already
// scaled to contentSize) copied in at its top-left corner; always colour,
// whatever the depth of scaled.
QImage compose(const QImage &scaled, int side = ThumbnailSide);

// The thumbnail picture of an image held in memory (the viewer's image at
// a page save): scaled with resampling, then composed.
QImage thumbnailOf(const QImage &image, int side = ThumbnailSide);

// The thumbnail picture of the image file at path, decoded at reduced size
// (a JPEG is scaled while it is decoded, so the full page never sits in
// memory). The errors of ImageOps::load. A JPEG too large to show whole
// (ImageCheck::bytesTooLargeToShow) is read for its DC values alone
// (JpegDc); when they cannot be read, nothing more is decoded and the
// error (ErrorCode::InvalidValue) gives that reason.
[[nodiscard]] ImageOps::LoadResult readThumbnail(const QString &imagePath, int side = ThumbnailSide);

// The same for image bytes already in memory (a file read once for
// copying and for its thumbnail); name is the file the errors name.
[[nodiscard]] ImageOps::LoadResult readThumbnail(const QByteArray &bytes, const QString &name,
                                                 int side = ThumbnailSide);

// Writes a thumbnail picture (from thumbnailOf or readThumbnail) at
// thumbPath as the thumbnail JPEG, creating its folder.
[[nodiscard]] std::optional<AppError> writeThumbnail(const QImage &thumbnail, const QString &thumbPath);

// Writes the thumbnail of image at thumbPath, creating its folder.
[[nodiscard]] std::optional<AppError> writeThumbnailOf(const QImage &image, const QString &thumbPath,
                                                       int side = ThumbnailSide);
// The thumbnail of image as JPEG bytes, encoded on the caller's thread (a
// worker's, for a new page); the page's birth in the store writes them.
QByteArray encodeThumbnail(const QImage &image, int side = ThumbnailSide);

// Makes the thumbnail file of the image file at imagePath. An existing file
// at thumbPath is deleted first, so a page whose image is missing or
// unreadable is left without a stale thumbnail and the next showing of the
// page tries again. The two paths naming one file are refused before
// anything is deleted.
[[nodiscard]] std::optional<AppError> makeThumbnailFile(const QString &imagePath, const QString &thumbPath,
                                                        int side = ThumbnailSide);

// One thumbnail to make.
struct Job
{
    QString imagePath;
    QString thumbPath;
};

// Makes the thumbnails of jobs on threads worker threads at once (0: one
// per core; 1: on the calling thread), returning when all are done. Result
// i is the outcome of jobs[i]; one failure does not stop the others.
QVector<std::optional<AppError>> makeThumbnailFiles(const QVector<Job> &jobs, int threads = 0,
                                                    int side = ThumbnailSide);

// The thumbnail of a stored page, at the paths the page store gives for
// its id (the database is read). A shortcut page has no thumbnail: it is
// refused and nothing is deleted, for its thumbnail path lies in the
// user's own folder.
[[nodiscard]] std::optional<AppError> MakeThumbnail(RecordId pageId, int side = ThumbnailSide);
// The same for many pages: the paths are read on the calling thread, the
// thumbnails made on every core. Result i belongs to pageIds[i].
QVector<std::optional<AppError>> makePageThumbnails(const QVector<RecordId> &pageIds, int side = ThumbnailSide);

} // namespace ThumbnailMaker
