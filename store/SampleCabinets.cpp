#include "SampleCabinets.h"

#include <cerrno>

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStringDecoder>

#include "Common.h"
#include "DataFolder.h"
#include "DbConnection.h"
#include "NavigationSink.h"
#include "Passwords.h"
#include "Prompt.h"

namespace {

Q_LOGGING_CATEGORY(lcSamples, "vlm.store")

const QString kBuiltInOutline = QStringLiteral(":/texts/Sample.txt");
const QString kCab = QStringLiteral("CAB");
const QString kDrw = QStringLiteral("DRW");
const QString kFld = QStringLiteral("FLD");
const QString kDoc = QStringLiteral("DOC");

// Users edit the outline by hand: a byte-order mark or a file saved in a
// Western code page must not hide the first entry or mangle accents.
QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QStringList splitLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();  // the end of the last line, not an empty line
    return lines;
}

// The outline trims spaces only, never tab characters.
QString trimSpaces(const QString &s)
{
    int begin = 0;
    int end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

struct Entry
{
    QString kind;
    QString value;
};

Entry entryOf(const QString &raw)
{
    const QString line = trimSpaces(raw);
    const int eq = line.indexOf(QLatin1Char('='));
    return {line.left(3), eq < 0 ? QString() : trimSpaces(line.mid(eq + 1))};
}

int idNamed(const QString &sql, int parentId, const QString &name)
{
    // Name is COLLATE NOCASE: the same test the record dialogs make.
    return DbConnection::QueryValue(sql, {parentId, name}).toInt();
}

int insertRow(const QString &sql, int parentId, const QString &name)
{
    DbConnection::Execute(sql, {parentId, name});
    return int(DbConnection::LastInsertId());
}

const QString kInsertDrawer = QStringLiteral("INSERT INTO Drawer (CabinetId, Name) VALUES (?, ?)");
const QString kInsertFolder = QStringLiteral("INSERT INTO Folder (DrawerId, Name) VALUES (?, ?)");
const QString kInsertDocument = QStringLiteral("INSERT INTO Document (FolderId, Name) VALUES (?, ?)");

enum class Level { Drawer, Folder, Document };

struct NewNode
{
    Level level;
    int parentId;
    int id;
    QString name;
};

void addNode(const NewNode &node)
{
    NavigationSink &sink = NavigationSink::instance();
    switch (node.level) {
    case Level::Drawer:
        sink.AddDrawerToNavTree(node.parentId, node.id, node.name);
        break;
    case Level::Folder:
        sink.AddFolderToNavTree(node.parentId, node.id, node.name);
        break;
    case Level::Document:
        // No date: the node shows the name alone.
        sink.AddDocumentToNavTree(node.parentId, node.id, node.name, QDate());
        break;
    }
}

// Inserts a drawer or folder, or finds the one of that name the parent
// already has (names are unique per parent); 0 for a name left empty.
int drawerOrFolder(Level level, int parentId, const QString &rawName, QList<NewNode> *nodes)
{
    const QString name = SampleCabinets::CabinetNameFor(rawName);
    if (name.isEmpty())
        return 0;
    const bool drawer = level == Level::Drawer;
    int id = idNamed(drawer ? QStringLiteral("SELECT DrawerId FROM Drawer WHERE CabinetId = ? AND Name = ?")
                            : QStringLiteral("SELECT FolderId FROM Folder WHERE DrawerId = ? AND Name = ?"),
                     parentId, name);
    if (id == 0) {
        id = insertRow(drawer ? kInsertDrawer : kInsertFolder, parentId, name);
        nodes->append({level, parentId, id, name});
    }
    return id;
}

void fillFromText(const QString &outlineText, const QString &name, int cabinetId)
{
    const QList<SampleCabinets::OutlineDrawer> drawers =
        SampleCabinets::ReadOutlineSection(outlineText, name);
    QList<NewNode> nodes;
    DbConnection::Transaction tx;
    for (const SampleCabinets::OutlineDrawer &drawer : drawers) {
        const int drawerId = drawerOrFolder(Level::Drawer, cabinetId, drawer.name, &nodes);
        if (drawerId == 0)
            continue;
        for (const SampleCabinets::OutlineFolder &folder : drawer.folders) {
            const int folderId = drawerOrFolder(Level::Folder, drawerId, folder.name, &nodes);
            if (folderId == 0)
                continue;
            for (const QString &document : folder.documents) {
                const QString documentName = SampleCabinets::CabinetNameFor(document);
                if (!documentName.isEmpty())
                    nodes.append({Level::Document, folderId,
                                  insertRow(kInsertDocument, folderId, documentName), documentName});
            }
        }
    }
    tx.commit();
    for (const NewNode &node : nodes)
        addNode(node);
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    int code = 0;
    QString reason;
    // Unbuffered, a short write (disk full, size limit) shows in write()'s
    // result; a buffered one can go unnoticed and commit a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        code = file.error();
        reason = file.errorString();
    } else {
        errno = 0;
        if (file.write(bytes) != bytes.size()) {
            const int writeErrno = errno;
            code = writeErrno != 0 ? writeErrno : int(QFileDevice::WriteError);
            reason = writeErrno != 0 ? qt_error_string(writeErrno) : file.errorString();
        } else if (file.commit()) {
            return true;
        } else {
            code = file.error();
            reason = file.errorString();
        }
    }
    // An uncommitted QSaveFile drops its temporary file: the old file stays.
    if (error)
        *error = DbError(code, QStringLiteral("%1: %2").arg(path, reason)).message();
    return false;
}

