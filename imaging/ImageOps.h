#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <future>
#include <optional>

#include "platform/AppError.h"

class QIODevice;

// The image operations of the page viewer, the page save and the thumbnail
// maker, on plain QImages: load, save as JPEG, rotate, crop, trim, and the
// zoom arithmetic of the viewer.
//
// Errors: the calls that touch files never throw. They return the AppError
// to show (errno for a file the system refuses, ErrorCode::InvalidValue for
// a file that is not an image Qt can decode or is too large to hold), or
// nothing on success; the caller decides whether to show it (guard() shows
// a thrown AppError as "Error # n text") or to skip the step. The pure image
// functions cannot fail; those that refuse their input return a null QImage.
namespace ImageOps {

// The image of a file, or why there is none.
struct LoadResult
{
    QImage image;                 // null on failure
    std::optional<AppError> error; // set exactly when image is null
};

// Reads the first image of the file at path in its own format (grey stays
// grey), with its resolution. A missing or unreadable file gives its errno;
// a file that is not a decodable image, and one whose pixels would exceed
// QImageReader's allocation limit as Qt counts them (at least 32 bits a
// pixel, grey images too), give ErrorCode::InvalidValue with a text that
// names the file and the reason.
[[nodiscard]] LoadResult load(const QString &path);
// The same, decoded at the size that scaledSize gives for the stored size
// (QImageReader::setScaledSize: a JPEG is scaled while it is decoded).
[[nodiscard]] LoadResult load(const QString &path, const std::function<QSize(const QSize &)> &scaledSize);
// The same for the bytes of an open device (a file read into memory);
// name is the file the errors name.
[[nodiscard]] LoadResult load(QIODevice *device, const QString &name,
                              const std::function<QSize(const QSize &)> &scaledSize = nullptr);

// ---- Display of large pages ----

// The size a JPEG of stored size decodes at most cheaply while still
// holding needed pixels: the stored size divided by 8, 4 or 2 and rounded
// up (as the decoder scales), the largest division that covers needed in
// both directions; the stored size itself when none does.
QSize reducedDecodeSize(const QSize &stored, const QSize &needed);

// The device pixels an image of imageSize takes on the screen at zoom
// percent with devicePixelRatio, rounded up.
QSize displayedPixels(const QSize &imageSize, double zoom, double devicePixelRatio = 1);

// A page image to show at once and to edit soon after: picture is what the
// display shows now (a reduced decode, or the whole image), whole the
// whole image, ready or being decoded on a worker thread.
struct DisplayLoad
{
    QImage picture;                     // null on failure
    QSize size;                         // the stored size
    std::shared_future<LoadResult> whole;
    std::optional<AppError> error;       // set exactly when picture is null
};

// Loads the file at path for a display that needs neededPixels(stored
// size) device pixels of it. A JPEG that can decode at a quarter of its
// pixels or fewer (reducedDecodeSize) is decoded at that size for the
// picture while a worker thread decodes the whole image; any other image
// is decoded whole at once. The errors of load(path), found before the
// picture is shown; an image too large to hold whole is refused although a
// reduced decode would fit. The whole image is the one load(path) gives.
[[nodiscard]] DisplayLoad loadForDisplay(const QString &path,
                                         const std::function<QSize(const QSize &)> &neededPixels);

// The Qt JPEG quality (1..100) of a quality factor on the program's 1..255
// scale, where 1 and 2 give the most accurate image and 255 the smallest
// file; factors outside the scale are held to its ends.
int jpegQuality(int qualityFactor);

// Writes image at path as a JPEG with the quality factor of the program's
// scale, keeping its dots per meter. A grey image (a grey format, or a
// palette of greys only) is written as a grey JPEG, any other as colour:
// a grey page stays grey through every edit and save. Written through
// QSaveFile: a failure leaves any earlier file at path as it was and no
// partial file. The folder must exist.
// How a saved file survives a crash: Synced files reach the disk before the
// save returns (page images); Replaceable files are only swapped in whole,
// since they are made again when lost (thumbnails).
enum class Durability { Synced, Replaceable };
// Whether the image carries a resolution of its own, as its file stored it
// or an edit set it.
bool hasStoredResolution(const QImage &image);
[[nodiscard]] std::optional<AppError> saveJpeg(const QImage &image, const QString &path, int qualityFactor,
                                               Durability durability = Durability::Synced);
// The two halves of saveJpeg, so that the encoding can run on another
// thread: the JPEG file's bytes (empty for a null image or a failure), and
// the writing of bytes at path in the same way.
// An image that had no stored resolution is written without one.
QByteArray encodeJpeg(const QImage &image, int qualityFactor);
[[nodiscard]] std::optional<AppError> saveEncoded(const QByteArray &bytes, const QString &path,
                                                  Durability durability = Durability::Synced);

// The image turned clockwise by 90, 180 or 270 degrees, the angle taken
// modulo a whole turn (-90 turns as 270, 450 as 90), with the horizontal
// and vertical resolution swapped for a quarter turn. Any other angle, a
// whole turn included, gives a null image.
QImage rotate(const QImage &image, int degreesClockwise);
// The same for an image handed over: held by nothing else, it is turned in
// place (180) or, for quarter turns, band by band into tiles that take the
// bands' own memory and then into a new image while the tiles' memory is
// given back, so the turn takes little more memory than one image. When
// there is no memory for the turned image the result is null and image is
// left as it was.
QImage rotate(QImage &&image, int degreesClockwise);

// The part of image inside rect, clamped to the image. A rectangle that
// lies outside the image or holds no whole pixel gives a null image, so a
// stray click never empties a page.
QImage crop(const QImage &image, const QRect &rect);

// The rectangle that Auto Trim keeps: edge rows and columns whose every
// pixel differs from the top-left pixel by at most threshold in every
// channel are dropped. An image that is uniform throughout keeps its whole
// rectangle: a trim never leaves nothing.
QRect trimRect(const QImage &image, int threshold = 64);
// The image cut to trimRect.
QImage autoTrim(const QImage &image, int threshold = 64);

// The viewer's zoom, a percentage of the image's pixel size.
constexpr double MinZoom = 10;
constexpr double MaxZoom = 10000;
// One step in (x 1.25) unless the zoom is already MaxZoom or more.
double zoomIn(double zoom);
// One step out (x 0.75) unless the zoom is already MinZoom or less.
double zoomOut(double zoom);
// The zoom at which imagePixels fill 15/16 of displayPixels, to the nearest
// whole percent (halves to even); 100 when the image is empty or the result
// lies outside MinZoom..MaxZoom. Fit Width passes widths, Fit Height heights.
int fitZoom(int displayPixels, int imagePixels);
// The zoom a page opens at for the zoom mode "FITWIDTH", "FITHEIGHT" or
// "NONE" (any other text counts as "NONE": 100 percent).
int defaultZoom(const QString &zoomMode, const QSize &display, const QSize &image);

// The image pixels under a selection drawn on the display between the
// corners start and end (either may be first), where the whole image of
// imageSize is shown in the rectangle displayed (same units as the
// corners). Each value is taken to the nearest pixel, halves to even; the
// result is not clamped (crop() clamps).
QRect selectionToImage(const QPointF &start, const QPointF &end, const QRectF &displayed, const QSize &imageSize);

} // namespace ImageOps
