#include "navigation/FindQuery.h"

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/Passwords.h"

#include <array>

#include <QSet>
#include <QStringList>

namespace {

// The joins down from the cabinet; every query selects the ancestors'
// names with the hit, so a hit needs no look-ups of its own.
const QString kCabinetToFolder = QStringLiteral(
    " FROM Cabinet INNER JOIN Drawer ON Cabinet.CabinetId = Drawer.CabinetId"
    " INNER JOIN Folder ON Drawer.DrawerId = Folder.DrawerId");

QString DocumentQueryBase()
{
    static const QString head = QStringLiteral(
        "SELECT Document.DocumentId, Document.Name, Folder.FolderId, Folder.Name, Drawer.DrawerId,"
        " Drawer.Name, Cabinet.CabinetId, Cabinet.Name")
        + kCabinetToFolder + QStringLiteral(" INNER JOIN Document ON Document.FolderId = Folder.FolderId");
    return head;
}

QString FolderQueryBase()
{
    static const QString head = QStringLiteral(
        "SELECT Folder.FolderId, Folder.Name, Drawer.DrawerId, Drawer.Name, Cabinet.CabinetId,"
        " Cabinet.Name, Document.DocumentId, Document.Name")
        + kCabinetToFolder + QStringLiteral(" LEFT JOIN Document ON Document.FolderId = Folder.FolderId");
    return head;
}

// Collects the conditions of one query and their values, in order.
struct Where
{
    QStringList conditions;
    QVariantList binds;

    void add(const FindClause &clause)
    {
        if (clause.isEmpty())
            return;
        conditions.append(clause.sql);
        binds += clause.binds;
    }
};

FindQuery::Sql finish(const QString &head, RecordId cabinetId, const Where &where)
{
    QString text = head + QStringLiteral(" WHERE Cabinet.CabinetId = ?");
    for (const QString &c : where.conditions)
        text += QStringLiteral(" AND ") + c;
    return {text, QVariantList{cabinetId} + where.binds};
}

// Where each query puts a found document's fields: document id and name,
// folder id and name, drawer id and name, cabinet id and name.
using Columns = std::array<int, 8>;
constexpr Columns kDocumentColumns = {0, 1, 2, 3, 4, 5, 6, 7};
constexpr Columns kFolderColumns = {6, 7, 0, 1, 2, 3, 4, 5};

FindQuery::FoundDocument readDocument(const Recordset &rs, int row, const Columns &c)
{
    const auto id = [&](int i) { return rs.value(row, c[i]).toLongLong(); };
    const auto name = [&](int i) { return NullToEmpty(rs.value(row, c[i])); };
    return {id(0), name(1), id(2), name(3), id(4), name(5), id(6), name(7)};
}

bool hasKeywords(const FindCriteria &criteria)
{
    return !criteria.FindKeywords.trimmed().isEmpty();
}

FindClause keywordClause(const FindCriteria &criteria, const QString &prefix)
{
    return FindQuery::BuildKeywordClause(criteria.FindKeywords.trimmed(), criteria.FindMatchAnyWord != 0, prefix);
}

} // namespace

