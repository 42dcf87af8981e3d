#pragma once

#include <QByteArray>
#include <QString>

#include "core/RecordId.h"

// Writes small stand-in page images and thumbnails into the default page
// store of the data folder, one pair per page id, so that archives made for
// measuring have real files for deletes and link checks to work on.
class PageFileWriter
{
public:
    PageFileWriter();

    // The size in bytes of each page image written (the FileSize to store).
    qint64 pageFileSize() const { return m_page.size(); }

    // Writes the image and the thumbnail of a page at their default paths.
    // False with a reason when a folder or a file cannot be made.
    [[nodiscard]] bool writePage(RecordId pageId, QString *error);
    // The same files under another root, mirroring the Pages/ and Thumbs/
    // layout, for a set of files that is not filed in the database.
    [[nodiscard]] bool writeMirror(const QString &root, RecordId pageId, QString *error);
    // Where writeMirror puts the image (or the thumbnail) of a page.
    static QString mirrorFilePath(const QString &root, bool thumbnail, RecordId pageId);

private:
    bool checkImages(QString *error) const;
    bool writeFile(const QString &path, const QByteArray &bytes, QString *error);
    bool ensureFolder(const QString &folder, QString *error);

    QByteArray m_page;
    QByteArray m_thumb;
    // Folders known to exist: pages arrive in id order, so the bucket
    // changes once every thousand pages and a stat per file is saved.
    QString m_lastPageFolder;
    QString m_lastThumbFolder;
};
