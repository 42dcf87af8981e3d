#include "Renames.h"

#include "Common.h"
#include "DbConnection.h"
#include "NavKeys.h"
#include "RecordId.h"
#include "RecordRules.h"
#include "Records.h"

using namespace NavKeys;
using RecordRules::RecordKind;

namespace Renames {

Result RenameRecord(const QString &key, const QString &newName)
{
    Result r;
    QString name = newName;
    if (Common::HasInvalidNameChar(name)) {
        r.messages << RecordRules::InvalidNameMessage();
        name = Common::StripInvalidNameChars(name);
    }
    name = name.trimmed();
    if (name.isEmpty())
        return r;
    const QString prefix = prefixOf(key);
    const RecordId id = idOf(key);
    if (name.size() > RecordRules::MaxNameLength) {
        // Refused as the dialogs refuse it, never cut short unseen.
        const RecordKind longKind = prefix == Cabinet ? RecordKind::Cabinet
                                    : prefix == Drawer ? RecordKind::Drawer
                                    : prefix == Folder ? RecordKind::Folder
                                                       : RecordKind::Document;
        r.tooLong = true;
        r.messages << RecordRules::NameTooLongMessage(longKind);
        return r;
    }
    // Drawers and folders are unique within their parent, cabinets across
    // all cabinets; documents may share names.
    bool taken = false;
    RecordKind kind = RecordKind::Document;
    if (prefix == Cabinet) {
        kind = RecordKind::Cabinet;
        taken = Records::CabinetNameExists(name, id);
    } else if (prefix == Drawer) {
        kind = RecordKind::Drawer;
        taken = Records::DrawerNameExists(Records::GetCabinetIdOfDrawer(id), name, id);
    } else if (prefix == Folder) {
        kind = RecordKind::Folder;
        taken = Records::FolderNameExists(Records::GetDrawerIdOfFolder(id), name, id);
    } else if (prefix != Document) {
        return r;
    }
    if (taken) {
        r.taken = true;
        r.messages << RecordRules::DuplicateNameMessage(kind, name);
        return r;
    }
    // RecordKind and Records::Table list the levels in the same order.
    Records::UpdateName(Records::Table(int(kind)), id, name);
    if (kind == RecordKind::Document)
        r.date = DateFromValue(DbConnection::QueryValue(
            QStringLiteral("SELECT DateOnDocument FROM Document WHERE DocumentId = ?"), {id}));
    r.stored = true;
    r.name = name;
    return r;
}

} // namespace Renames
