#pragma once

#include <QString>

// What the file import and its type chooser share between calls: the
// chooser's answer, read by the Import Files commands, and the counters the
// cabinet import shows at its end.
struct ExchangeState
{
    // The chooser's answer: "" for every type, the chosen types each followed
    // by a comma ("JPG,PDF,"), or NoFileTypesChosen.
    QString ImportFileTypeList;
    // True when the chooser was left by Cancel.
    bool ImportFileTypesCancelled = false;
    // Files copied into the page store and shortcut page rows inserted; only
    // the cabinet import resets them.
    qint64 ImportedFileCount = 0;
    qint64 ImportedShortcutCount = 0;

    static ExchangeState &instance();
};

// ImportFileTypeList when "Import Selected Files" was pressed with nothing
// selected: the whole list equal to this text imports nothing. It never
// matches a file's extension (a chosen type always ends in a comma), so a
// file named "x.zzzzz" is imported when its type "ZZZZZ" is chosen and only
// then.
inline const QString NoFileTypesChosen = QStringLiteral("zzzzz");
