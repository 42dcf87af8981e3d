#include "navigation/NameOrder.h"

namespace NameOrder {

const QCollator &collator()
{
    static const QCollator c = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    return c;
}

int compare(const QString &a, const QString &b)
{
    return collator().compare(a.toCaseFolded(), b.toCaseFolded());
}

QCollatorSortKey sortKey(const QString &text)
{
    return collator().sortKey(text.toCaseFolded());
}

} // namespace NameOrder
