#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include "core/RecordId.h"

// Records the new-page news of Changes while it lives: the pages in the
// order they were announced, and every notice event as one line ("begin",
// "page <id>", "end"), so a test sees which pages fell into which batch.
class RecordingChanges : public QObject
{
    Q_OBJECT

public:
    explicit RecordingChanges(QObject *parent = nullptr);
    ~RecordingChanges() override;

    // The batches not inside another one.
    int outermostBatches() const;
    // The pages announced while no batch was open.
    int pagesOutsideBatches() const;

    QList<RecordId> pages;
    QStringList events;
};
