#include "SampleCabinets.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include "Common.h"
#include "DataFolder.h"
#include "DbConnection.h"
#include "NavigationSink.h"
#include "Passwords.h"
#include "Prompt.h"
#include "TextFile.h"

namespace {

Q_LOGGING_CATEGORY(lcSamples, "vlm.store")

const QString kBuiltInOutline = QStringLiteral(":/texts/Sample.txt");
const QString kCab = QStringLiteral("CAB");
const QString kDrw = QStringLiteral("DRW");
const QString kFld = QStringLiteral("FLD");
const QString kDoc = QStringLiteral("DOC");

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

bool writeBuiltInOutline(QString *error)
{
    DataFolder::ensure();
    return TextFile::write(SampleCabinets::SampleOutlinePath(), SampleCabinets::BuiltInOutline(), error);
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
    return TextFile::joinCrLf(TextFile::splitLines(TextFile::decode(file.readAll())));
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
    QString text;
    if (TextFile::read(SampleOutlinePath(), &text))
        return text;
    // The first run builds its sample from here: never leave it empty for
    // want of a file.
    QString error;
    if (!writeBuiltInOutline(&error))
        qCWarning(lcSamples) << "cannot write the sample outline:" << error;
    return BuiltInOutline();
}

QStringList ReadSampleCabinetNames(const QString &outlineText)
{
    QStringList names;
    for (const QString &line : TextFile::splitLines(outlineText)) {
        const TextFile::Entry entry = TextFile::entryOf(line);
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
    for (const QString &line : TextFile::splitLines(outlineText)) {
        const TextFile::Entry entry = TextFile::entryOf(line);
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
    return TextFile::trimSpaces(Common::StripInvalidNameChars(outlineName));
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
