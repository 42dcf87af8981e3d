#pragma once

#include <QString>
#include <QUrl>

// What the program asks of the desktop: open a web address in the browser,
// or a file with the program the desktop associates with it. The running
// program uses the desktop's services; tests install a recording one.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // False when nothing could be started.
    virtual bool openUrl(const QUrl &url) = 0;
    bool openFile(const QString &path) { return openUrl(QUrl::fromLocalFile(path)); }

    // The installed desktop, else the real one.
    static Desktop &instance();
    static void setInstance(Desktop *desktop);
};
