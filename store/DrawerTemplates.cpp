#include "store/DrawerTemplates.h"

#include <QFile>
#include <QFileInfo>

#include "core/NavigationSink.h"
#include "core/RecordId.h"
#include "core/RunState.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Outline.h"
#include "store/Records.h"
#include "store/Schema.h"
#include "store/StoreLog.h"
#include "store/TextFile.h"

namespace {

const QString kShippedTemplates = QStringLiteral(":/texts/Drawer.txt");
// The file's level words are the levels' key prefixes.
const QString kDrw = Schema::keyPrefix(RecordLevel::Drawer);
const QString kFld = Schema::keyPrefix(RecordLevel::Folder);
const QString kDoc = Schema::keyPrefix(RecordLevel::Document);

QStringList g_names;
// Added when the program starts rather than at first use: a reset rereads
// the names from the data folder then in use (none there gives none), also
// when nothing has read them yet.
[[maybe_unused]] const bool g_namesReset = (RunState::addReset(&DrawerTemplates::LoadDrawerTemplateNames), true);

const QStringList kLevels = {kDrw, kFld, kDoc};

// The template's folders with their documents, as an outline entry gives
// them.
QList<DrawerTemplates::TemplateFolder> foldersOf(const QList<Outline::Entry> &entries)
{
    QList<DrawerTemplates::TemplateFolder> folders;
    for (const Outline::Entry &folder : entries) {
        QStringList documents;
        for (const Outline::Entry &document : folder.children)
            documents.append(document.name);
        folders.append({folder.name, documents});
    }
    return folders;
}

struct NewNode
{
    bool isFolder;
    RecordId parentId;
    RecordId id;
    QString name;
};

} // namespace

namespace DrawerTemplates {

QString templateFilePath()
{
    return DataFolder::filePath(DataFolder::DrawerTemplatesName);
}

bool ensureTemplateFile()
{
    const QString path = templateFilePath();
    if (QFileInfo::exists(path))
        return true;
    DataFolder::ensure();
    QFile shipped(kShippedTemplates);
    if (!shipped.open(QIODevice::ReadOnly)) {
        qCWarning(lcStore) << "shipped templates missing:" << shipped.errorString();
        return false;
    }
    // Written line by line so the file has CR LF ends however the resource
    // was checked out.
    QString error;
    const QStringList lines = TextFile::splitLines(TextFile::decode(shipped.readAll()));
    if (!TextFile::write(path, TextFile::joinCrLf(lines), &error)) {
        qCWarning(lcStore) << "cannot write the template file:" << error;
        return false;
    }
    return true;
}

bool readTemplateFile(QString *text)
{
    return TextFile::read(templateFilePath(), text);
}

QStringList readTemplateNames(const QString &fileText)
{
    QStringList names;
    for (const QString &line : TextFile::splitLines(fileText)) {
        if (line.startsWith(QLatin1String("DRW=")))
            names.append(line.mid(4));
    }
    return names;
}

QList<TemplateFolder> readTemplateFolders(const QString &fileText, const QString &templateName)
{
    const std::optional<Outline::Entry> drawer = Outline::find(Outline::parse(fileText, kLevels), templateName);
    return drawer ? foldersOf(drawer->children) : QList<TemplateFolder>();
}

QList<TemplateDrawer> readTemplateTree(const QString &fileText)
{
    QList<TemplateDrawer> drawers;
    for (const Outline::Entry &drawer : Outline::parse(fileText, kLevels, Outline::Reading::Verbatim))
        drawers.append({drawer.name, foldersOf(drawer.children)});
    return drawers;
}

QString writeTemplateTree(const QList<TemplateDrawer> &drawers)
{
    QStringList lines;
    for (const TemplateDrawer &drawer : drawers) {
        lines << QString() << kDrw + QLatin1Char('=') + drawer.name;
        for (const TemplateFolder &folder : drawer.folders) {
            lines << kFld + QLatin1Char('=') + folder.name;
            for (const QString &document : folder.documents)
                lines << kDoc + QLatin1Char('=') + document;
        }
    }
    return TextFile::joinCrLf(lines);
}

bool saveTemplateFile(const QList<TemplateDrawer> &drawers, QString *error)
{
    return TextFile::write(templateFilePath(), writeTemplateTree(drawers), error);
}

void LoadDrawerTemplateNames()
{
    g_names.clear();
    try {
        QString text;
        if (readTemplateFile(&text))
            g_names = readTemplateNames(text);
    } catch (const AppError &e) {
        qCWarning(lcStore) << "cannot read the template file:" << e.text;
    }
}

const QStringList &DrawerTemplateNames()
{
    return g_names;
}

void ApplyDrawerTemplate(const QString &templateName, RecordId drawerId)
{
    QString text;
    if (drawerId == -1 || !readTemplateFile(&text))
        return;
    // The names list keeps the spaces a name was written with; the file is
    // compared trimmed, so the chosen name is trimmed as well.
    const std::optional<Outline::Entry> chosen =
        Outline::find(Outline::parse(text, kLevels), TextFile::trimSpaces(templateName));
    if (!chosen)
        return;
    // A name is refused before anything goes in, never stored cut.
    if (const std::optional<QString> tooLong = Outline::nameTooLong(chosen->children, Records::MaxNameLength))
        throw AppError(ErrorCode::InvalidValue,
                       QStringLiteral("%1 Please shorten it in \"%2\"; no folder of the template was added.")
                          .arg(Records::nameTooLongMessage(*tooLong), templateFilePath()));
    QList<NewNode> nodes;
    DbConnection::Transaction tx;
    for (const TemplateFolder &folder : foldersOf(chosen->children)) {
        const QString folderName = Outline::cleanName(folder.name);
        if (folderName.isEmpty())
            continue;  // its documents have no folder to go to
        // Folder names are unique within a drawer, compared as the dialogs do.
        RecordId folderId = Records::folderNamed(drawerId, folderName);
        if (folderId == 0) {
            folderId = Records::insertFolder(drawerId, folderName);
            nodes.append({true, drawerId, folderId, folderName});
        }
        for (const QString &document : folder.documents) {
            const QString documentName = Outline::cleanName(document);
            if (!documentName.isEmpty())
                nodes.append({false, folderId, Records::insertDocument(folderId, documentName),
                              documentName});
        }
    }
    tx.commit();
    NavigationSink &sink = NavigationSink::instance();
    for (const NewNode &node : nodes) {
        if (node.isFolder)
            sink.AddFolderToNavTree(node.parentId, node.id, node.name);
        else
            sink.AddDocumentToNavTree(node.parentId, node.id, node.name, QDate());
    }
}

RecordId AddTemplateFolder(RecordId drawerId, const QString &name)
{
    const RecordId folderId = Records::insertFolder(drawerId, name);
    NavigationSink::instance().AddFolderToNavTree(drawerId, folderId, name);
    return folderId;
}

RecordId AddTemplateDocument(RecordId folderId, const QString &name)
{
    const RecordId documentId = Records::insertDocument(folderId, name);
    // No date: the node shows the name alone.
    NavigationSink::instance().AddDocumentToNavTree(folderId, documentId, name, QDate());
    return documentId;
}

} // namespace DrawerTemplates
