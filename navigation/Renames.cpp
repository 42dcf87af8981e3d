#include "navigation/Renames.h"

#include "core/RecordId.h"
#include "store/NameChars.h"
#include "store/NodeKeys.h"
#include "store/RecordRules.h"
#include "store/Records.h"

using namespace NodeKeys;

namespace Renames {

Result renameRecord(const QString &key, const QString &newName)
{
    Result r;
    QString name = newName;
    if (NameChars::HasInvalidNameChar(name)) {
        r.messages << RecordRules::invalidNameMessage();
        name = NameChars::StripInvalidNameChars(name);
    }
    name = name.trimmed();
    if (name.isEmpty())
        return r;
    const std::optional<NodeKey> record = parseKey(key);
    // Only cabinets, drawers, folders and documents have names to change.
    const bool named = record && record->level && *record->level != RecordLevel::Page;
    const RecordLevel kind = named ? *record->level : RecordLevel::Document;
    const RecordId id = named ? record->id : 0;
    if (name.size() > RecordRules::MaxNameLength) {
        // Refused as the dialogs refuse it, never cut short unseen.
        r.tooLong = true;
        r.messages << RecordRules::nameTooLongMessage(kind);
        return r;
    }
    if (!named)
        return r;
    // Drawers and folders are unique within their parent, cabinets across
    // all cabinets; documents may share names.
    bool taken = false;
    if (kind == RecordLevel::Cabinet)
        taken = Records::cabinetNameExists(name, id);
    else if (kind == RecordLevel::Drawer)
        taken = Records::drawerNameExists(Records::GetCabinetIdOfDrawer(id), name, id);
    else if (kind == RecordLevel::Folder)
        taken = Records::folderNameExists(Records::GetDrawerIdOfFolder(id), name, id);
    if (taken) {
        r.taken = true;
        r.messages << RecordRules::duplicateNameMessage(kind, name);
        return r;
    }
    Records::updateName(kind, id, name);
    if (kind == RecordLevel::Document) {
        if (const std::optional<Records::DocumentValues> document = Records::readDocument(id))
            r.date = document->dateOnDocument;
    }
    r.stored = true;
    r.name = name;
    return r;
}

} // namespace Renames
