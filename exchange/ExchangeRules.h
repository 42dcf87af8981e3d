#pragma once

#include <QString>
#include <QVector>

#include <functional>

#include "core/RecordId.h"

// The checks and choices of the export and import dialogs, kept apart from
// the windows so that each rule is tested without one.
namespace ExchangeRules {

struct CabinetEntry
{
    RecordId id = 0;
    QString name;
};

// The entry both dialogs show when no cabinet can be offered; OK is then
// disabled.
inline const QString NoCabinetsEntry = QStringLiteral("No file cabinets to export");

// The cabinets that open without a password prompt (none set, or given in
// this run), by name; a locked cabinet is never offered. Throws AppError.
QVector<CabinetEntry> openCabinets();

// A typed path: trimmed, "~" and "~/..." taken from the home folder.
QString expandPath(const QString &typed);
// The refusal of an export into the data folder.
QString insideProgramMessage(const QString &programFolder);
// The first writable removable volume (mounted under /media or
// /run/media), else the home folder.
QString defaultOutputPath();

// The root a typed import path names: the path itself, or the folder of a
// marker file typed or picked as the path.
QString importRoot(const QString &typed);
// True when the folder holds "vlm.txt" in any letter case.
bool hasMarker(const QString &root);
// The disk count a text gives: its leading number ("." as the decimal
// point), rounded down; 0 for a text that starts with no number.
int diskCountOf(const QString &text);

// The status line: caption, a blank and detail; when fits refuses it,
// caption + " ..." + the longest tail of detail that fits.
QString elideStatus(const QString &caption, const QString &detail, const std::function<bool(const QString &)> &fits);

} // namespace ExchangeRules
