#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

#include "core/RecordId.h"

namespace DbConnection {
class Transaction;
}

// The one place where a page's files are written: a new page is born (its
// id, number and row, its image put in place: encoded bytes written, a file
// copied, or a copy staged on the page store's disk renamed), and an edited
// page's image and thumbnail are written anew (rewrite). Here too: the
// thumbnail when the caller has its bytes, the sync of every placed file and
// of the folders it went into before the rows commit, the removal of what
// was placed when they do not, and the new-page notice
// (Changes::pageAdded) once they have.
//
// A new page never overwrites and never adopts a file it did not write: an
// id whose paths (its image and thumbnail in the page store, and its own
// file and thumbnail where it has another place) are taken, by a file, a
// link or anything else, is passed over, and the row goes in with the next
// id whose paths are free; the file stays for link repair to rescue. Only a
// file the user named, and was asked about, is replaced.
//
// No page file is written into a folder whose disk is not there
// (FolderPresence): the page store, a cabinet's own storage folder, or the
// folder of a name the user typed. add() and rewrite() refuse with a
// message naming the folder, and a cabinet whose storage folder is not
// there takes no new page at all.
//
// Use: make a PageBirth (it begins a transaction; made while another
// PageBirth is open it is a savepoint of that one and hands its pages to it
// when it commits), write the other rows the change needs (a new document),
// add() each page, commit(). Destroyed uncommitted, it rolls back and
// removes every file it placed. Everything runs on the window's thread;
// the syncs run on worker threads while its events go on.
class PageBirth
{
public:
    // A page to be born.
    struct NewPage
    {
        RecordId documentId = 0;
        QString name;                    // the page's Name; "" for Null
        // None: after the document's last page (a shortcut page is 0).
        std::optional<int> pageNumber;
        QString filetype;                // "" for Null
        // The FileSize column; -1: the size of the placed file (of the
        // user's file for a shortcut).
        qint64 fileSize = -1;
        QDateTime scanDate;              // invalid: now
        // ShortcutYN "N" rather than Null, as a file import writes it.
        bool markedStored = false;

        // A shortcut page to the user's file where it lies: nothing is
        // placed. Set instead of an image.
        QString shortcutTo;

        // The image, exactly one of these unless shortcutTo is set.
        QByteArray bytes;                // encoded bytes, written as the file
        QString copyOf;                  // a file copied byte for byte
        QString staged;                  // a copy on the store's disk, renamed into place
        // Link repair: a file of the page store that no row names. Filed
        // where it lies as page rescueId (the id its name gives) when that
        // id has no row; else renamed to the new page's path, and renamed
        // back when the rows do not commit. Never removed.
        QString rescue;
        RecordId rescueId = 0;

        // The file's extension in the page store. Another than ".jpg" keeps
        // a copied file's kind: the page is then a shortcut to its copy
        // (number 0), as a tree import files what is not an image.
        QString extension = QStringLiteral(".jpg");
        // Where the image goes instead of the page store: "<folder>/<id>.jpg"
        // in a cabinet's own storage folder, or a path the user typed and
        // was asked about, which is replaced when it exists. Empty: the
        // page store.
        QString nameByIdIn;
        QString userNamedFile;

        // The thumbnail's JPEG bytes when the caller has them; else the
        // thumbnail is made later (the page pane makes a missing one).
        QByteArray thumbnail;
        // Announce Changes::pageAdded after the commit (the folder's
        // new-page notice); a file import sends none.
        bool notice = true;
        // A page in the page store keeps the empty text as its Filename
        // rather than Null, as the page save writes it.
        bool emptyFilenameAsText = false;
    };

    // A page that add() placed.
    struct Born
    {
        RecordId pageId = 0;
        RecordId documentId = 0;
        int pageNumber = 0;
        QString imagePath;        // the placed image; "" for a shortcut to the user's file
        QString thumbPath;        // "" when the page has no thumbnail path
        bool thumbnailWritten = false;
        bool notice = true;
    };

    PageBirth();
    // Uncommitted: rolls back and removes what it placed.
    ~PageBirth();
    PageBirth(const PageBirth &) = delete;
    PageBirth &operator=(const PageBirth &) = delete;

