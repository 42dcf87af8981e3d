#pragma once

#include "store/Deletes.h"

#include "core/RecordId.h"
#include "navigation/CommandTarget.h"

class PagePane;
class QWidget;

// What the command classes of the navigation window may use of it: the
// record a command works on, the parent of the dialogs it opens, renaming
// in place, the focus, and the removal of a deleted record from the views.
class NavCommandHost
{
public:
    virtual ~NavCommandHost() = default;

    // The record a command of that kind ("CAB", "DRW", ...) works on: the
    // popup's or key's own target when there is one, else the current
    // position, else the selection of the tree ("T") or the list. With
    // treeUnlessList the tree is taken unless the source is the list.
    virtual CommandTarget commandTarget(const QString &kind, bool treeUnlessList) const = 0;
    virtual QWidget *dialogParent() const = 0;
    // Starts editing the target's name in the tree or the list.
    virtual void startRename(const CommandTarget &target) = 0;
    // Gives the focus back to the control the command came from.
    virtual void returnFocus() = 0;
    // Gives the focus to the tree.
    virtual void focusTree() = 0;
    // Takes a record that was deleted, and its search-result copy, out of
    // the tree and the list.
    virtual void removeDeleted(const QString &key, const QString &foundKey) = 0;
    // Shows again what lies below the record when the list shows it.
    virtual void contentsChanged(const QString &key) = 0;
    // Shows again whatever the list or the page pane shows: an import may
    // have added to any record.
    virtual void shownContentsChanged() = 0;
    // The page pane, with the document it shows and its selected pages.
    virtual PagePane *pagePane() const = 0;
};

// Steps that commands of several levels share.
namespace NavCommandSteps {

// Asks "Delete 'Bills'?" with Yes, No and Cancel; true only for Yes.
bool confirmDelete(const QString &name);
// Import Files of a folder or a document: asks for the directory and the
// file types, imports them with the progress window, then shows the new
// documents or pages.
void importFilesInto(NavCommandHost &host, const QString &kind);
// Tells the user which files a delete left in place (outside the page
// folders, or named by another page); says nothing when it kept none.
void reportKeptFiles(const Deletes::DeleteResult &result);
// True when the target is of that kind; else says what to click on.
bool targetIsOfKind(const CommandTarget &target, const QString &kind);
// Whether a command may add to, change or show the record of the key: the
// row is still there (else the user is told) and its cabinet is open,
// after its password when it has one. Throws AppError.
bool mayWorkIn(const QString &key, const QString &name);
// mayWorkIn for a command's target, a database failure shown and taken as No.
bool mayWorkOn(const CommandTarget &target);
// Opens a record dialog on the command's target of that kind once the
// target may be worked in, then returns the focus.
void openDialogOnTarget(NavCommandHost &host, const QString &kind, bool treeUnlessList,
                        bool (*dialog)(QWidget *, RecordId));

} // namespace NavCommandSteps
