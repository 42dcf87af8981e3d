#pragma once

#include <QDate>
#include <QString>

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
    virtual void AddCabinetToNavTree(int cabinetId, const QString &name) = 0;
    virtual void AddDrawerToNavTree(int cabinetId, int drawerId, const QString &name) = 0;
    virtual void AddFolderToNavTree(int drawerId, int folderId, const QString &name) = 0;
    virtual void AddDocumentToNavTree(int folderId, int documentId, const QString &name,
                                      const QDate &dateOnDocument) = 0;

    // Each Update sets the text of the tree node, the found node and the
    // level-list item of the record; missing ones are left alone.
    virtual void UpdateCabinetName(int cabinetId, const QString &name) = 0;
    virtual void UpdateDrawerName(int drawerId, const QString &name) = 0;
    virtual void UpdateFolderName(int folderId, const QString &name) = 0;
    virtual void UpdateDocumentName(int documentId, const QString &name,
                                    const QDate &dateOnDocument) = 0;

    // Lists the drawers of a cabinet in the level list.
    virtual void ShowDrawersInListView(int cabinetId) = 0;
    // Lists the pages of a document in the page pane.
    virtual void ShowPagesInListView(int documentId) = 0;

    // The installed window, or a sink that ignores every call.
    static NavigationSink &instance();
    static void setInstance(NavigationSink *sink);
};
