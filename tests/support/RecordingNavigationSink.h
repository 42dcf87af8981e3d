#pragma once

#include "core/NavigationSink.h"
#include "core/RecordId.h"

#include <QStringList>

// Records the tree updates in the order they arrive, one line a call:
// "<kind> <parent>/<id> <name>", such as "folder 3/7 Bills" ("cabinet" has
// parent 0; a document with a date is a "dated document"; "show drawers
// 0/<cabinet> " lists a cabinet's drawers). Renames and the page list are
// not recorded. Installs itself for its lifetime.
class RecordingNavigationSink : public NavigationSink
{
public:
    RecordingNavigationSink();
    ~RecordingNavigationSink() override;

    void AddCabinetToNavTree(RecordId cabinetId, const QString &name) override;
    void AddDrawerToNavTree(RecordId cabinetId, RecordId drawerId, const QString &name) override;
    void AddFolderToNavTree(RecordId drawerId, RecordId folderId, const QString &name) override;
    void AddDocumentToNavTree(RecordId folderId, RecordId documentId, const QString &name,
                              const QDate &dateOnDocument) override;
    void UpdateCabinetName(RecordId, const QString &) override {}
    void UpdateDrawerName(RecordId, const QString &) override {}
    void UpdateFolderName(RecordId, const QString &) override {}
    void UpdateDocumentName(RecordId, const QString &, const QDate &) override {}
    void ShowDrawersInListView(RecordId cabinetId) override;
    void ShowPagesInListView(RecordId) override {}
    void selectPageInListView(RecordId pageId) override;

    // The names of the calls of one kind ("drawer", "dated document"), in
    // order, without ids.
    QStringList namesOf(const QString &what) const;

    QStringList calls;

private:
    void log(const char *what, RecordId parent, RecordId id, const QString &name);
};
