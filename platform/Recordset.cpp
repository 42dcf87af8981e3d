#include "platform/Recordset.h"

#include <QSqlQuery>
#include <QSqlRecord>

Recordset::Recordset(QSqlQuery &query)
{
    const QSqlRecord rec = query.record();
    const int n = rec.count();
    m_columns.reserve(n);
    for (int i = 0; i < n; ++i) {
        m_columns.append(rec.fieldName(i));
        // The first of two equal names wins, as a by-name read expects.
        const QString key = rec.fieldName(i).toLower();
        if (!m_index.contains(key))
            m_index.insert(key, i);
    }
    while (query.next()) {
        QVector<QVariant> row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row.append(query.value(i));
        m_rows.append(std::move(row));
    }
}

int Recordset::indexOf(const QString &name) const
{
    auto it = m_index.constFind(name.toLower());
    if (it != m_index.constEnd())
        return it.value();
    // "Page.PageId" finds the column "PageId".
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        return m_index.value(name.mid(dot + 1).toLower(), -1);
    return -1;
}

bool Recordset::hasColumn(const QString &name) const
{
    return indexOf(name) >= 0;
}

QVariant Recordset::field(const QString &name) const
{
    return field(indexOf(name));
}

QVariant Recordset::field(int column) const
{
    if (m_pos < 0 || m_pos >= m_rows.size() || column < 0 || column >= m_columns.size())
        return {};
    return m_rows.at(m_pos).at(column);
}

QVariant Recordset::value(int row, const QString &name) const
{
    return value(row, indexOf(name));
}
