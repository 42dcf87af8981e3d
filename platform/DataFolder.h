#pragma once

#include <QString>

// The data folder that vlm and vlmtools share: the database, the page and
// thumbnail folders and the user-editable text files. $VLM_DATA_DIR when
// set, else "vellumark" under the user's data location.
namespace DataFolder {

QString path();
// A file or folder inside the data folder.
QString filePath(const QString &name);
// Creates the folder when missing; false with a reason when it cannot, or
// when $VLM_DATA_DIR holds bytes the system's encoding cannot read.
bool ensure(QString *error = nullptr);

// The name an import's staging folder in Pages/ starts with.
inline const QString ImportStagingPrefix = QStringLiteral(".import-");

// Removes the "Pages/.import-*" staging folders that an import killed before
// it ended leaves behind; they only hold copies. Looks at Pages/ alone, so
// it is cheap. Call only while holding "vlm.lock", so no import is running.
// Gives how many folders could not be removed.
int removeImportLeftovers();

} // namespace DataFolder
