#pragma once

#include "platform/DbConnection.h"
#include "core/RecordId.h"
#include "store/PagePaths.h"
#include "store/Passwords.h"
#include "tests/support/TestImages.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Records for tests, written straight into the test database.
namespace RecordFixture {

inline RecordId insert(const QString &sql, const QVariantList &binds)
{
    DbConnection::execute(sql, binds);
    return DbConnection::lastInsertId();
}

inline RecordId cabinet(const QString &name, const QString &password = QString())
{
    return insert("INSERT INTO Cabinet (Name, [Password]) VALUES (?, ?)",
                  {name, Passwords::ScramblePassword(password)});
}

inline RecordId drawer(RecordId cabinetId, const QString &name)
{
    return insert("INSERT INTO Drawer (CabinetId, Name) VALUES (?, ?)", {cabinetId, name});
}

inline RecordId folder(RecordId drawerId, const QString &name)
{
    return insert("INSERT INTO Folder (DrawerId, Name) VALUES (?, ?)", {drawerId, name});
}

inline RecordId document(RecordId folderId, const QString &name, const QVariant &date = QVariant())
{
    return insert("INSERT INTO Document (FolderId, Name, DateOnDocument) VALUES (?, ?, ?)",
                  {folderId, name, date.isValid() ? date : QVariant(QMetaType(QMetaType::QString))});
}

// A page with only its number (a Null QVariant for none).
inline RecordId page(RecordId documentId, const QVariant &number)
{
    return insert("INSERT INTO Page (DocumentId, PageNumber) VALUES (?, ?)", {documentId, number});
}

// A page with a real JPEG of that size in the default store and no
// thumbnail yet.
inline RecordId jpegPage(RecordId documentId, int number, const QSize &size = QSize(60, 80))
{
    const RecordId id = insert("INSERT INTO Page (DocumentId, PageNumber) VALUES (?, ?)", {documentId, number});
    const QString path = PagePaths::GetDefaultPageFilePath(id);
    PagePaths::MakePath(PagePaths::GetFolderPart(path));
    TestImages::writeJpeg(path, size, 96);
    return id;
}

// A document in a new cabinet, drawer and folder.
inline RecordId documentInNewFolder(const QString &name = QStringLiteral("Doc"))
{
    const RecordId folderId = folder(drawer(cabinet(name + QStringLiteral(" cabinet")), QStringLiteral("Drawer")),
                                QStringLiteral("Folder"));
    return document(folderId, name);
}

// One column of a row found by its id, as a number ("Drawer", "CabinetId",
// "DrawerId", 7: the cabinet of drawer 7); 0 when there is none.
inline int columnOf(const QString &table, const QString &column, const QString &idColumn, RecordId id)
{
    return DbConnection::queryValue(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(column, table, idColumn), {id})
        .toInt();
}

// The number of rows of a table.
inline int rowCount(const QString &table)
{
    return DbConnection::queryValue(QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

// A page numbered 1 with these further columns, each value as given (a
// Null QVariant for a Null column): pageRow(doc, {{"FileSize", 100}}).
inline RecordId pageRow(RecordId documentId, const QList<QPair<QString, QVariant>> &columns)
{
    QStringList names{QStringLiteral("DocumentId"), QStringLiteral("PageNumber")};
    QVariantList binds{documentId, 1};
    for (const auto &column : columns) {
        names << column.first;
        binds << column.second;
    }
    const QStringList marks(names.size(), QStringLiteral("?"));
    return insert(QStringLiteral("INSERT INTO Page (%1) VALUES (%2)")
                      .arg(names.join(QLatin1String(", ")), marks.join(QLatin1String(", "))),
                  binds);
}

// A page of that size in bytes.
inline RecordId sizedPage(RecordId documentId, qint64 fileSize)
{
    return pageRow(documentId, {{QStringLiteral("FileSize"), fileSize}});
}

// A page scanned at scanDate (text or Null), of that size in bytes.
inline RecordId scannedPage(RecordId documentId, const QVariant &scanDate, qint64 fileSize)
{
    return pageRow(documentId, {{QStringLiteral("ScanDate"), scanDate}, {QStringLiteral("FileSize"), fileSize}});
}

// A page named "p" whose file is filename (Null when not given), a
// shortcut when shortcut is "Y".
inline RecordId linkedPage(RecordId documentId, const QVariant &filename = QVariant(),
                           const QString &shortcut = QStringLiteral("N"))
{
    return pageRow(documentId, {{QStringLiteral("Name"), QStringLiteral("p")},
                                 {QStringLiteral("Filename"),
                                  filename.isValid() ? filename : QVariant(QMetaType(QMetaType::QString))},
                                 {QStringLiteral("ShortcutYN"), shortcut}});
}

// A column of the page's row; invalid when there is no such page.
inline QVariant pageColumn(RecordId pageId, const char *name)
{
    return DbConnection::queryValue(QStringLiteral("SELECT %1 FROM Page WHERE PageId = ?").arg(QLatin1String(name)),
                                    {pageId});
}

// The number of pages of all documents.
inline int pageCount()
{
    return rowCount(QStringLiteral("Page"));
}

} // namespace RecordFixture
