#include "NameOrder.h"

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

} // namespace NameOrder
