#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The outline format that "Drawer.txt" and "Sample.txt" share: one entry a
// line, "KIND=value", nesting given by the order of the lines. The kinds of
// a file are its levels, outermost first ("DRW", "FLD", "DOC" for the
// templates; "CAB" before them for the samples). An entry of level n
// belongs to the last entry of level n-1 above it and closes every deeper
// level; one with no open parent (a FLD line before any DRW line, a DOC
// line right after a DRW line) is skipped. Lines of any other kind mean
// nothing. Indentation carries no meaning.
namespace Outline {

struct Entry
{
    QString name;
    QList<Entry> children;
};

// How a line is read.
enum class Reading {
    // The builders': the line loses its leading and trailing spaces (not
    // tabs), its kind is its first three characters exactly, its value the
    // text after the first "=", trimmed of spaces ("" without "=").
    Trimmed,
    // The template editor's: the kind is the first three characters in
    // upper case, the value everything after the fourth character, as is.
    Verbatim,
};

// The entries of the outline text, kinds giving the levels.
QList<Entry> parse(const QString &text, const QStringList &kinds, Reading reading = Reading::Trimmed);

// The first top-level entry whose name equals name without regard to case.
std::optional<Entry> find(const QList<Entry> &entries, const QString &name);

// The name an entry is stored under: without the characters a name may not
// hold (the file is edited by hand, past the dialogs' checks), trimmed of
// spaces. Empty when nothing is left.
QString cleanName(const QString &name);

// The first cleaned name of the entries, or of anything below them, that is
// longer than maxLength; nothing when all fit.
std::optional<QString> nameTooLong(const QList<Entry> &entries, int maxLength);

} // namespace Outline