namespace FindQuery {

QString likePattern(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

FindClause BuildKeywordClause(const QString &keywords, bool matchAnyWord, const QString &prefix)
{
    const QString like = QStringLiteral("%1%2 LIKE ? ESCAPE '\\'");
    const QString name = like.arg(prefix, QStringLiteral("Name"));
    const QString description = like.arg(prefix, QStringLiteral("Description"));
    FindClause clause;
    QStringList parts;
    if (matchAnyWord) {
        // Only the space separates words; a run of spaces gives no empty word.
        for (const QString &word : keywords.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            parts << name << description;
            clause.binds << likePattern(word) << likePattern(word);
        }
    } else if (!keywords.isEmpty()) {
        // The whole text is one phrase: its words together, in the typed order.
        parts << description << name;
        clause.binds << likePattern(keywords) << likePattern(keywords);
    }
    if (!parts.isEmpty())
        clause.sql = QLatin1Char('(') + parts.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    return clause;
}

FindClause BuildDrawerClause(const FindLocation &location)
{
    if (location.drawerId == 0)
        return {};
    return {QStringLiteral("(Drawer.DrawerId = ?)"), {location.drawerId}};
}

FindClause BuildFolderClause(const FindLocation &location)
{
    if (location.folderId == 0)
        return {};
    return {QStringLiteral("(Folder.FolderId = ?)"), {location.folderId}};
}

Sql documentQuery(const FindCriteria &criteria, const FindLocation &location, RecordId cabinetId)
{
    Where where;
    where.add(keywordClause(criteria, QStringLiteral("Document.")));
    where.add(BuildDrawerClause(location));
    where.add(BuildFolderClause(location));
    where.add(criteria.FindDocDateClause);
    where.add(criteria.FindAmountClause);
    // Any limit asks for a page that passes the page limits, so a document
    // without pages is not found then, even for a date or amount limit
    // alone. EXISTS stops at the first such page instead of joining them all.
    if (!criteria.FindScanDateClause.isEmpty() || !criteria.FindDocDateClause.isEmpty()
        || !criteria.FindAmountClause.isEmpty() || !criteria.FindFileSizeClause.isEmpty()) {
        Where page;
        page.add(criteria.FindScanDateClause);
        page.add(criteria.FindFileSizeClause);
        QString exists = QStringLiteral("EXISTS (SELECT 1 FROM Page WHERE Page.DocumentId = Document.DocumentId");
        for (const QString &c : page.conditions)
            exists += QStringLiteral(" AND ") + c;
        where.add({exists + QLatin1Char(')'), page.binds});
    }
    return finish(DocumentQueryBase(), cabinetId, where);
}

Sql folderQuery(const FindCriteria &criteria, const FindLocation &location, RecordId cabinetId)
{
    if (!hasKeywords(criteria))
        return {};
    Where where;
    where.add(keywordClause(criteria, QStringLiteral("Folder.")));
    where.add(BuildDrawerClause(location));
    where.add(BuildFolderClause(location));
    return finish(FolderQueryBase(), cabinetId, where);
}

QVector<RecordId> cabinetsInScope(RecordId chosenCabinetId)
{
    QVector<RecordId> ids;
    if (chosenCabinetId != 0) {
        ids.append(chosenCabinetId);
    } else {
        const Recordset rs =
            DbConnection::OpenRecordset(QStringLiteral("SELECT CabinetId FROM Cabinet ORDER BY CabinetId"));
        for (int i = 0; i < rs.recordCount(); ++i)
            ids.append(rs.value(i, 0).toLongLong());
    }
    QVector<RecordId> open;
    for (RecordId id : ids) {
        if (Passwords::IsCabinetOpen(id))
            open.append(id);
    }
    return open;
}

FindResult RunFind(FindCriteria &criteria, const FindLocation &location)
{
    criteria.buildClauses();
    FindResult result;
    QSet<RecordId> seen;
    // A document that both queries find is kept once.
    const auto add = [&](const FoundDocument &doc) {
        if (!seen.contains(doc.documentId)) {
            seen.insert(doc.documentId);
            result.documents.append(doc);
        }
    };
    for (RecordId cabinetId : cabinetsInScope(location.cabinetId)) {
        const Sql docs = documentQuery(criteria, location, cabinetId);
        const Recordset d = DbConnection::OpenRecordset(docs.text, docs.binds);
        result.hitCount += d.recordCount();
        for (int i = 0; i < d.recordCount(); ++i)
            add(readDocument(d, i, kDocumentColumns));
        const Sql folders = folderQuery(criteria, location, cabinetId);
        if (folders.text.isEmpty())
            continue;
        const Recordset f = DbConnection::OpenRecordset(folders.text, folders.binds);
        QSet<RecordId> matchedFolders;
        for (int i = 0; i < f.recordCount(); ++i) {
            matchedFolders.insert(f.value(i, 0).toLongLong());
            if (f.value(i, 6).isNull())
                continue;  // a matching folder without documents
            add(readDocument(f, i, kFolderColumns));
        }
        result.hitCount += matchedFolders.size();
    }
    return result;
}

} // namespace FindQuery
