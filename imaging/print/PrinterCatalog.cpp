#include "imaging/print/PrinterCatalog.h"

#include <QPrinterInfo>

namespace PrinterCatalog {

namespace {

std::function<QStringList()> &source()
{
    static std::function<QStringList()> s;
    return s;
}

} // namespace

QStringList printerNames()
{
    if (source())
        return source()();
    return QPrinterInfo::availablePrinterNames();
}

void setSource(std::function<QStringList()> newSource)
{
    source() = std::move(newSource);
}

} // namespace PrinterCatalog
