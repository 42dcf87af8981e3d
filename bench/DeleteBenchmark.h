#pragma once

#include <QString>
#include <QStringList>

#include "core/RecordId.h"

// Times Deletes::deleteFolder on a folder of 1,000 pages with their image
// and thumbnail files, against deleting an identical set of files without
// the database: once with `rm -f` (a child process, as a user would) and
// once with std::filesystem::remove in this process.
class DeleteBenchmark
{
public:
    static constexpr int Documents = 10;
    static constexpr int PagesPerDocument = 100;

    struct Sample
    {
        double deleteFolderMs = 0;
        double rmMs = 0;
        double removeMs = 0;
    };

    // Folders are made in the drawer; the loose file sets under scratch,
    // which must lie on the data folder's file system.
    DeleteBenchmark(RecordId drawerId, const QString &scratch);

    // Deletes folders an interrupted run left in the drawer.
    void removeLeftovers();
    // Builds the folder and the file sets, times the three deletes and
    // checks that each removed everything. Throws AppError, also when a
    // delete left a row or a file behind.
    Sample runOnce();

private:
    RecordId buildFolder();
    QStringList writeLooseSet(const QString &root, const QList<RecordId> &pageIds);
    double timeRm(const QStringList &files);
    double timeRemove(const QStringList &files);
    void checkGone(RecordId folderId, const QList<RecordId> &pageIds, const QStringList &loose);

    RecordId m_drawerId;
    QString m_scratch;
};
