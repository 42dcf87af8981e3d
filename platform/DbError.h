#pragma once

#include <QString>

#include <exception>

// The one error type of the database layer. It is thrown inside the store
// and caught at the boundary of every event handler, where it is shown as
// "Error # <code> <text>"; it never crosses the Qt event loop.
struct DbError : std::exception
{
    int code = 0;      // SQLite's extended result code, errno, or one of ours
    QString text;      // readable description

    DbError() = default;
    DbError(int c, QString t) : code(c), text(std::move(t)), m_what(text.toUtf8()) {}
    const char *what() const noexcept override { return m_what.constData(); }

    // "Error # 1 no such table: Foo", the form every message box shows.
    QString message() const { return QStringLiteral("Error # %1 %2").arg(code).arg(text); }

private:
    QByteArray m_what;
};
