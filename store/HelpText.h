#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The texts behind the Help menu: the help file "vlmhelp.txt" that the help
// viewer shows one screen at a time, and the figures of the about box.
//
// The help file is plain text. A line whose first character is "'" is a
// remark and is skipped everywhere. Sections start with a header line,
// "[toc]" for the table of contents and "[topicN,pageM]" for page M of
// topic N, compared with the whole line in lower case (no trimming), so a
// header may be written in any case but must stand alone at the start of
// its line. The first of two equal headers counts.
namespace HelpText {

// At most this many entries in the table of contents, and shown lines on a
// page.
constexpr int MaxEntries = 9;
constexpr int MaxPageLines = 9;

// The help file to read: "vlmhelp.txt" in the data folder when the user put
// one there, else the copy built into the program. Empty when neither exists.
QString helpFilePath();

// Reads the help file (see helpFilePath) into *text. False, with the reason
// logged, when there is none or it cannot be read.
bool readHelpText(QString *text);

// The lines of a help text; CR LF, LF and lone CR all end a line, so no line
// keeps a trailing CR.
QStringList helpLines(const QString &text);

// "[toc]" and "[topicN,pageM]".
QString tocHeader();
QString pageHeader(int topic, int page);

// The index of the line after the first line that, in lower case, equals
// header (which must be lower case); -1 when no line does.
int findSection(const QStringList &lines, const QString &header);

// The table of contents whose lines start at index from: entries "N=Title"
// up to the end of the lines, a line that is empty or starts with "["
// (spaces around it aside). N (spaces around it allowed) is the entry's
// place, 1..9; the title is everything after the first "=", unchanged. A
// later entry of one number replaces an earlier one. Remarks and lines that
// are no such entry (no "=", N no whole number from 1 to 9) are skipped.
QMap<int, QString> parseToc(const QStringList &lines, int from);

// The shown lines of the page whose lines start at index from, up to the end
// of the lines or a line that starts with "[" (spaces before it aside):
// unchanged, at most nine; remarks and lines that in lower case start with
// "centericon" or "centerpicture" are skipped and not counted. Blank lines
// show and count.
QStringList parsePage(const QStringList &lines, int from);

// Every "&" doubled, for captions that take a single "&" as the mark of an
// access key (buttons, menu items).
QString EscapeAmpersands(const QString &text);

// "Vellumark 2.0.07": the name and the major, minor and revision numbers of
// a version such as "2.0.7", the revision with at least two digits. Missing
// numbers count as 0.
QString versionCaption(const QString &version);

// The number of pages stored in the open database. Throws AppError.
qint64 storedPageCount();

// "Pages stored: 1,234": the count grouped by thousands the way the
// program's locale (the user's) writes it.
QString pageCountCaption(qint64 count);

} // namespace HelpText
