#pragma once

#include <QString>

// The image keys of tree nodes and list items.
namespace NavIconKeys {

inline const QString Root = QStringLiteral("root");
inline const QString Cabinet = QStringLiteral("cabinet");
inline const QString Locked = QStringLiteral("locked");
inline const QString Drawer = QStringLiteral("drawer");
inline const QString Folder = QStringLiteral("folder");
inline const QString Document = QStringLiteral("document");
inline const QString Found = QStringLiteral("found");
inline const QString Page = QStringLiteral("page");

} // namespace NavIconKeys
