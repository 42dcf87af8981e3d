#include "navigation/NavRules.h"

#include "core/RecordId.h"
#include "store/NodeKeys.h"
#include "store/Records.h"

#include <Qt>

using namespace NodeKeys;

namespace NavRules {

bool isFoundKey(const QString &key)
{
    const QString p = typeOf(key);
    return p == FoundCabinet || p == FoundDrawer || p == FoundFolder || p == FoundDocument;
}

TypeMenu typeMenuOf(const QString &key)
{
    if (key == Root)
        return TypeMenu::Root;
    if (key == RootFound)
        return TypeMenu::None;
    const QString p = typeOf(key);
    if (p == Cabinet)
        return TypeMenu::Cabinet;
    if (p == Drawer)
        return TypeMenu::Drawer;
    if (p == Folder)
        return TypeMenu::Folder;
    if (p == Document)
        return TypeMenu::Document;
    return TypeMenu::None;
}

namespace {

// Shift changes nothing: Shift+Delete deletes, as Delete does.
bool plainKey(int modifiers)
{
    return (modifiers & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == Qt::NoModifier;
}

} // namespace

namespace {

// Delete does the same in the tree and the list: delete the record.
KeyCommand deleteCommandOf(const QString &prefix)
{
    if (prefix == Cabinet)
        return KeyCommand::CabinetDelete;
    if (prefix == Drawer)
        return KeyCommand::DrawerDelete;
    if (prefix == Folder)
        return KeyCommand::FolderDelete;
    if (prefix == Document)
        return KeyCommand::DocumentDelete;
    return KeyCommand::None;
}

} // namespace

KeyCommand treeKeyCommand(int key, int modifiers, const QString &nodeKey)
{
    if (!plainKey(modifiers))
        return KeyCommand::None;
    if (key == Qt::Key_F5)
        return KeyCommand::Refresh;
    const QString p = typeOf(nodeKey);
    if (key == Qt::Key_Insert) {
        if (nodeKey == Root)
            return KeyCommand::NewCabinet;
        if (p == Cabinet)
            return KeyCommand::CabinetNewDrawer;
        if (p == Drawer)
            return KeyCommand::DrawerNewFolder;
        if (p == Folder)
            return KeyCommand::FolderNewDocument;
        // A document has no children: a new one beside it.
        if (p == Document)
            return KeyCommand::DocumentNewDocument;
    } else if (key == Qt::Key_Delete) {
        return deleteCommandOf(p);
    }
    return KeyCommand::None;
}

KeyCommand listKeyCommand(int key, int modifiers, const QString &itemKey)
{
    if (!plainKey(modifiers))
        return KeyCommand::None;
    const QString p = typeOf(itemKey);
    if (key == Qt::Key_Insert) {
        if (p == Cabinet)
            return KeyCommand::NewCabinet;
        if (p == Drawer)
            return KeyCommand::DrawerNewDrawer;
        if (p == Folder)
            return KeyCommand::FolderNewFolder;
        if (p == Document)
            return KeyCommand::DocumentScanPage;
    } else if (key == Qt::Key_Delete) {
        return deleteCommandOf(p);
    }
    return KeyCommand::None;
}

RestorePlan restorePlan(const QString &key)
{
    RestorePlan plan;
    const std::optional<NodeKey> node = parseKey(key);
    if (!node)
        return plan;
    const QString &prefix = node->type;
    const RecordId id = node->id;
    RecordId drawer = 0;
    RecordId folder = 0;
    if (prefix == Cabinet) {
        plan.cabinetId = id;
    } else if (prefix == Drawer) {
        drawer = id;
    } else if (prefix == Folder) {
        folder = id;
        drawer = Records::GetDrawerIdOfFolder(folder);
    } else if (prefix == Document) {
        folder = Records::GetFolderIdOfDocument(id);
        drawer = Records::GetDrawerIdOfFolder(folder);
    } else {
        return plan;
    }
    plan.menu = typeMenuOf(key);
    if (prefix != Cabinet)
        plan.cabinetId = Records::GetCabinetIdOfDrawer(drawer);
    plan.chain << NavNodeKey(Cabinet, plan.cabinetId);
    if (drawer)
        plan.chain << NavNodeKey(Drawer, drawer);
    if (folder)
        plan.chain << NavNodeKey(Folder, folder);
    if (prefix == Document)
        plan.chain << key;
    return plan;
}

RecordId cabinetOf(const QString &key)
{
    const std::optional<NodeKey> node = parseKey(key);
    if (!node)
        return 0;
    const QString &prefix = node->type;
    const RecordId id = node->id;
    if (prefix == Cabinet)
        return id;
    if (prefix == Drawer)
        return Records::GetCabinetIdOfDrawer(id);
    if (prefix == Folder)
        return Records::GetCabinetIdOfDrawer(Records::GetDrawerIdOfFolder(id));
    if (prefix == Document)
        return Records::getCabinetIdOfDocument(id);
    return 0;
}

bool needsSampleCabinet(int cabinetCount)
{
    return cabinetCount == 0;
}

QString sampleCabinetName()
{
    return QStringLiteral("Generic File Cabinet");
}

} // namespace NavRules
