#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/RecordId.h"

// Drawer templates: named sets of folders, each with its documents, that the
// drawer dialog pours into a new drawer. They live in "Drawer.txt" in the
// data folder, one entry a line ("DRW=" template, "FLD=" folder, "DOC="
// document), nesting given by the order of the lines. The program ships a
// default file and writes it when the data folder has none.
//
// Three readers take the file, each with its own tolerance (a file the
// editor wrote reads the same in all three): the names list, the applier
// and the editor's tree. Files are read as UTF-8 (Latin-1 when they are not
// valid UTF-8), with CR LF, LF or CR line ends; they are written as UTF-8
// with CR LF.
namespace DrawerTemplates {

struct TemplateFolder
{
    QString name;
    QStringList documents;
};

struct TemplateDrawer
{
    QString name;
    QList<TemplateFolder> folders;
};

// The template file in the data folder.
QString templateFilePath();

// Writes the shipped templates when the data folder has no template file.
// False (and a logged reason) when it is missing and cannot be written.
bool ensureTemplateFile();

// Reads the template file into *text. False when there is no file; throws
// AppError when it exists but cannot be read.
bool readTemplateFile(QString *text);

// The names reader: the text after "DRW=" of every line that starts with
// exactly "DRW=" (upper case, nothing before it), untrimmed, in file order.
QStringList readTemplateNames(const QString &fileText);

// The applier's reader: the folders of the first template whose name equals
// templateName without regard to case. Lines lose their leading and
// trailing spaces; kinds are the first three characters in upper case;
// names are the text after the first "=", trimmed of spaces. A DOC line
// before the template's first FLD line is skipped. Names are not cleaned.
QList<TemplateFolder> readTemplateFolders(const QString &fileText, const QString &templateName);

// The editor's reader: kinds are the first three characters turned to upper
// case, texts everything after the fourth character, untrimmed. A FLD line
// before any DRW line and a DOC line without a FLD line of its template are
// skipped.
QList<TemplateDrawer> readTemplateTree(const QString &fileText);

// The file text the editor writes: an empty line before every "DRW=" line,
// folders after their template, documents after their folder, CR LF ends.
QString writeTemplateTree(const QList<TemplateDrawer> &drawers);

// Replaces the template file with the given templates. The new text is
// written to a temporary file and renamed over the old one, so a failure
// keeps the old file; it then gives false and "Error # <code> <reason>" in
// *error.
[[nodiscard]] bool saveTemplateFile(const QList<TemplateDrawer> &drawers, QString *error);

// Rebuilds the list of template names from the file; an empty list when
// there is no file or it cannot be read.
void LoadDrawerTemplateNames();
// The names as last loaded, in file order, each as written in the file.
const QStringList &DrawerTemplateNames();
inline int DrawerTemplateCount() { return DrawerTemplateNames().size(); }

// Inserts the folders and documents of the named template into the drawer.
// The name is compared without its surrounding spaces and without regard to
// case; only the first template of that name is used. Names lose the
// characters a name may not hold; an entry left empty is skipped (a folder
// with its documents), and a folder whose name the drawer already has takes
// the documents into that folder. All rows go in one transaction; the tree
// nodes are added after it commits, in file order. Nothing happens without
// a template file or for drawer id -1. Throws AppError (nothing inserted,
// no node added) when the file cannot be read or a statement fails, when a
// name of the template is longer than a name may be (ErrorCode::
// InvalidValue, naming the entry and the file: it is never stored cut) and
// when the drawer no longer exists (ErrorCode::RecordMissing).
void ApplyDrawerTemplate(const QString &templateName, RecordId drawerId);

// Inserts one Folder (Document) row through Records, adds its tree node and
// returns the new id. The name is stored as given. Throw AppError.
RecordId AddTemplateFolder(RecordId drawerId, const QString &name);
RecordId AddTemplateDocument(RecordId folderId, const QString &name);

} // namespace DrawerTemplates
