#include "exchange/CabinetExport.h"

#include <cstring>
#include <functional>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "core/Guard.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "exchange/CabinetTree.h"
#include "exchange/DiskPrompt.h"
#include "exchange/ExchangeProgress.h"
#include "exchange/ExportRecord.h"
#include "exchange/FileCopier.h"
#include "exchange/PreviousExport.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "platform/PathFacts.h"
#include "store/PageFileScope.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Records.h"
#include "store/Schema.h"

using namespace CabinetTree;

namespace {

const QString kLevelFiles[] = {CabinetFileName, DrawerFileName, FolderFileName, DocumentFileName};
constexpr int kDocumentLevel = int(RecordLevel::Document);

QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString withoutSlash(const QString &path)
{
    return path.size() > 1 && path.endsWith(QLatin1Char('/')) ? path.left(path.size() - 1) : path;
}

using Row = Records::ExportRow;

// A file of another kind that an import copied into the page store lies
// there under its page id; it goes out under the name it came with.
QString pageFileName(const QString &source, const QVariant &number, const QString &pageName, const QString &store)
{
    if (!isJpegPath(source) && !pageName.isEmpty() && source.startsWith(store))
        return cleanFileName(pageName);
    return treeFileName(source, number);
}

class Exporter
{
public:
    Exporter(const CabinetExport::ExportOptions &options, const QString &destination)
        : m_copier(options.copier ? *options.copier : FileCopier::system()),
          m_progress(options.progress),
          m_now(options.now.isValid() ? options.now : QDateTime::currentDateTime()),
          m_previous(options.previous),
          m_dest(withSlash(destination)),
          m_store(DataFolder::pagesFolder() + QLatin1Char('/'))
    {
    }

    void run(RecordId cabinetId);
    // Commits what was written, then the failure (when there was one), the
    // end message and the folders passed over.
    void finish();
    CabinetExport::ExportResult result() const { return m_result; }

private:
    enum class Outcome { Done, Missing, Failed, Stopped };
    enum class Source { Own, Missing, Refused };

    Outcome perform(const std::function<FileCopier::Result()> &write);
    bool nextDisk();
    // Makes what went onto the current disk durable; false, with the
    // failure kept, when it could not be.
    bool syncDisk();
    bool stopped();
    // Asks about an earlier export of the cabinet and clears it on Yes;
    // false when the export is not to go on.
    bool handlePreviousExport(const QString &folderName, const QString &shown);
    FileCopier::Result makeDirectory(const QString &relative);
    bool makeLevel(const QString &relative, const QString &shown);
    // One file of the tree: its directory (again after a disk change), its
    // line in the record, then the file by write; the line goes again when
    // the file was not written.
    FileCopier::Result writeTreeFile(const QString &relative, const QString &name,
                                     const std::function<FileCopier::Result(const QString &target)> &write);
    bool writeText(const QString &relative, const QString &name, const QByteArray &bytes, const QString &shown);
    void exportLevel(int level, const Row &row, const QString &relative, const QString &shown);
    void exportPages(RecordId documentId, const QString &relative);
    Source checkSource(const QString &stored, bool shortcut, QString *source) const;
    void status(const QString &caption, const QString &detail);
    void step(const QString &caption);

