#include "DrawerTemplates.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include "Common.h"
#include "DataFolder.h"
#include "DbConnection.h"
#include "NavigationSink.h"
#include "TextFile.h"

namespace {

Q_LOGGING_CATEGORY(lcTemplates, "vlm.store")

const QString kShippedTemplates = QStringLiteral(":/texts/Drawer.txt");
const QString kDrw = QStringLiteral("DRW");
const QString kFld = QStringLiteral("FLD");
const QString kDoc = QStringLiteral("DOC");

QStringList g_names;

// Entries come from a file the user edits, past the checks of the record
// dialogs: drop the characters a name may not hold.
QString cleanName(const QString &name)
{
    return TextFile::trimSpaces(Common::StripInvalidNameChars(name));
}

int folderNamed(int drawerId, const QString &name)
{
    // Name is COLLATE NOCASE: the same test the record dialogs make.
    return DbConnection::QueryValue(
               QStringLiteral("SELECT FolderId FROM Folder WHERE DrawerId = ? AND Name = ?"),
               {drawerId, name})
        .toInt();
}

int insertFolder(int drawerId, const QString &name)
{
    DbConnection::Execute(QStringLiteral("INSERT INTO Folder (DrawerId, Name) VALUES (?, ?)"),
                          {drawerId, name});
    return int(DbConnection::LastInsertId());
}

int insertDocument(int folderId, const QString &name)
{
    DbConnection::Execute(QStringLiteral("INSERT INTO Document (FolderId, Name) VALUES (?, ?)"),
                          {folderId, name});
    return int(DbConnection::LastInsertId());
}

struct NewNode
{
    bool isFolder;
    int parentId;
    int id;
    QString name;
};

} // namespace

namespace DrawerTemplates {

QString TemplateFilePath()
{
    return DataFolder::filePath(QStringLiteral("Drawer.txt"));
}

bool EnsureTemplateFile()
{
    const QString path = TemplateFilePath();
    if (QFileInfo::exists(path))
        return true;
    DataFolder::ensure();
    QFile shipped(kShippedTemplates);
    if (!shipped.open(QIODevice::ReadOnly)) {
        qCWarning(lcTemplates) << "shipped templates missing:" << shipped.errorString();
        return false;
    }
    // Written line by line so the file has CR LF ends however the resource
    // was checked out.
    QString error;
    const QStringList lines = TextFile::splitLines(TextFile::decode(shipped.readAll()));
    if (!TextFile::write(path, TextFile::joinCrLf(lines), &error)) {
        qCWarning(lcTemplates) << "cannot write the template file:" << error;
        return false;
    }
    return true;
}

bool ReadTemplateFile(QString *text)
{
    return TextFile::read(TemplateFilePath(), text);
}

QStringList ReadTemplateNames(const QString &fileText)
{
    QStringList names;
    for (const QString &line : TextFile::splitLines(fileText)) {
        if (line.startsWith(QLatin1String("DRW=")))
            names.append(line.mid(4));
    }
    return names;
}

QList<TemplateFolder> ReadTemplateFolders(const QString &fileText, const QString &templateName)
{
    QList<TemplateFolder> folders;
    bool inTemplate = false;
    for (const QString &line : TextFile::splitLines(fileText)) {
        const TextFile::Entry entry = TextFile::entryOf(line);
        if (!inTemplate) {
            inTemplate = entry.kind == kDrw
                && entry.value.compare(templateName, Qt::CaseInsensitive) == 0;
        } else if (entry.kind == kDrw) {
            break;
        } else if (entry.kind == kFld) {
            folders.append({entry.value, {}});
        } else if (entry.kind == kDoc && !folders.isEmpty()) {
            folders.last().documents.append(entry.value);
        }
    }
    return folders;
}

QList<TemplateDrawer> ReadTemplateTree(const QString &fileText)
{
    QList<TemplateDrawer> drawers;
    bool folderOpen = false;
    for (const QString &line : TextFile::splitLines(fileText)) {
        const QString kind = line.left(3).toUpper();
        const QString text = line.mid(4);
        if (kind == kDrw) {
            drawers.append({text, {}});
            folderOpen = false;
        } else if (kind == kFld && !drawers.isEmpty()) {
            drawers.last().folders.append({text, {}});
            folderOpen = true;
        } else if (kind == kDoc && folderOpen) {
            drawers.last().folders.last().documents.append(text);
        }
    }
    return drawers;
}

QString WriteTemplateTree(const QList<TemplateDrawer> &drawers)
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

bool SaveTemplateFile(const QList<TemplateDrawer> &drawers, QString *error)
{
    return TextFile::write(TemplateFilePath(), WriteTemplateTree(drawers), error);
}

void LoadDrawerTemplateNames()
{
    g_names.clear();
    try {
        QString text;
        if (ReadTemplateFile(&text))
            g_names = ReadTemplateNames(text);
    } catch (const DbError &e) {
        qCWarning(lcTemplates) << "cannot read the template file:" << e.text;
    }
}

const QStringList &DrawerTemplateNames()
{
    return g_names;
}

void ApplyDrawerTemplate(const QString &templateName, int drawerId)
{
    QString text;
    if (drawerId == -1 || !ReadTemplateFile(&text))
        return;
    // The names list keeps the spaces a name was written with; the file is
    // compared trimmed, so the chosen name is trimmed as well.
    const QList<TemplateFolder> folders = ReadTemplateFolders(text, TextFile::trimSpaces(templateName));
    QList<NewNode> nodes;
    DbConnection::Transaction tx;
    for (const TemplateFolder &folder : folders) {
        const QString folderName = cleanName(folder.name);
        if (folderName.isEmpty())
            continue;  // its documents have no folder to go to
        // Folder names are unique within a drawer.
        int folderId = folderNamed(drawerId, folderName);
        if (folderId == 0) {
            folderId = insertFolder(drawerId, folderName);
            nodes.append({true, drawerId, folderId, folderName});
        }
        for (const QString &document : folder.documents) {
            const QString documentName = cleanName(document);
            if (!documentName.isEmpty())
                nodes.append({false, folderId, insertDocument(folderId, documentName), documentName});
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

int AddTemplateFolder(int drawerId, const QString &name)
{
    const int folderId = insertFolder(drawerId, name);
    NavigationSink::instance().AddFolderToNavTree(drawerId, folderId, name);
    return folderId;
}

int AddTemplateDocument(int folderId, const QString &name)
{
    const int documentId = insertDocument(folderId, name);
    // No date: the node shows the name alone.
    NavigationSink::instance().AddDocumentToNavTree(folderId, documentId, name, QDate());
    return documentId;
}

} // namespace DrawerTemplates
