#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

#include "core/RecordId.h"

namespace NodeKeys {
struct NodeKey;
}

namespace Ui {
class frmNavTree;
}

// Carries out what is dropped in the navigation window: a drawer, folder,
// document or page moved under another node, and files from the file
// manager filed as pages. The rows change first, then the tree and the
// views follow. Messages go through the prompt; a database failure ends
// the drop with its message and keeps what was done before it.
class NavDropEngine : public QObject
{
    Q_OBJECT

public:
    NavDropEngine(Ui::frmNavTree &ui, QObject *parent);
    ~NavDropEngine() override;

    // mode: the control a drag inside the window came from ("T", "L",
    // "L2"), or "W" for a file from the file manager (path). A file dropped
    // on a folder makes a new document first, and targetKey becomes that
    // document's key, so further files of the same drop follow it. False
    // when a database failure ended it (already reported).
    bool DropOnNavNode(const QString &mode, const QString &draggedKey, QString &targetKey, const QString &path);

    // Files dropped on a tree node: the target is read once, so files
    // dropped on a folder fill one new document.
    void dropFilesOnTree(const QStringList &files, const QString &nodeKey);
    // Files dropped on a list item: each file dropped on a folder item
    // makes a document of its own.
    void dropFilesOnList(const QStringList &files, const QString &itemKey);
    // Files dropped on the page pane go to the document it shows.
    void dropFilesOnPane(const QStringList &files);
    // The key the page pane stands for: "DOC" or, for search results, "FDC"
    // with the document's id; empty while it shows none.
    QString paneKey() const;

Q_SIGNALS:
    // Records below the node were added or moved away: a list showing it
    // lists it again.
    void contentsChanged(const QString &key);
    // Files went into a document node of the tree: its pages are to be
    // shown.
    void documentFilled(const QString &key);

private:
    // Moves a drawer, folder or document (taken apart and as its key) to
    // its new parent.
    bool moveContainer(const NodeKeys::NodeKey &dragged, const QString &draggedKey, const NodeKeys::NodeKey &target,
                       const QString &targetKey);
    bool movePage(RecordId pageId, RecordId documentId);
    bool addFile(QString &targetKey, const QString &path);
    // The files of one drop, in order, onto key, with the progress window
    // and its Cancel, honoured between files. With sameTarget the files
    // after the first follow a folder's new document.
    void dropFiles(const QStringList &files, const QString &key, bool sameTarget,
                   const std::function<void()> &afterEach);
    // Files the drop could not take, told in one message at the end.
    void reportSkipped();

    Ui::frmNavTree &m_ui;
    QStringList m_skipped;
    QStringList m_notes;     // files added with a warning, reported with them
    int m_added = 0;         // pages the drop has added so far
};
