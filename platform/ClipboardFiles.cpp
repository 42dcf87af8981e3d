#include "platform/ClipboardFiles.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace {

const QString kGnomeFormat = QStringLiteral("x-special/gnome-copied-files");

QStringList localFiles(const QList<QUrl> &urls)
{
    QStringList out;
    for (const QUrl &u : urls) {
        if (u.isLocalFile() && !u.toLocalFile().isEmpty())
            out.append(u.toLocalFile());
    }
    return out;
}

} // namespace

namespace ClipboardFiles {

QMimeData *mimeDataForFiles(const QStringList &paths)
{
    QList<QUrl> urls;
    QStringList names;
    for (const QString &p : paths) {
        if (p.isEmpty())
            continue;
        urls.append(QUrl::fromLocalFile(p));
        names.append(p);
    }
    auto *data = new QMimeData;
    data->setUrls(urls);
    QByteArray gnome = "copy";
    for (const QUrl &u : urls)
        gnome += '\n' + u.toEncoded();
    data->setData(kGnomeFormat, gnome);
    data->setText(names.join(QLatin1Char('\n')));
    return data;
}

QStringList filesFromMimeData(const QMimeData *data)
{
    if (!data)
        return {};
    if (data->hasUrls()) {
        const QStringList files = localFiles(data->urls());
        if (!files.isEmpty())
            return files;
    }
    if (data->hasFormat(kGnomeFormat)) {
        // "copy" or "cut" first, then one URL per line.
        const QList<QByteArray> lines = data->data(kGnomeFormat).split('\n');
        QList<QUrl> urls;
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            if (!line.isEmpty())
                urls.append(QUrl::fromEncoded(line));
        }
        return localFiles(urls);
    }
    return {};
}

bool CopyFilesToClipboard(const QStringList &paths)
{
    bool any = false;
    for (const QString &p : paths)
        any = any || !p.isEmpty();
    QClipboard *cb = QGuiApplication::clipboard();
    if (!any || !cb)
        return false;
    // setMimeData replaces the clipboard in one step: nothing is lost when
    // building the list fails.
    cb->setMimeData(mimeDataForFiles(paths));
    return true;
}

int GetFilesFromClipboard(QStringList &paths)
{
    QClipboard *cb = QGuiApplication::clipboard();
    paths = cb ? filesFromMimeData(cb->mimeData()) : QStringList();
    return paths.size();
}

bool ClipboardHasFiles()
{
    QStringList scratch;
    return GetFilesFromClipboard(scratch) > 0;
}

} // namespace ClipboardFiles
