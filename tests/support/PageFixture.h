#pragma once

#include "PagePaths.h"
#include "Pages.h"
#include "RecordId.h"
#include "TestFiles.h"

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
    const RecordId pageId = Pages::InsertPage(page);
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
    return Pages::InsertPage(page);
}

} // namespace PageFixture
