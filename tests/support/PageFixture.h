#pragma once

#include "platform/DbConnection.h"
#include "core/RecordId.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFileInfo>

// Page rows with their files, written past the importers and exporters
// under test.
namespace PageFixture {

// A page in the default store holding bytes, numbered number.
inline RecordId storedPage(RecordId documentId, int number, const QByteArray &bytes, const QString &name = "scan.jpg")
{
    Pages::NewPage page;
    page.documentId = documentId;
    page.name = name;
    page.pageNumber = number;
    page.fileSize = bytes.size();
    page.filetype = QStringLiteral("JPG");
    const RecordId pageId = Pages::insertPage(page);
    const QString path = PagePaths::GetDefaultPageFilePath(pageId);
    QDir().mkpath(QFileInfo(path).absolutePath());
    TestFiles::write(path, bytes);
    return pageId;
}

// A shortcut page to the file at path, which is written with bytes.
inline RecordId shortcutPage(RecordId documentId, const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    TestFiles::write(path, bytes);
    Pages::NewPage page;
    page.documentId = documentId;
    page.name = QFileInfo(path).fileName();
    page.fileSize = bytes.size();
    page.filetype = QFileInfo(path).suffix().toLower();
    page.filename = path;
    page.shortcut = true;
    return Pages::insertPage(page);
}

// The id the next new page gets. A run killed before its rows committed
// gave its ids back, and its files still lie at their paths.
inline RecordId nextPageId()
{
    return DbConnection::queryValue(
               "SELECT COALESCE((SELECT seq FROM sqlite_sequence WHERE name = 'Page'), 0) + 1")
        .toLongLong();
}

// The bytes of a file a killed run left behind.
inline const QByteArray LeftoverBytes = QByteArrayLiteral("left by a run killed before it committed");

// Writes LeftoverBytes at path, making its folder.
inline void leftover(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    TestFiles::write(path, LeftoverBytes);
}

// Leftovers at the default image and thumbnail paths of pageId.
inline void leftoverPageFiles(RecordId pageId)
{
    leftover(PagePaths::GetDefaultPageFilePath(pageId));
    leftover(PagePaths::GetDefaultThumbFilePath(pageId));
}

// A page of the page store (see RecordFixture::linkedPage) with its
// thumbnail on disk, and its image too when withImage.
inline RecordId pageWithFiles(RecordId documentId, bool withImage = true)
{
    const RecordId id = RecordFixture::linkedPage(documentId);
    PagePaths::MakePath(PagePaths::GetDefaultPageFolder(id));
    PagePaths::MakePath(PagePaths::GetDefaultThumbFolder(id));
    if (withImage)
        TestFiles::write(PagePaths::GetDefaultPageFilePath(id), "jpeg");
    TestFiles::write(PagePaths::GetDefaultThumbFilePath(id), "thumb");
    return id;
}

} // namespace PageFixture
