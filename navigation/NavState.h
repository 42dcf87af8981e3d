#pragma once

#include <QString>

#include "core/AppSettings.h"
#include "core/RecordId.h"

// What the menu and popup commands apply to: at most one of the four item
// ids is set (-1 for none), with its node text and, below a cabinet, the id
// of its parent.
struct CurrentPosition
{
    RecordId CurrentCabinetId = -1;
    RecordId CurrentDrawerId = -1;
    RecordId CurrentFolderId = -1;
    RecordId CurrentDocumentId = -1;
    RecordId CurrentParentId = -1;
    QString CurrentCabinetName;
    QString CurrentDrawerName;
    QString CurrentFolderName;
    QString CurrentDocumentName;

    void reset() { *this = CurrentPosition(); }
    // Sets the position from a node's key, text and parent key; keys of
    // other types leave it at none.
    void setFromNode(const QString &key, const QString &text, const QString &parentKey);
};

// Values read once at start-up from the settings, kept for the run.
struct StartupSettings
{
    int PagePaneDisplayCount = AppSettings::DisplayCount.defaultValue;
    int ThumbnailSide = 100;
    QString PagePaneViewMode = QString::fromLatin1(AppSettings::ThumbView.defaultValue);

    // Reads AppSettings::ZoomDefault, DisplayCount and ThumbView.
    static StartupSettings read();
};

// The run's shared navigation state.
struct NavState
{
    CurrentPosition position;
    StartupSettings settings;

    static NavState &instance();
};