    FileCopier &m_copier;
    ExchangeProgress *m_progress;
    QDateTime m_now;
    CabinetExport::Previous m_previous;
    QString m_dest;                // the current disk's destination, ending in "/"
    QString m_store;               // the default page store, ending in "/"
    QSet<QString> m_made;          // directories made on the current disk, relative
    PageFileScope m_scope;         // which files are the pages' own
    QString m_storagePath;         // the cabinet's StoragePath
    QString m_cabinetDir;          // the cabinet's directory, relative
    ExportRecord::Writer m_record; // of the current disk's cabinet directory
    QStringList m_written;         // files written on the current disk
    CabinetExport::ExportResult m_result;
    bool m_stop = false;
    // Set by a disk question, cleared by the next write that succeeds: a
    // disk-full then means the file fits on no disk.
    bool m_freshDisk = false;
    AppError m_error;
};

void Exporter::status(const QString &caption, const QString &detail)
{
    if (m_progress)
        m_progress->showStatus(caption, detail);
}

void Exporter::step(const QString &caption)
{
    if (m_progress)
        m_progress->IncrementProgress(caption);
}

bool Exporter::stopped()
{
    if (!m_stop && Progress::ProgressCancelled()) {
        m_result.cancelled = true;
        m_stop = true;
    }
    return m_stop;
}

bool Exporter::syncDisk()
{
    if (m_made.isEmpty() && m_written.isEmpty())
        return true;
    QStringList files = m_written;
    if (m_record.used())
        files.append(m_record.path());
    QStringList folders{withoutSlash(m_dest)};
    for (const QString &made : std::as_const(m_made))
        folders.append(m_dest + made);
    m_written.clear();
    const std::optional<AppError> error = m_copier.sync(files, folders);
    if (error && !m_result.failed) {
        m_error = *error;
        m_result.failed = true;
    }
    return !error;
}

bool Exporter::nextDisk()
{
    // A disk whose files may not all be on it yet is not handed back.
    if (!syncDisk())
        return false;
    ++m_result.ExportDiskNumber;
    const std::optional<QString> path = DiskPrompt::askForDisk(
        QStringLiteral("Please insert disk #%1").arg(m_result.ExportDiskNumber), withoutSlash(m_dest), true);
    if (!path) {
        m_result.cancelled = true;
        return false;
    }
    m_dest = withSlash(*path);
    m_made.clear();
    m_record.start(m_dest + m_cabinetDir);
    m_freshDisk = true;
    return true;
}

// A file that a fresh disk could not take either, named with the system's
// reason: "<file> does not fit on an empty disk (No space left on device)."
AppError tooLargeForDisk(const AppError &full)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(full.code));
    QString file = full.text;
    if (file.endsWith(QStringLiteral(": ") + reason))
        file.chop(reason.size() + 2);
    return AppError(full.code, QStringLiteral("%1 does not fit on an empty disk (%2).").arg(file, reason));
}

Exporter::Outcome Exporter::perform(const std::function<FileCopier::Result()> &write)
{
    for (;;) {
        const FileCopier::Result r = write();
        switch (r.status) {
        case FileCopier::Status::Done:
            m_freshDisk = false;
            return Outcome::Done;
        case FileCopier::Status::SourceMissing:
            return Outcome::Missing;
        case FileCopier::Status::Failed:
            m_error = r.error;
            return Outcome::Failed;
        case FileCopier::Status::DiskFull:
            break;
        }
        if (m_freshDisk) {
            m_error = tooLargeForDisk(r.error);
            return Outcome::Failed;
        }
        if (!nextDisk()) {
            m_stop = true;
            return Outcome::Stopped;
        }
    }
}

FileCopier::Result Exporter::makeDirectory(const QString &relative)
{
    // Made once per disk: after a disk change the chain is made again.
    if (m_made.contains(relative))
        return {};
    const FileCopier::Result made = m_copier.makeDirectory(m_dest, relative);
    if (made.ok())
        m_made.insert(relative);
    return made;
}

bool Exporter::makeLevel(const QString &relative, const QString &shown)
{
    status(QStringLiteral("Create path"), shown);
    const Outcome outcome = perform([&] { return makeDirectory(relative); });
    if (outcome == Outcome::Failed)
        m_result.skipped.append(QStringLiteral("%1: %2").arg(relative, m_error.text));
    return outcome == Outcome::Done;
}

FileCopier::Result Exporter::writeTreeFile(const QString &relative, const QString &name,
                                           const std::function<FileCopier::Result(const QString &target)> &write)
{
    // After a disk change the level's directory is not there yet.
    const FileCopier::Result made = makeDirectory(relative);
    if (!made.ok())
        return made;
    // Recorded before it is written: a file a killed export left is known.
    const QString below = relative.mid(m_cabinetDir.size() + 1);
    if (const int error = m_record.add(below.isEmpty() ? name : below + QLatin1Char('/') + name))
        return FileCopier::failure(error, m_record.path());
    const QString target = m_dest + relative + QLatin1Char('/') + name;
    const FileCopier::Result written = write(target);
    if (written.ok())
        m_written.append(target);
    else
        m_record.takeBack();
    return written;
}

