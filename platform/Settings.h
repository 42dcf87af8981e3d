#pragma once

#include <QString>

// The per-user settings store shared by vlm and vlmtools: application "VLM",
// section "Settings", every value a string. Stored as an INI file under the
// user's configuration folder. The program reads and writes it through the
// declarations of core/AppSettings, which give each key its default.
namespace Settings {

// The settings application name.
inline const QString AppName = QStringLiteral("VLM");

QString value(const QString &key, const QString &defaultValue = QString());
void setValue(const QString &key, const QString &value);
void remove(const QString &key);
bool contains(const QString &key);
// Removes every key of the section.
void removeAll();
// Writes pending changes to disk.
void sync();
// The INI file's path (for messages and tests).
QString fileName();

} // namespace Settings
