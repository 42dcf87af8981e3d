#pragma once

#include <QDate>
#include <QString>

#include "core/RecordId.h"

// The operations through which the record dialogs, the drawer templates,
// the sample cabinets, scanning and importing mirror their database changes
// in the navigation window. The window implements them and installs itself;
// without a window (tests, tools) the calls do nothing.
class NavigationSink
{
public:
    virtual ~NavigationSink() = default;

    // Each Add puts the node under its parent's node and selects it; a
    // parent that is not loaded yet gets nothing (its lazy load shows the
    // row later) and a key already present is updated instead. Only the
    // cabinet variant also lists the new cabinet's drawers.
    virtual void AddCabinetToNavTree(RecordId cabinetId, const QString &name) = 0;
    virtual void AddDrawerToNavTree(RecordId cabinetId, RecordId drawerId, const QString &name) = 0;
    virtual void AddFolderToNavTree(RecordId drawerId, RecordId folderId, const QString &name) = 0;
    virtual void AddDocumentToNavTree(RecordId folderId, RecordId documentId, const QString &name,
                                      const QDate &dateOnDocument) = 0;

    // Each Update sets the text of the tree node, the found node and the
    // level-list item of the record; missing ones are left alone.
    virtual void UpdateCabinetName(RecordId cabinetId, const QString &name) = 0;
    virtual void UpdateDrawerName(RecordId drawerId, const QString &name) = 0;
    virtual void UpdateFolderName(RecordId folderId, const QString &name) = 0;
    virtual void UpdateDocumentName(RecordId documentId, const QString &name,
                                    const QDate &dateOnDocument) = 0;

    // Lists the drawers of a cabinet in the level list.
    virtual void ShowDrawersInListView(RecordId cabinetId) = 0;
    // Lists the pages of a document in the page pane.
    virtual void ShowPagesInListView(RecordId documentId) = 0;
    // Makes the page the only selected item of the page pane; nothing when
    // the pane does not list it.
    virtual void selectPageInListView(RecordId pageId) = 0;

    // The installed window, or a sink that ignores every call.
    static NavigationSink &instance();
    static void setInstance(NavigationSink *sink);
};
