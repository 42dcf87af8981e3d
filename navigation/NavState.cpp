#include "navigation/NavState.h"

#include "core/AppSettings.h"
#include "core/RecordId.h"
#include "core/RunState.h"
#include "store/NodeKeys.h"

void CurrentPosition::setFromNode(const QString &key, const QString &text, const QString &parentKey)
{
    reset();
    // A key that is no record's sets no position; a parent that is no
    // record's (a root) gives 0.
    const std::optional<NodeKeys::NodeKey> node = NodeKeys::parseKey(key);
    if (!node || !node->level)
        return;
    const QString &prefix = node->type;
    const RecordId id = node->id;
    const std::optional<NodeKeys::NodeKey> parentNode = NodeKeys::parseKey(parentKey);
    const RecordId parent = parentNode && parentNode->level ? parentNode->id : 0;
    if (prefix == NodeKeys::Cabinet) {
        CurrentCabinetId = id;
        CurrentCabinetName = text;
    } else if (prefix == NodeKeys::Drawer) {
        CurrentDrawerId = id;
        CurrentDrawerName = text;
        CurrentParentId = parent;
    } else if (prefix == NodeKeys::Folder) {
        CurrentFolderId = id;
        CurrentFolderName = text;
        CurrentParentId = parent;
    } else if (prefix == NodeKeys::Document) {
        CurrentDocumentId = id;
        CurrentDocumentName = text;
        CurrentParentId = parent;
    }
}

StartupSettings StartupSettings::read()
{
    StartupSettings s;
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
    [[maybe_unused]] static const bool registered = (RunState::addReset([] { s = NavState(); }), true);
    return s;
}
