#include "tests/support/RecordingNavigationSink.h"

#include "core/RecordId.h"

RecordingNavigationSink::RecordingNavigationSink()
{
    setInstance(this);
}

RecordingNavigationSink::~RecordingNavigationSink()
{
    setInstance(nullptr);
}

void RecordingNavigationSink::AddCabinetToNavTree(RecordId cabinetId, const QString &name)
{
    log("cabinet", 0, cabinetId, name);
}

void RecordingNavigationSink::AddDrawerToNavTree(RecordId cabinetId, RecordId drawerId, const QString &name)
{
    log("drawer", cabinetId, drawerId, name);
}

void RecordingNavigationSink::AddFolderToNavTree(RecordId drawerId, RecordId folderId, const QString &name)
{
    log("folder", drawerId, folderId, name);
}

void RecordingNavigationSink::AddDocumentToNavTree(RecordId folderId, RecordId documentId, const QString &name,
                                                   const QDate &dateOnDocument)
{
    log(dateOnDocument.isValid() ? "dated document" : "document", folderId, documentId, name);
}

void RecordingNavigationSink::selectPageInListView(RecordId pageId)
{
    log("select page", 0, pageId, QString());
}

void RecordingNavigationSink::ShowDrawersInListView(RecordId cabinetId)
{
    log("show drawers", 0, cabinetId, QString());
}

QStringList RecordingNavigationSink::namesOf(const QString &what) const
{
    QStringList names;
    for (const QString &call : calls) {
        if (call.startsWith(what + QLatin1Char(' ')))
            names << call.section(QLatin1Char(' '), what.count(QLatin1Char(' ')) + 2);
    }
    return names;
}

void RecordingNavigationSink::log(const char *what, RecordId parent, RecordId id, const QString &name)
{
    calls << QStringLiteral("%1 %2/%3 %4").arg(QLatin1String(what)).arg(parent).arg(id).arg(name);
}