bool Exporter::writeText(const QString &relative, const QString &name, const QByteArray &bytes,
                         const QString &shown)
{
    status(QStringLiteral("Create file"), shown + QLatin1Char('/') + name);
    const Outcome outcome = perform([&] {
        return writeTreeFile(relative, name, [&](const QString &target) { return m_copier.writeFile(target, bytes); });
    });
    if (outcome == Outcome::Failed) {
        m_result.failed = true;
        m_stop = true;
    }
    return outcome == Outcome::Done;
}

void Exporter::exportLevel(int level, const Row &row, const QString &relative, const QString &shown)
{
    if (!makeLevel(relative, shown))
        return;
    if (level == int(RecordLevel::Cabinet) && !writeText(relative, MarkerFileName, markerText(m_now), shown))
        return;
    if (level == kDocumentLevel) {
        // Any one detail is worth the file: an amount alone would be lost.
        if ((!row.date.isNull() || !row.description.isNull() || !row.amount.isNull())
            && !writeText(relative, DocumentFileName, documentInfoText(row.date, row.description, row.amount),
                          shown))
            return;
        exportPages(row.id, relative);
        return;
    }
    if (!row.description.isNull()
        && !writeText(relative, kLevelFiles[level], descriptionText(NullToEmpty(row.description)), shown))
        return;
    const QList<Row> children = Records::exportChildRows(RecordLevel(level), row.id);
    QSet<QString> taken;
    for (int i = 0; i < children.size() && !stopped(); ++i) {
        const Row &child = children.at(i);
        const bool document = level + 1 == kDocumentLevel;
        const QString bare = document ? RemoveExtension(child.name) : child.name;
        const QString dir = uniqueName(RemoveInvalidFileChars(bare), taken, false);
        exportLevel(level + 1, child, relative + QLatin1Char('/') + dir, shown + QLatin1Char('/') + bare);
    }
}

// Only a page's own file is copied: the default store's file, a stored
// file the page file rule allows, or a shortcut's target (the user's own
// file) unless it is one of the data folder's. Source becomes the file to
// read, links resolved; Missing when nothing is there now.
Exporter::Source Exporter::checkSource(const QString &stored, bool shortcut, QString *source) const
{
    if (!QFileInfo::exists(*source))
        return Source::Missing;
    if (!stored.isEmpty()) {
        const QString why = shortcut ? m_scope.shortcutRefusal(stored) : m_scope.refusal(stored, m_storagePath);
        if (!why.isEmpty())
            return Source::Refused;
        *source = PathFacts::realPath(stored);
    }
    // A pipe or a device would never end or never give the page's bytes.
    return QFileInfo(*source).isFile() ? Source::Own : Source::Refused;
}

void Exporter::exportPages(RecordId documentId, const QString &relative)
{
    const QList<Pages::NamedPage> pages = Pages::namedDocumentPages(documentId);
    QSet<QString> taken;
    for (int i = 0; i < pages.size() && !stopped(); ++i) {
        const Pages::NamedPage &page = pages.at(i);
        const QString &stored = page.filename;
        QString source = PagePaths::GetPageFilePath(page.pageId, stored);
        const QString sourceName = PagePaths::GetFileNamePart(source);
        QString caption = QStringLiteral("Copy document ") + page.name;
        // The name is taken before the copy, so a page that is missing
        // now never shifts the names of the pages after it.
        const QString name = uniqueName(pageFileName(source, page.pageNumber, page.name, m_store), taken, true);
        const Source kind = checkSource(stored, page.shortcut, &source);
        if (kind != Source::Own) {
            if (kind == Source::Refused)
                m_result.refused.append(stored);
            step(caption);
            continue;
        }
        status(QStringLiteral("Copy file"), sourceName);
        const Outcome outcome = perform([&] {
            return writeTreeFile(relative, name,
                                 [&](const QString &target) { return m_copier.copyFile(source, target); });
        });
        if (outcome == Outcome::Done) {
            ++m_result.PagesCopied;
            caption = QStringLiteral("Copy file ") + sourceName;
        } else if (outcome == Outcome::Failed) {
            m_result.failed = true;
            m_stop = true;
        }
        step(caption);
    }
}

