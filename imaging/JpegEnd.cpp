#include "imaging/JpegEnd.h"

#include <QFile>

#include "imaging/JpegReader.h"

namespace JpegEnd {

bool endsEarly(const QByteArray &bytes)
{
    JpegReader file(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    if (file.nextMarker() != JpegReader::Soi)
        return false;
    bool scanned = false;
    for (;;) {
        const int marker = file.nextMarker();
        if (marker == JpegReader::Eoi)
            return false;
        // Cut short in a segment or between two of them: a cut before the
        // first scan leaves nothing to fill in.
        if (marker < 0)
            return scanned;
        if (JpegReader::standsAlone(marker))
            continue;
        JpegReader body;
        if (!file.segmentBody(&body))
            return scanned;
        // A scan's data runs to the marker after it (restart markers and
        // stuffed bytes pass); progressive files have several scans.
        if (marker == JpegReader::Sos) {
            scanned = true;
            if (!file.skipEntropyData())
                return true;
        }
    }
}

bool fileEndsEarly(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return false;
    return endsEarly(QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), file.size()));
}

QString endsEarlyNote()
{
    return QStringLiteral("The image ends early; it was filed as far as it could be read.");
}

} // namespace JpegEnd
