#pragma once

#include "core/RecordId.h"
#include "navigation/FindCriteria.h"

#include <QString>
#include <QVariantList>
#include <QVector>

// The search: which documents the criteria find, cabinet by cabinet, as
// rows the window turns into the "Found" branch. No widgets, no prompts.
namespace FindQuery {

// The location chosen in the search dialog, resolved to ids; 0 is "(All)".
struct FindLocation
{
    RecordId cabinetId = 0;
    RecordId drawerId = 0;
    RecordId folderId = 0;
};

// One found document with its cabinet, drawer and folder.
struct FoundDocument
{
    RecordId documentId = 0;
    QString name;
    RecordId folderId = 0;
    QString folderName;
    RecordId drawerId = 0;
    QString drawerName;
    RecordId cabinetId = 0;
    QString cabinetName;
};

struct FindResult
{
    // The rows of every query added up: a folder that matches the keywords
    // counts even when it holds no document. 0 means "Nothing found.".
    int hitCount = 0;
    // Each document once, in the order the queries found it.
    QVector<FoundDocument> documents;
};

// The message shown when a search finds nothing.
inline const QString NothingFoundText = QStringLiteral("Nothing found.");

// A statement and the values for its placeholders, in order.
struct Sql
{
    QString text;
    QVariantList binds;
};

// Runs the search over every cabinet open in this run (or the chosen one,
// when it is open). Rebuilds the criteria's four limit clauses first, so
// they stand for this search also when it finds nothing. With no keywords
// the folder query is skipped: it would match every folder and bring in
// every document without the limits. Throws AppError.
FindResult RunFind(FindCriteria &criteria, const FindLocation &location);

// The cabinets a search looks in, in id order: the open ones, or the
// chosen one alone when it is open. A locked cabinet is skipped without a
// prompt. Throws AppError.
QVector<RecordId> cabinetsInScope(RecordId chosenCabinetId);

// The keyword condition on prefix + "Name" and prefix + "Description"
// ("Document." or "Folder."): any word, or the whole text as one phrase.
// Quotes, "%", "_" and "\" in the keywords match themselves.
FindClause BuildKeywordClause(const QString &keywords, bool matchAnyWord, const QString &prefix);
// The chosen drawer or folder as a condition; none for "(All)". A drawer
// with folder "(All)" limits both queries to that drawer's folders.
FindClause BuildDrawerClause(const FindLocation &location);
FindClause BuildFolderClause(const FindLocation &location);
// "%text%" with the LIKE wildcards and the escape character escaped by "\".
QString likePattern(const QString &text);

// The document query of one cabinet, for the criteria's built clauses.
// Columns: DocumentId, Name, FolderId, folder name, DrawerId, drawer name,
// CabinetId, cabinet name.
Sql documentQuery(const FindCriteria &criteria, const FindLocation &location, RecordId cabinetId);
// The folder query of one cabinet with each matching folder's documents
// (a folder without documents gives one row with a Null DocumentId).
// Columns: FolderId, folder name, DrawerId, drawer name, CabinetId,
// cabinet name, DocumentId, Name. Empty text when there are no keywords.
Sql folderQuery(const FindCriteria &criteria, const FindLocation &location, RecordId cabinetId);

} // namespace FindQuery
