#include "DrawerTemplates.h"

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

namespace {

Q_LOGGING_CATEGORY(lcTemplates, "vlm.store")

const QString kShippedTemplates = QStringLiteral(":/texts/Drawer.txt");
const QString kDrw = QStringLiteral("DRW");
const QString kFld = QStringLiteral("FLD");
const QString kDoc = QStringLiteral("DOC");

QStringList g_names;

// Users edit the file by hand: a byte-order mark or a file saved in a
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

// The text formats trim spaces only, never tab characters.
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

QString valueAfterEquals(const QString &line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : trimSpaces(line.mid(eq + 1));
}

// Entries come from a file the user edits, past the checks of the record
// dialogs: drop the characters a name may not hold.
QString cleanName(const QString &name)
{
    return trimSpaces(Common::StripInvalidNameChars(name));
}

QByteArray withCrLf(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String("\r\n");
    return text.toUtf8();
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
    if (!writeFile(path, withCrLf(splitLines(decode(shipped.readAll()))), &error)) {
        qCWarning(lcTemplates) << "cannot write the template file:" << error;
        return false;
    }
    return true;
}

bool ReadTemplateFile(QString *text)
{
    QFile file(TemplateFilePath());
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(file.error(), QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw DbError(file.error(), QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
    *text = decode(bytes);
    return true;
}

QStringList ReadTemplateNames(const QString &fileText)
{
    QStringList names;
    for (const QString &line : splitLines(fileText)) {
        if (line.startsWith(QLatin1String("DRW=")))
            names.append(line.mid(4));
    }
    return names;
}

QList<TemplateFolder> ReadTemplateFolders(const QString &fileText, const QString &templateName)
{
    QList<TemplateFolder> folders;
    bool inTemplate = false;
    for (const QString &raw : splitLines(fileText)) {
        const QString line = trimSpaces(raw);
        const QString kind = line.left(3);
        const QString value = valueAfterEquals(line);
        if (!inTemplate) {
            inTemplate = kind == kDrw && value.compare(templateName, Qt::CaseInsensitive) == 0;
        } else if (kind == kDrw) {
            break;
        } else if (kind == kFld) {
            folders.append({value, {}});
        } else if (kind == kDoc && !folders.isEmpty()) {
            folders.last().documents.append(value);
        }
    }
    return folders;
}

QList<TemplateDrawer> ReadTemplateTree(const QString &fileText)
{
    QList<TemplateDrawer> drawers;
    bool folderOpen = false;
    for (const QString &line : splitLines(fileText)) {
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
    return QString::fromUtf8(withCrLf(lines));
}

bool SaveTemplateFile(const QList<TemplateDrawer> &drawers, QString *error)
{
    return writeFile(TemplateFilePath(), WriteTemplateTree(drawers).toUtf8(), error);
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
    const QList<TemplateFolder> folders = ReadTemplateFolders(text, trimSpaces(templateName));
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