void Exporter::run(RecordId cabinetId)
{
    Progress::setProgressCancelled(false);
    if (m_progress)
        m_progress->Reset(1, 2);
    status(QStringLiteral("Count files"), QString());
    const std::optional<Row> cabinet = Records::exportCabinetRow(cabinetId);
    if (!cabinet)
        return;
    m_storagePath = cabinet->storagePath;
    step(QStringLiteral("Count files in cabinet"));
    const int pages = Pages::CountCabinetPages(cabinetId);
    if (pages == 0
        && Prompt::instance().questionYesNoCancel(
               QStringLiteral("There are no images in this cabinet.  Export an empty cabinet?"))
            != Prompt::Answer::Yes)
        return;
    const QString folderName = RemoveInvalidFileChars(cabinet->name);
    if (!handlePreviousExport(folderName, cabinet->name))
        return;
    m_cabinetDir = folderName;
    m_record.start(m_dest + folderName);
    if (m_progress)
        m_progress->Reset(1, pages + 1);
    status(QStringLiteral("Preparing to export"), QString());
    exportLevel(0, *cabinet, folderName, cabinet->name);
}

bool Exporter::handlePreviousExport(const QString &folderName, const QString &shown)
{
    using CabinetExport::Previous;
    const std::optional<QString> folder = PreviousExport::find(m_dest, folderName);
    if (!folder)
        return true;
    Prompt::Answer answer = m_previous == Previous::Keep ? Prompt::Answer::No : Prompt::Answer::Yes;
    if (m_previous == Previous::Ask)
        answer = Prompt::instance().questionYesNoCancel(PreviousExport::question(QDir::toNativeSeparators(*folder)));
    if (answer == Prompt::Answer::Cancel) {
        m_result.declined = true;
        return false;
    }
    // Its files stay, and so do the lines of its record that name them.
    if (answer == Prompt::Answer::No)
        return true;
    // A Cancel meanwhile is honoured once the removal is done: stopped
    // halfway, it would leave files without the marker that asks about
    // them.
    const PreviousExport::Cleared cleared = PreviousExport::clear(*folder, [&](const QString &relative) {
        status(QStringLiteral("Remove file"), shown + QLatin1Char('/') + relative);
    });
    m_result.removed = cleared.removed;
    if (cleared.error) {
        // Written over a half-cleared export, the tree would match neither.
        m_error = *cleared.error;
        m_result.failed = true;
        m_stop = true;
    }
    return !cleared.error && !stopped();
}

// The first ten entries of a list under its heading, when it has any.
void warnList(const QString &heading, const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    Prompt::instance().warning(heading + QLatin1Char('\n') + entries.mid(0, 10).join(QLatin1Char('\n'))
                               + (entries.size() > 10 ? QStringLiteral("\n...") : QString()));
}

void Exporter::finish()
{
    // Before the end message, with the progress window still up.
    syncDisk();
    // The user chose not to export: there is nothing to report.
    if (m_result.declined)
        return;
    Prompt &prompt = Prompt::instance();
    if (m_result.failed)
        prompt.error(m_error.message());
    // A stopped export must not read as a finished one: the tree holds only
    // part of the cabinet.
    prompt.message(m_result.cancelled
                       ? QStringLiteral("Export cancelled. %1 pages copied.").arg(m_result.PagesCopied)
                       : QStringLiteral("Export complete. %1 pages copied.").arg(m_result.PagesCopied));
    warnList(QStringLiteral("These folders could not be made; what belongs in them was not exported:"),
             m_result.skipped);
    warnList(QStringLiteral("These page files were not exported; they are not files of their pages:"),
             m_result.refused);
}

} // namespace

namespace CabinetExport {

ExportResult ExportCabinet(RecordId cabinetId, const QString &destination, const ExportOptions &options)
{
    Exporter exporter(options, destination);
    // A database failure ends the walk like any other error: shown, then
    // the count of what was copied.
    guard([&] { exporter.run(cabinetId); });
    exporter.finish();
    return exporter.result();
}

} // namespace CabinetExport