    // Makes the page's row and puts its files in place, as a savepoint of
    // its own: when it throws, that page left no row and no file, and the
    // pages added before stay. Refused: a document that does not exist
    // (ErrorCode::RecordMissing), a cabinet whose storage folder is not
    // available (ErrorCode::StorageUnavailable), no image or two, and a
    // file that cannot be read or placed (errno). Throws AppError.
    // failedStep (when given) tells where a failure came: the checks of the
    // target, putting the file in place, or the row.
    enum class Step { Checks, File, Row };
    Born add(const NewPage &page, Step *failedStep = nullptr);

    // An existing page's image written anew: the viewer's edit save.
    struct Rewrite
    {
        RecordId pageId = 0;
        // The Filename to store ("" for the page store), and whether the
        // page goes to its default path whatever the name (an automatic
        // name).
        QString filename;
        bool defaultPath = false;
        // The new image, exactly one of: its encoded bytes, or the file it
        // was loaded from when it was not changed, whose bytes are kept as
        // they are (nothing written when that is the page's own file).
        QByteArray bytes;
        QString unchangedFile;
        // The thumbnail's JPEG bytes, asked for only when one is written:
        // always with new bytes, else where the page has none or its file
        // was another.
        std::function<QByteArray()> thumbnail;
    };
    // Writes the page's image and thumbnail at the paths its Filename gives
    // and updates its Filename and FileSize, within this change: the image
    // is synced before the rows commit, and a file made at a new path goes
    // when they do not (a file replaced stays replaced: the new image is
    // whole). Refused: a page that does not exist (RecordMissing), a
    // shortcut page, whose file is the user's own, and a folder that is not
    // there (StorageUnavailable); nothing is written then. The page's
    // image and thumbnail paths. Throws AppError.
    Born rewrite(const Rewrite &page);

    // Puts a staged copy at an existing page's image path in the page store
    // when nothing stands there (a re-import finding the page's image gone),
    // synced and taken back like a new page's file. The path placed, or ""
    // when something stands there (the staged copy is then removed). Throws
    // AppError.
    QString restoreImage(RecordId pageId, const QString &staged);

    // Syncs the placed files and their folders (on worker threads, the
    // caller's events going on), commits, and then announces the notices;
    // nested, hands all of it to the enclosing PageBirth instead. On
    // failure nothing of it stays (rows rolled back, files removed) and
    // AppError says why.
    void commit();

    // The pages added so far (those of nested PageBirths once they
    // committed), in order.
    const QVector<Born> &born() const { return m_born; }

    // Why a cabinet takes no new page, or nothing when it does: its own
    // storage folder is not there (FolderPresence), which a cabinet without
    // one never is. Throws AppError.
    static std::optional<QString> storageRefusal(RecordId cabinetId);
    // The same before a command starts that would bring pages into the
    // cabinet of a folder or document, and, for a cabinet without a storage
    // folder of its own, whether the page store is there: throws AppError
    // (ErrorCode::StorageUnavailable) with the message when refused.
    static void requireStorageOfFolder(RecordId folderId);
    static void requireStorageOfDocument(RecordId documentId);

    // True when any of the paths a new page with this id would take is
    // taken: the image and thumbnail in the page store, and the own file
    // and thumbnail given. Throws AppError when a folder cannot be looked
    // into.
    static bool isTaken(RecordId pageId, const QString &ownImage = QString(), const QString &ownThumb = QString());

    // Test hook: told of every file and folder synced ("sync <path>") and of
    // each commit ("commit"), in order, while set.
    using Trace = std::function<void(const QString &event)>;
    static void setTrace(Trace trace);

private:
    // A file this change put in place, and how to take it back: removed, or
    // (a rescued file) renamed back to where it lay.
    struct Placed
    {
        QString path;
        QString backTo;
    };
    void placeImage(const NewPage &page, const QString &path);
    void removePlaced();
    void takeOver(PageBirth &child);
    std::optional<QString> refusalFor(RecordId documentId);
    std::optional<QString> folderRefusal(const QString &imagePath, RecordId documentId);
    std::optional<QString> known(const QString &key, const std::function<std::optional<QString>()> &judge);

    std::unique_ptr<DbConnection::Transaction> m_tx;
    PageBirth *m_parent = nullptr;
    QVector<Born> m_born;
    QVector<Placed> m_placedUndo;  // taken back when not committed
    QStringList m_freeThumbs;      // thumbnail paths free at birth, cleared when not committed
    QStringList m_toSync;      // files to sync before the commit
    // Answers of storageRefusal and FolderPresence, by cabinet ("c<id>")
    // and by folder ("f<path>"): looked for once a change.
    QHash<QString, std::optional<QString>> m_refusals;
    bool m_done = false;
};
