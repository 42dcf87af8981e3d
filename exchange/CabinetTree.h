#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QVariant>

#include <optional>

// The exported cabinet tree, written by CabinetExport and read back by
// CabinetImport:
//
//   <destination>/<C>/             C = RemoveInvalidFileChars(cabinet name)
//     VLM.txt                      the marker, first file written, on disk 1 only
//     .VLM files.txt               the record of the files written on this
//                                  disk (ExportRecord); hidden, so no import
//                                  takes it
//     Cabinet.txt                  when the cabinet's description is not Null
//     <D>/Drawer.txt               a directory per drawer, folder, document,
//       <F>/Folder.txt             created even when empty
//         <G>/Document.txt         G = cleaned name without its extension
//           Page <n>.jpg           a JPEG page; any other page keeps its file name
//
// Text files are UTF-8 without byte-order mark, every line (the last too)
// ended by CR LF; dates and amounts are written in fixed forms that no
// locale changes. Names are unique within their directory without regard
// to case, as FAT media compare them: a second "Page 7.jpg" becomes
// "Page 7 (2).jpg", which still reads back as page 7.
namespace CabinetTree {

inline const QString MarkerFileName = QStringLiteral("VLM.txt");
inline const QString CabinetFileName = QStringLiteral("Cabinet.txt");
inline const QString DrawerFileName = QStringLiteral("Drawer.txt");
inline const QString FolderFileName = QStringLiteral("Folder.txt");
inline const QString DocumentFileName = QStringLiteral("Document.txt");
inline const QString RecordFileName = QStringLiteral(".VLM files.txt");

// The name cut at its last "."; unchanged without one.
QString RemoveExtension(const QString &name);
// A directory name: without \ / : * ? " < > |, the full stop, control
// characters and trailing blanks; "_" when nothing is left.
QString RemoveInvalidFileChars(const QString &name);
// A file name: the same, but its full stops kept.
QString cleanFileName(const QString &name);
// True when the path ends in "jpg" or "jpeg", in any case.
bool isJpegPath(const QString &path);
// The file name of a page in its document directory: "Page <n>.jpg" for a
// JPEG source ("Page .jpg" for a Null number), else the source's own name.
QString treeFileName(const QString &sourcePath, const QVariant &pageNumber);
// The name itself, or with " (2)", " (3)" ... before its extension (when
// keepExtension) until no name of taken matches without regard to case;
// the result is added to taken (kept case-folded).
QString uniqueName(const QString &name, QSet<QString> &taken, bool keepExtension);

// Every line break (CR LF, LF or a lone CR) becomes "|".
QString EncodeLineBreaks(const QString &text);
// Every "|" becomes the program's line break, "\n".
QString DecodeLineBreaks(const QString &text);

// A stored document date as written: "yyyy-MM-dd", "" for none.
QString formatDate(const QVariant &stored);
// An amount in the C locale, shortest form that reads back the same
// ("12.5", "1250000"); "" for Null.
QString formatAmount(const QVariant &stored);
// A date as read: "yyyy-MM-dd", "M/d/yyyy" or "MM/dd/yyyy", each with an
// optional time ("HH:mm" or "HH:mm:ss"); nothing for anything else.
std::optional<QDate> parseDate(const QString &text);

// The files' bytes.
QByteArray markerText(const QDateTime &exported);
QByteArray descriptionText(const QString &description);
QByteArray documentInfoText(const QVariant &date, const QVariant &description, const QVariant &amount);

// The value of a cabinet, drawer or folder file: the last non-blank line
// after "[Description]" (decoded), "" when there is none.
QString readDescription(const QString &text);

// The values of a "document.txt": each line trimmed; a blank line ends a
// slot; "[DateOnDocument]", "[Description]", "[Amount]" (any case) open
// theirs and the next non-blank line fills it.
struct DocumentInfo
{
    QString dateText;
    QString description;   // decoded
    QString amountText;
};
DocumentInfo readDocumentInfo(const QString &text);

// The name of the entry of dir whose trimmed name equals name without
// regard to case; "" when there is none.
QString findFile(const QString &dir, const QString &name);

} // namespace CabinetTree