bool writeBuiltInOutline(QString *error)
{
    DataFolder::ensure();
    return writeFile(SampleCabinets::SampleOutlinePath(), SampleCabinets::BuiltInOutline().toUtf8(), error);
}

} // namespace

namespace SampleCabinets {

QString SampleOutlinePath()
{
    return DataFolder::filePath(QStringLiteral("Sample.txt"));
}

QString BuiltInOutline()
{
    QFile file(kBuiltInOutline);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Rebuilt line by line so the text has CR LF ends however the resource
    // was checked out.
    QString text;
    for (const QString &line : splitLines(decode(file.readAll())))
        text += line + QLatin1String("\r\n");
    return text;
}

bool WriteSampleOutline()
{
    QString error;
    if (writeBuiltInOutline(&error))
        return true;
    Prompt::instance().error(QStringLiteral("Error creating sample file.  ") + error);
    return false;
}

bool EnsureSampleOutline()
{
    if (QFileInfo::exists(SampleOutlinePath()))
        return true;
    return WriteSampleOutline() && QFileInfo::exists(SampleOutlinePath());
}

QString ReadOutline()
{
    QFile file(SampleOutlinePath());
    if (!file.exists()) {
        // The first run builds its sample from here: never leave it empty
        // for want of a file.
        QString error;
        if (!writeBuiltInOutline(&error))
            qCWarning(lcSamples) << "cannot write the sample outline:" << error;
        return BuiltInOutline();
    }
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(file.error(), QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw DbError(file.error(), QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
    return decode(bytes);
}

QStringList ReadSampleCabinetNames(const QString &outlineText)
{
    QStringList names;
    for (const QString &line : splitLines(outlineText)) {
        const Entry entry = entryOf(line);
        if (entry.kind == kCab)
            names.append(entry.value);
    }
    return names;
}

QList<OutlineDrawer> ReadOutlineSection(const QString &outlineText, const QString &cabinetName)
{
    QList<OutlineDrawer> drawers;
    bool inSection = false;
    bool folderOpen = false;
    for (const QString &line : splitLines(outlineText)) {
        const Entry entry = entryOf(line);
        if (!inSection) {
            inSection = entry.kind == kCab
                && entry.value.compare(cabinetName, Qt::CaseInsensitive) == 0;
        } else if (entry.kind == kCab) {
            break;
        } else if (entry.kind == kDrw) {
            drawers.append({entry.value, {}});
            folderOpen = false;
        } else if (entry.kind == kFld && !drawers.isEmpty()) {
            drawers.last().folders.append({entry.value, {}});
            folderOpen = true;
        } else if (entry.kind == kDoc && folderOpen) {
            drawers.last().folders.last().documents.append(entry.value);
        }
    }
    return drawers;
}

QStringList SampleCabinetNames()
{
    return ReadSampleCabinetNames(ReadOutline());
}

QString CabinetNameFor(const QString &outlineName)
{
    return trimSpaces(Common::StripInvalidNameChars(outlineName));
}

bool CabinetNameExists(const QString &name)
{
    return DbConnection::QueryValue(QStringLiteral("SELECT COUNT(*) FROM Cabinet WHERE Name = ?"),
                                    {name})
               .toInt()
        > 0;
}

int CreateSampleCabinet(const QString &name)
{
    // Read before anything is inserted, so an unreadable outline leaves no
    // empty cabinet behind.
    const QString outline = ReadOutline();
    const QString cabinetName = CabinetNameFor(name);
    if (cabinetName.isEmpty())
        throw DbError(-1, QStringLiteral("A sample cabinet needs a name."));
    // A sample cabinet has no password: the scramble of the empty text.
    DbConnection::Execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password]) VALUES (?, ?)"),
                          {cabinetName, Passwords::ScramblePassword(QString())});
    const int cabinetId = int(DbConnection::LastInsertId());
    NavigationSink &sink = NavigationSink::instance();
    sink.AddCabinetToNavTree(cabinetId, cabinetName);
    fillFromText(outline, name, cabinetId);
    // The fill selected its last node; adding the cabinet's key again
    // selects the cabinet node (a present key is updated in place), and its
    // drawers are listed.
    sink.AddCabinetToNavTree(cabinetId, cabinetName);
    sink.ShowDrawersInListView(cabinetId);
    return cabinetId;
}

void FillCabinetFromOutline(const QString &name, int cabinetId)
{
    fillFromText(ReadOutline(), name, cabinetId);
}

int AddSampleDrawer(int cabinetId, const QString &name)
{
    const int drawerId = insertRow(kInsertDrawer, cabinetId, name);
    addNode({Level::Drawer, cabinetId, drawerId, name});
    return drawerId;
}

int AddSampleFolder(int drawerId, const QString &name)
{
    const int folderId = insertRow(kInsertFolder, drawerId, name);
    addNode({Level::Folder, drawerId, folderId, name});
    return folderId;
}

int AddSampleDocument(int folderId, const QString &name)
{
    const int documentId = insertRow(kInsertDocument, folderId, name);
    addNode({Level::Document, folderId, documentId, name});
    return documentId;
}

} // namespace SampleCabinets
