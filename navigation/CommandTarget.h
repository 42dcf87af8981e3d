#pragma once

#include <QString>

#include "core/RecordId.h"

// Which record a popup or key command of the navigation window works on.
//
// A command raised from a popup acts on the item the popup was opened for;
// one raised from the menu bar or a key acts on the current position when
// it names a record of the command's kind, else on the selection of the
// control the last key or mouse release came from.
struct CommandTarget
{
    QString key;     // "CAB12" ...; empty for none
    QString name;    // the node or item text
    QString source;  // "T" tree, "L" level list, "L2" page pane

    bool isValid() const { return !key.isEmpty(); }
    // The key's id as NodeKeys reads it; 0, which no record has, for a key
    // that is none (its prefix() matches no kind, so the commands refuse it
    // before they ask for its id).
    RecordId id() const;
    // The key's type as NodeKeys reads it ("CAB" ...); empty for a key that
    // is none.
    QString prefix() const;
};

// The state a command's target is worked out from.
struct TargetInputs
{
    RecordId currentId = -1; // the current-position id of the command's kind
    QString currentKey;      // its key ("DRW7"), when set
    QString currentName;
    QString popupSource;     // "T", "L" or "L2"
    QString treeKey;         // the tree's selected node
    QString treeText;
    QString listKey;         // the level list's selected item
    QString listText;
};

namespace CommandTargets {

// The current position, else the tree when the source is "T", else the
// list (the deletes, Properties and Rename of every level).
CommandTarget listUnlessTree(const TargetInputs &in);
// The current position, else the list when the source is "L", else the
// tree (New Drawer of the cabinet popup, New Document of the folder popup).
CommandTarget treeUnlessList(const TargetInputs &in);

} // namespace CommandTargets
