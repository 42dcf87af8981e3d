#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// What a page may own on disk, the one rule every delete, the link repair
// and the export follow. A stored Filename and a cabinet's StoragePath come
// from the database and are not trusted: a page owns only its image and its
// thumbnail, and only inside the data folder's "Pages" or "Thumbs" folder
// or inside its cabinet's storage path, named by an absolute path without
// ".." and judged after resolving links. The data folder's own files (the
// database and its journal, the lock, "vlm.bak", "tempvlm.mdb",
// "empty.mdb" and the text files) are never a page's, wherever a path
// points. Resolves the data folder once, when made.
class PageFileScope
{
public:
    // Where a folder lies with regard to the data folder, as a storage path.
    enum class Place { Allowed, DataFolder, HoldsDataFolder, PagesFolder, ThumbsFolder, HomeFolder };

    PageFileScope();

    // The names of the data folder's own files.
    static const QStringList &dataFolderFileNames();

    // Judges an absolute folder as a cabinet's storage path: the data folder
    // itself, a folder holding it, "Pages" or "Thumbs" or a folder in them,
    // and the home folder itself are no place for pages. A folder that does
    // not exist yet is judged by where it would be made, links resolved.
    Place placeOf(const QString &absoluteFolder) const;

    // The folder, links resolved, in which a cabinet's pages may own files;
    // empty when the storage path gives them none (empty, relative, with
    // "..", missing, or not Allowed above).
    QString storageRoot(const QString &storagePath) const;

    // True when the path, or the file it resolves to, is one of the data
    // folder's own files.
    bool isDataFolderFile(const QString &path) const;

    // True when the file, links resolved, lies in "Pages" or "Thumbs".
    bool inPageFolders(const QString &path) const;

    // Why the file at path is not a page's own (a short reason for the log
    // and the reports), or an empty text when it may be deleted or copied
    // as the page's file. Inside the storage root only a JPEG file counts,
    // as pages are saved there; "Pages" and "Thumbs" also hold the copies
    // of imported non-image files.
    [[nodiscard]] QString refusal(const QString &path, const QString &storagePath) const;

    // Why a shortcut page's target may not be copied, or an empty text when
    // it may. The target is the user's own file and may lie anywhere, but
    // it is named by an absolute path without ".." and is never one of the
    // data folder's own files. Never deleted by the rule above.
    [[nodiscard]] QString shortcutRefusal(const QString &path) const;

private:
    QString m_dataRaw;   // the data folder as named, cleaned
    QString m_data;      // the same, links resolved
    QString m_pages;
    QString m_thumbs;
    QString m_home;
    mutable QHash<QString, QString> m_roots;  // storage path -> root
};
