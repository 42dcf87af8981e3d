#include "navigation/NavState.h"

#include "core/AppSettings.h"
#include "core/RecordId.h"
#include "core/RunState.h"
#include "navigation/NavKeys.h"

void CurrentPosition::setFromNode(const QString &key, const QString &text, const QString &parentKey)
{
    reset();
    const QString prefix = NavKeys::prefixOf(key);
    const RecordId id = NavKeys::idOf(key);
    const RecordId parent = NavKeys::idOf(parentKey);
    if (prefix == NavKeys::Cabinet) {
        CurrentCabinetId = id;
        CurrentCabinetName = text;
    } else if (prefix == NavKeys::Drawer) {
        CurrentDrawerId = id;
        CurrentDrawerName = text;
        CurrentParentId = parent;
    } else if (prefix == NavKeys::Folder) {
        CurrentFolderId = id;
        CurrentFolderName = text;
        CurrentParentId = parent;
    } else if (prefix == NavKeys::Document) {
        CurrentDocumentId = id;
        CurrentDocumentName = text;
        CurrentParentId = parent;
    }
}

StartupSettings StartupSettings::read()
{
    StartupSettings s;
    s.ZoomMode = AppSettings::ZoomDefault.read();
    s.PagePaneDisplayCount = AppSettings::DisplayCount.read();
    s.ThumbnailSide = 100;
    s.PagePaneViewMode = AppSettings::ThumbView.read();
    return s;
}

NavState &NavState::instance()
{
    static NavState s;
    // A new data folder starts from nothing: no position, the settings'
    // defaults until they are read again.
    [[maybe_unused]] static const bool registered = (RunState::AddReset([] { s = NavState(); }), true);
    return s;
}
