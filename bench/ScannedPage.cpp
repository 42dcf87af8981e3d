#include "bench/ScannedPage.h"

#include <atomic>
#include <optional>
#include <vector>

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QThreadPool>

#include "imaging/ImageOps.h"
#include "platform/AppError.h"

namespace {

// The program's document quality factor, as pages are stored.
constexpr int kPageQuality = 50;
// The quality of the tests' image writer.
constexpr int kForeignQuality = 90;

std::optional<AppError> writeForeign(const QImage &page, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileError(file, path);
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(kForeignQuality);
    if (!writer.write(page)) {
        file.cancelWriting();
        return AppError(ErrorCode::InvalidValue, QStringLiteral("%1: %2").arg(path, writer.errorString()));
    }
    if (!file.commit())
        return fileError(file, path);
    return std::nullopt;
}

} // namespace

namespace ScannedPage {

QImage make(int seed)
{
    QRandomGenerator random(quint32(seed) * 7919u + 17u);
    QImage page(A4, QImage::Format_RGB32);
    page.fill(QColor(246, 244, 236));
    {
        QPainter painter(&page);
        painter.fillRect(QRect(250, 260, 900 + random.bounded(600), 70), QColor(30, 30, 40));
        for (int y = 420; y < A4.height() - 300; y += 58) {
            if (random.bounded(12) == 0)
                continue; // paragraph break
            int x = 250;
            const int end = A4.width() - 250 - random.bounded(400);
            while (x < end) {
                const int word = 40 + random.bounded(220);
                painter.fillRect(QRect(x, y, qMin(word, end - x), 30), QColor(40, 40, 50));
                x += word + 24;
            }
        }
    }
    for (int y = 0; y < page.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const int n = int(random.bounded(9)) - 4;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255), qBound(0, qBlue(p) + n, 255));
        }
    }
    page.setDotsPerMeterX(qRound(Dpi / 0.0254));
    page.setDotsPerMeterY(qRound(Dpi / 0.0254));
    return page;
}

QStringList write(const QString &folder, int count, Writer writer, int threads, const QString &prefix)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(QStringLiteral("%1/%2%3.jpg").arg(folder, prefix).arg(i + 1, 4, 10, QLatin1Char('0')));
    std::vector<std::optional<AppError>> errors(static_cast<size_t>(count));
    std::atomic<int> next{0};
    QThreadPool pool;
    pool.setMaxThreadCount(qMax(1, threads));
    for (int w = 0; w < pool.maxThreadCount(); ++w) {
        pool.start([&] {
            for (int i = next++; i < count; i = next++) {
                const QString &path = paths.at(i);
                if (QFileInfo::exists(path))
                    continue;
                const QImage page = make(i);
                errors[size_t(i)] = writer == Writer::PageStore ? ImageOps::saveJpeg(page, path, kPageQuality)
                                                                : writeForeign(page, path);
            }
        });
    }
    pool.waitForDone();
    for (const std::optional<AppError> &error : errors)
        if (error)
            throw *error;
    return paths;
}

} // namespace ScannedPage
