#pragma once

#include <QString>

// The per-user settings store shared by vlm and vlmtools: application "VLM",
// section "Settings", every value a string read with a default where it is
// used. Stored as an INI file under the user's configuration folder.
namespace Settings {

// The settings application name.
inline const QString AppName = QStringLiteral("VLM");

QString value(const QString &key, const QString &defaultValue = QString());
void setValue(const QString &key, const QString &value);
void remove(const QString &key);
bool contains(const QString &key);
// A numeric setting rounded to a whole number, halves to even ("49.5" is 50);
// the default when missing, not a number or out of int's range.
int intValue(const QString &key, int defaultValue);
// Removes every key of the section.
void removeAll();
// Writes pending changes to disk.
void sync();
// The INI file's path (for messages and tests).
QString fileName();

} // namespace Settings
