#include "store/SampleCabinets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/NavigationSink.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Outline.h"
#include "store/Records.h"
#include "store/Schema.h"
#include "store/StoreLog.h"
#include "store/TextFile.h"

namespace {

const QString kBuiltInOutline = QStringLiteral(":/texts/Sample.txt");
// The outline's level words are the levels' key prefixes.
const QStringList kLevels = {Schema::keyPrefix(RecordLevel::Cabinet), Schema::keyPrefix(RecordLevel::Drawer),
                             Schema::keyPrefix(RecordLevel::Folder), Schema::keyPrefix(RecordLevel::Document)};

struct NewNode
{
    RecordLevel level;
    RecordId parentId;
    RecordId id;
    QString name;
};

void addNode(const NewNode &node)
{
    NavigationSink &sink = NavigationSink::instance();
    switch (node.level) {
    case RecordLevel::Drawer:
        sink.AddDrawerToNavTree(node.parentId, node.id, node.name);
        break;
    case RecordLevel::Folder:
        sink.AddFolderToNavTree(node.parentId, node.id, node.name);
        break;
    case RecordLevel::Document:
        // No date: the node shows the name alone.
        sink.AddDocumentToNavTree(node.parentId, node.id, node.name, QDate());
        break;
    case RecordLevel::Cabinet:
    case RecordLevel::Page:
        break;
    }
}

// Inserts a drawer or folder, or finds the one of that name the parent
// already has (names are unique per parent, compared as the dialogs do); 0
// for a name left empty.
RecordId drawerOrFolder(RecordLevel level, RecordId parentId, const QString &rawName, QList<NewNode> *nodes)
{
    const QString name = Outline::cleanName(rawName);
    if (name.isEmpty())
        return 0;
    const bool drawer = level == RecordLevel::Drawer;
    RecordId id = drawer ? Records::drawerNamed(parentId, name) : Records::folderNamed(parentId, name);
    if (id == 0) {
        id = drawer ? Records::insertDrawer(parentId, name)
                    : Records::insertFolder(parentId, name);
        nodes->append({level, parentId, id, name});
    }
    return id;
}

RecordId insertDocument(RecordId folderId, const QString &name)
{
    return Records::insertDocument(folderId, name);
}

// The section named name, its names checked against the column width
// before anything goes in: a name is refused, never stored cut.
QList<Outline::Entry> sectionOf(const QString &outlineText, const QString &name)
{
    const std::optional<Outline::Entry> section = Outline::find(Outline::parse(outlineText, kLevels), name);
    if (!section)
        return {};
    if (const std::optional<QString> tooLong = Outline::nameTooLong(section->children, Records::MaxNameLength))
        throw AppError(ErrorCode::InvalidValue,
                       QStringLiteral("%1 Please shorten it in \"%2\".")
                          .arg(Records::nameTooLongMessage(*tooLong), SampleCabinets::sampleOutlinePath()));
    return section->children;
}

void fillFromSection(const QList<Outline::Entry> &section, RecordId cabinetId)
{
    QList<NewNode> nodes;
    DbConnection::Transaction tx;
    for (const Outline::Entry &drawer : section) {
        const RecordId drawerId = drawerOrFolder(RecordLevel::Drawer, cabinetId, drawer.name, &nodes);
        if (drawerId == 0)
            continue;
        for (const Outline::Entry &folder : drawer.children) {
            const RecordId folderId = drawerOrFolder(RecordLevel::Folder, drawerId, folder.name, &nodes);
            if (folderId == 0)
                continue;
            for (const Outline::Entry &document : folder.children) {
                const QString documentName = Outline::cleanName(document.name);
                if (!documentName.isEmpty())
                    nodes.append({RecordLevel::Document, folderId, insertDocument(folderId, documentName), documentName});
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
    return TextFile::write(SampleCabinets::sampleOutlinePath(), SampleCabinets::builtInOutline(), error);
}

} // namespace

namespace SampleCabinets {

QString sampleOutlinePath()
{
    // The outline is found whatever the case of its name ("sample.txt"
    // copied over from elsewhere); a new one is written as "Sample.txt".
    const QString name = DataFolder::SampleOutlineName;
    const QStringList found = QDir(DataFolder::path()).entryList({name}, QDir::Files | QDir::CaseSensitive);
    if (!found.isEmpty())
        return DataFolder::filePath(found.first());
    for (const QString &entry : QDir(DataFolder::path()).entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return DataFolder::filePath(entry);
    }
    return DataFolder::filePath(name);
}

QString builtInOutline()
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

bool ensureSampleOutline()
{
    if (QFileInfo::exists(sampleOutlinePath()))
        return true;
    return WriteSampleOutline() && QFileInfo::exists(sampleOutlinePath());
}

QString readOutline()
{
    QString text;
    if (TextFile::read(sampleOutlinePath(), &text))
        return text;
    // The first run builds its sample from here: never leave it empty for
    // want of a file.
    QString error;
    if (!writeBuiltInOutline(&error))
        qCWarning(lcStore) << "cannot write the sample outline:" << error;
    return builtInOutline();
}

QStringList readSampleCabinetNames(const QString &outlineText)
{
    QStringList names;
    for (const Outline::Entry &cabinet : Outline::parse(outlineText, kLevels))
        names.append(cabinet.name);
    return names;
}

QList<OutlineDrawer> readOutlineSection(const QString &outlineText, const QString &cabinetName)
{
    QList<OutlineDrawer> drawers;
    const std::optional<Outline::Entry> section = Outline::find(Outline::parse(outlineText, kLevels), cabinetName);
    if (!section)
        return drawers;
    for (const Outline::Entry &drawer : section->children) {
        OutlineDrawer d{drawer.name, {}};
        for (const Outline::Entry &folder : drawer.children) {
            QStringList documents;
            for (const Outline::Entry &document : folder.children)
                documents.append(document.name);
            d.folders.append({folder.name, documents});
        }
        drawers.append(d);
    }
    return drawers;
}

QStringList sampleCabinetNames()
{
    return readSampleCabinetNames(readOutline());
}

QString cabinetNameFor(const QString &outlineName)
{
    return Outline::cleanName(outlineName);
}

RecordId CreateSampleCabinet(const QString &name)
{
    // Read and checked before anything is inserted, so an unreadable
    // outline or a name too long leaves no empty cabinet behind.
    const QString outline = readOutline();
    const QString cabinetName = cabinetNameFor(name);
    if (cabinetName.isEmpty())
        throw AppError(ErrorCode::InvalidValue, QStringLiteral("A sample cabinet needs a name."));
    if (cabinetName.size() > Records::MaxNameLength)
        throw AppError(ErrorCode::InvalidValue,
                       QStringLiteral("%1 Please shorten it in \"%2\".")
                          .arg(Records::nameTooLongMessage(cabinetName), sampleOutlinePath()));
    const QList<Outline::Entry> section = sectionOf(outline, name);
    // A sample cabinet has no password: the scramble of the empty text.
    const RecordId cabinetId = Records::insertCabinet(cabinetName);
    NavigationSink &sink = NavigationSink::instance();
    sink.AddCabinetToNavTree(cabinetId, cabinetName);
    fillFromSection(section, cabinetId);
    // The fill selected its last node; adding the cabinet's key again
    // selects the cabinet node (a present key is updated in place), and its
    // drawers are listed.
    sink.AddCabinetToNavTree(cabinetId, cabinetName);
    sink.ShowDrawersInListView(cabinetId);
    return cabinetId;
}

void FillCabinetFromOutline(const QString &name, RecordId cabinetId)
{
    fillFromSection(sectionOf(readOutline(), name), cabinetId);
}

RecordId AddSampleDrawer(RecordId cabinetId, const QString &name)
{
    const RecordId drawerId = Records::insertDrawer(cabinetId, name);
    addNode({RecordLevel::Drawer, cabinetId, drawerId, name});
    return drawerId;
}

RecordId AddSampleFolder(RecordId drawerId, const QString &name)
{
    const RecordId folderId = Records::insertFolder(drawerId, name);
    addNode({RecordLevel::Folder, drawerId, folderId, name});
    return folderId;
}

RecordId AddSampleDocument(RecordId folderId, const QString &name)
{
    const RecordId documentId = insertDocument(folderId, name);
    addNode({RecordLevel::Document, folderId, documentId, name});
    return documentId;
}

} // namespace SampleCabinets
