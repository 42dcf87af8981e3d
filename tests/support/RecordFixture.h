#pragma once

#include "DbConnection.h"
#include "Passwords.h"

#include <QDate>
#include <QString>

// Records for tests, written straight into the test database.
namespace RecordFixture {

inline int insert(const QString &sql, const QVariantList &binds)
{
    DbConnection::Execute(sql, binds);
    return int(DbConnection::LastInsertId());
}

inline int cabinet(const QString &name, const QString &password = QString())
{
    return insert("INSERT INTO Cabinet (Name, [Password]) VALUES (?, ?)",
                  {name, Passwords::ScramblePassword(password)});
}

inline int drawer(int cabinetId, const QString &name)
{
    return insert("INSERT INTO Drawer (CabinetId, Name) VALUES (?, ?)", {cabinetId, name});
}

inline int folder(int drawerId, const QString &name)
{
    return insert("INSERT INTO Folder (DrawerId, Name) VALUES (?, ?)", {drawerId, name});
}

inline int document(int folderId, const QString &name, const QVariant &date = QVariant())
{
    return insert("INSERT INTO Document (FolderId, Name, DateOnDocument) VALUES (?, ?, ?)",
                  {folderId, name, date.isValid() ? date : QVariant(QMetaType(QMetaType::QString))});
}

// The number of rows of a table.
inline int rowCount(const QString &table)
{
    return DbConnection::QueryValue(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
}

} // namespace RecordFixture
