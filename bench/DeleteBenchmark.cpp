#include "bench/DeleteBenchmark.h"

#include <filesystem>

#include <QFileInfo>
#include <QProcess>

#include "bench/ArchiveGenerator.h"
#include "bench/BenchTiming.h"
#include "bench/PageFileWriter.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/Deletes.h"
#include "store/PagePaths.h"

namespace {

const QString kFolderName = QStringLiteral("Delete me");

} // namespace

DeleteBenchmark::DeleteBenchmark(RecordId drawerId, const QString &scratch)
    : m_drawerId(drawerId), m_scratch(scratch)
{
}

void DeleteBenchmark::removeLeftovers()
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT FolderId FROM Folder WHERE DrawerId = ? AND Name = ?"),
        {m_drawerId, kFolderName});
    for (int i = 0; i < rs.recordCount(); ++i)
        Deletes::deleteFolder(rs.value(i, 0).toLongLong());
}

DeleteBenchmark::Sample DeleteBenchmark::runOnce()
{
    const RecordId folderId = buildFolder();
    const Recordset rs = DbConnection::OpenRecordset(QStringLiteral(
        "SELECT p.PageId FROM Page p JOIN Document d ON d.DocumentId = p.DocumentId"
        " WHERE d.FolderId = ? ORDER BY p.PageId"), {folderId});
    QList<RecordId> pageIds;
    for (int i = 0; i < rs.recordCount(); ++i)
        pageIds.append(rs.value(i, 0).toLongLong());
    const QStringList forRm = writeLooseSet(m_scratch + QStringLiteral("/rm"), pageIds);
    const QStringList forRemove = writeLooseSet(m_scratch + QStringLiteral("/remove"), pageIds);

    Sample s;
    s.rmMs = timeRm(forRm);
    s.removeMs = timeRemove(forRemove);
    const BenchTiming::Stopwatch watch;
    Deletes::deleteFolder(folderId);
    s.deleteFolderMs = watch.elapsedMs();
    checkGone(folderId, pageIds, forRm + forRemove);
    return s;
}

RecordId DeleteBenchmark::buildFolder()
{
    ArchiveGenerator generator;
    generator.setWriteFiles(true);
    DbConnection::Transaction tx;
    const RecordId folderId = generator.addFolder(m_drawerId, kFolderName);
    for (int d = 1; d <= Documents; ++d) {
        const RecordId documentId = generator.addDocument(folderId, QStringLiteral("Document %1").arg(d), d);
        generator.addPages(documentId, PagesPerDocument, d);
    }
    tx.commit();
    return folderId;
}

QStringList DeleteBenchmark::writeLooseSet(const QString &root, const QList<RecordId> &pageIds)
{
    PageFileWriter writer;
    QStringList files;
    for (RecordId id : pageIds) {
        QString error;
        if (!writer.writeMirror(root, id, &error))
            throw AppError(-1, error);
        files << PageFileWriter::mirrorFilePath(root, false, id)
              << PageFileWriter::mirrorFilePath(root, true, id);
    }
    return files;
}

double DeleteBenchmark::timeRm(const QStringList &files)
{
    QProcess rm;
    const BenchTiming::Stopwatch watch;
    rm.start(QStringLiteral("rm"), QStringList{QStringLiteral("-f"), QStringLiteral("--")} + files);
    const bool finished = rm.waitForFinished(-1);
    const double elapsed = watch.elapsedMs();
    if (!finished || rm.exitStatus() != QProcess::NormalExit || rm.exitCode() != 0)
        throw AppError(-1, QStringLiteral("rm failed: %1").arg(rm.errorString()));
    return elapsed;
}

double DeleteBenchmark::timeRemove(const QStringList &files)
{
    std::vector<std::filesystem::path> paths;
    paths.reserve(files.size());
    for (const QString &f : files)
        paths.emplace_back(f.toStdString());
    const BenchTiming::Stopwatch watch;
    std::error_code ec;
    for (const std::filesystem::path &p : paths)
        std::filesystem::remove(p, ec);
    return watch.elapsedMs();
}

void DeleteBenchmark::checkGone(RecordId folderId, const QList<RecordId> &pageIds, const QStringList &loose)
{
    const int rows = DbConnection::queryValue(QStringLiteral(
        "SELECT (SELECT count(*) FROM Folder WHERE FolderId = ?)"
        " + (SELECT count(*) FROM Document WHERE FolderId = ?)"
        " + (SELECT count(*) FROM Page WHERE PageId BETWEEN ? AND ?)"),
        {folderId, folderId, pageIds.value(0), pageIds.value(pageIds.size() - 1)}).toInt();
    if (rows != 0)
        throw AppError(-1, QStringLiteral("DeleteFolder left %1 rows behind.").arg(rows));
    QStringList files = loose;
    for (RecordId id : pageIds)
        files << PagePaths::GetDefaultPageFilePath(id) << PagePaths::GetDefaultThumbFilePath(id);
    for (const QString &f : files) {
        if (QFileInfo::exists(f))
            throw AppError(-1, QStringLiteral("\"%1\" was not deleted.").arg(f));
    }
}
