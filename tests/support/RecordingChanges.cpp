#include "tests/support/RecordingChanges.h"

#include "core/Changes.h"

RecordingChanges::RecordingChanges(QObject *parent) : QObject(parent)
{
    Changes &changes = Changes::instance();
    // Direct, as the mailer connects: the news is recorded when the call
    // that announced it returns.
    connect(
        &changes, &Changes::pageAdded, this,
        [this](RecordId pageId) {
            pages.append(pageId);
            events.append(QStringLiteral("page %1").arg(pageId));
        },
        Qt::DirectConnection);
    connect(&changes, &Changes::noticeBatchBegun, this, [this] { events.append(QStringLiteral("begin")); },
            Qt::DirectConnection);
    connect(&changes, &Changes::noticeBatchEnded, this, [this] { events.append(QStringLiteral("end")); },
            Qt::DirectConnection);
}

RecordingChanges::~RecordingChanges() = default;

int RecordingChanges::outermostBatches() const
{
    int depth = 0;
    int outermost = 0;
    for (const QString &event : events) {
        if (event == QLatin1String("begin") && depth++ == 0)
            ++outermost;
        else if (event == QLatin1String("end"))
            --depth;
    }
    return outermost;
}

int RecordingChanges::pagesOutsideBatches() const
{
    int depth = 0;
    int outside = 0;
    for (const QString &event : events) {
        if (event == QLatin1String("begin"))
            ++depth;
        else if (event == QLatin1String("end"))
            --depth;
        else if (depth == 0)
            ++outside;
    }
    return outside;
}
