#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

class QSqlQuery;

// A client-side, read-only snapshot of a query's rows: the row count is
// exact, the cursor moves both ways, fields are read by name or position and
// a Null field stays distinguishable from an empty text.
class Recordset
{
public:
    Recordset() = default;
    // Reads every row of an executed query.
    explicit Recordset(QSqlQuery &query);

    int recordCount() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    bool bof() const { return m_pos < 0 || m_rows.isEmpty(); }
    bool eof() const { return m_pos >= m_rows.size() || m_rows.isEmpty(); }

    void moveFirst() { m_pos = 0; }
    void moveLast() { m_pos = m_rows.isEmpty() ? 0 : m_rows.size() - 1; }
    void moveNext() { if (m_pos < m_rows.size()) ++m_pos; }
    void movePrevious() { if (m_pos >= 0) --m_pos; }
    int position() const { return m_pos; }

    int columnCount() const { return m_columns.size(); }
    QString columnName(int column) const { return m_columns.value(column); }
    bool hasColumn(const QString &name) const;

    // The field of the current row; an invalid QVariant past either end.
    QVariant field(const QString &name) const;
    QVariant field(int column) const;
    bool isNull(const QString &name) const { return field(name).isNull(); }

    // Direct access for loops that walk every row.
    QVariant value(int row, int column) const { return m_rows.value(row).value(column); }
    QVariant value(int row, const QString &name) const;

private:
    int indexOf(const QString &name) const;

    QVector<QString> m_columns;
    QHash<QString, int> m_index;  // lower-cased column name -> position
    QVector<QVector<QVariant>> m_rows;
    int m_pos = 0;
};
