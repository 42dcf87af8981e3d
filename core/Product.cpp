#include "core/Product.h"

namespace Product {

QString GetAppTitle()
{
    return QStringLiteral("Vellumark");
}

} // namespace Product
