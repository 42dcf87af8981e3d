#pragma once

#include <QStringList>

#include <functional>

// The printers the print dialogs offer, in the system's order (CUPS's
// through Qt). Tests put their own list in place, so that they do not
// depend on the printers of the machine they run on.
namespace PrinterCatalog {

QStringList printerNames();

// Replaces the system's list; an empty function restores it.
void setSource(std::function<QStringList()> source);

} // namespace PrinterCatalog
