#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/RecordId.h"

// Sample cabinets: ready-made sets of drawers, folders and documents,
// described in the outline "Sample.txt" in the data folder. One entry a
// line; a line loses its leading and trailing spaces (not tabs), its kind is
// its first three characters ("CAB", "DRW", "FLD", "DOC", upper case) and
// its value the text after the first "=", trimmed of spaces. A CAB line
// opens a section that runs to the next CAB line; inside it a DRW line opens
// a drawer, a FLD line is a folder of the last drawer and a DOC line a
// document of the last folder since that drawer. Everything else is ignored.
//
// The program ships a built-in outline and writes it when the data folder
// has none; the user may edit it afterwards.
namespace SampleCabinets {

struct OutlineFolder
{
    QString name;
    QStringList documents;
};

struct OutlineDrawer
{
    QString name;
    QList<OutlineFolder> folders;
};

// The outline file in the data folder, its name matched without regard to
// case; "Sample.txt" when there is none.
QString sampleOutlinePath();

// The built-in outline, lines ended by CR LF.
QString builtInOutline();

// Writes the built-in outline to the outline file, replacing it. On failure
// the old file is kept, "Error creating sample file.  Error # <code>
// <reason>" is shown through the prompt, and false is returned.
bool WriteSampleOutline();

// Writes the built-in outline when there is no outline file; true when the
// file exists afterwards.
bool ensureSampleOutline();

// The outline's text. Without an outline file the built-in outline is
// written (quietly; a failure is only logged) and its text returned, so a
// first run always has one. Throws AppError when the file exists but cannot
// be read.
QString readOutline();

// The value of every CAB line, in file order, duplicates and empty values
// included.
QStringList readSampleCabinetNames(const QString &outlineText);
// The drawers of the first section whose name equals cabinetName without
// regard to case. Names are not cleaned.
QList<OutlineDrawer> readOutlineSection(const QString &outlineText, const QString &cabinetName);

// The sample cabinets the dialog offers: the CAB values of the outline.
// Throws AppError.
QStringList sampleCabinetNames();

// The name a sample cabinet is stored under: the outline's name without the
// characters a name may not hold, trimmed. Empty when nothing is left.
QString cabinetNameFor(const QString &outlineName);

// Creates a cabinet without password named cabinetNameFor(name), adds its
// tree node, fills it from the outline section named name, selects the
// cabinet's node again and lists its drawers. Returns the new CabinetId. The caller checks the name first.
// Throws AppError: when reading the outline fails, or the cabinet's name or
// a name of its section is longer than a name may be (ErrorCode::
// InvalidValue, naming the entry and the file; never stored cut), nothing
// is inserted; when filling fails the cabinet stays, empty, with its node.
RecordId CreateSampleCabinet(const QString &name);

// Inserts the drawers, folders and documents of the section named name into
// the cabinet. Names lose the characters a name may not hold; an entry left
// empty is skipped with everything below it, and a drawer (folder) whose
// name the parent already has takes its content into that one. All rows go
// in one transaction; tree nodes are added after it commits, in file order.
// Throws AppError (nothing inserted, no node added), also for a name longer
// than a name may be.
void FillCabinetFromOutline(const QString &name, RecordId cabinetId);

// Inserts one row, adds its tree node and returns the new id. The name is
// stored as given. Throw AppError.
RecordId AddSampleDrawer(RecordId cabinetId, const QString &name);
RecordId AddSampleFolder(RecordId drawerId, const QString &name);
RecordId AddSampleDocument(RecordId folderId, const QString &name);

} // namespace SampleCabinets
