#pragma once

#include <QString>
#include <QStringList>

#include "core/RecordId.h"

// What the search dialog's cabinet, drawer and folder lists offer, and the
// chosen names turned into the ids the search uses. Throws AppError.
namespace FindLocations {

inline const QString AllText = QStringLiteral("(All)");
inline const QString NoCabinetsText = QStringLiteral("No file cabinets to find");

struct Choices
{
    QStringList items;  // the first one is chosen
    bool enabled = true;
};

// "(All)" and the cabinets open in this run, by name; "No file cabinets to
// find", disabled, when there is no cabinet at all.
Choices cabinetChoices();
// "(All)" and the drawers of the cabinet (the folders of the drawer), by
// name; "(All)" alone, disabled, when there are none.
Choices drawerChoices(RecordId cabinetId);
Choices folderChoices(RecordId drawerId);

// The id of the named record; 0 for an empty name, "(All)" or a name with
// no row (a record deleted or renamed since it was remembered).
RecordId GetCabinetIdByName(const QString &name);
RecordId GetDrawerIdByName(RecordId cabinetId, const QString &name);
RecordId GetFolderIdByName(RecordId drawerId, const QString &name);

} // namespace FindLocations
