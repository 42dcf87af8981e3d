#include "platform/ClipboardFiles.h"
#include "tests/support/TestEnvironment.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

using namespace ClipboardFiles;

class ClipboardFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QGuiApplication::clipboard()->clear(); }

    // Long names, spaces and non-Latin characters come back whole.
    void roundTrip()
    {
        const QStringList paths = {
            "/home/ann/My Scans/page 1.jpg",
            QString::fromUtf8("/home/ann/Belege/Rechnung über 5€ 東京.pdf"),
            "/tmp/" + QString(300, QLatin1Char('x')) + ".jpg",
        };
        QVERIFY(CopyFilesToClipboard(paths));
        QStringList back;
        QCOMPARE(GetFilesFromClipboard(back), 3);
        QCOMPARE(back, paths);
        QVERIFY(ClipboardHasFiles());
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasFormat("x-special/gnome-copied-files"));
        QVERIFY(data->text().contains("page 1.jpg"));
    }

    // Empty entries are skipped; a list with no name leaves the clipboard alone.
    void emptyEntries()
    {
        QGuiApplication::clipboard()->setText("keep me");
        QVERIFY(!CopyFilesToClipboard({QString(), QString()}));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep me"));
        QVERIFY(CopyFilesToClipboard({QString(), "/a.jpg", QString()}));
        QStringList back;
        QCOMPARE(GetFilesFromClipboard(back), 1);
    }

    void textOnlyHasNoFiles()
    {
        QGuiApplication::clipboard()->setText("/home/ann/a.jpg");
        QStringList back{"stale"};
        QCOMPARE(GetFilesFromClipboard(back), 0);
        QVERIFY(back.isEmpty());
        QVERIFY(!ClipboardHasFiles());
    }

    void remoteUrlsAreNotFiles()
    {
        auto *data = new QMimeData;
        data->setUrls({QUrl("http://example.org/a.jpg")});
        QGuiApplication::clipboard()->setMimeData(data);
        QVERIFY(!ClipboardHasFiles());
    }

    // A file manager's cut/copy payload without a uri-list.
    void gnomeCopiedFiles()
    {
        QMimeData data;
        data.setData("x-special/gnome-copied-files", "cut\nfile:///tmp/a%20b.jpg\nfile:///tmp/c.pdf\n");
        QCOMPARE(filesFromMimeData(&data), (QStringList{"/tmp/a b.jpg", "/tmp/c.pdf"}));
        QCOMPARE(filesFromMimeData(nullptr), QStringList());
    }
};

VLM_TEST_GUI_MAIN(ClipboardFilesTest)
#include "ClipboardFilesTest.moc"
