#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/ui/frmAbout.h"
#include "store/ui/frmHelp.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

namespace {

// Topic 1 has two pages, topic 2 none, topic 3 one; "&" shows as written.
const QByteArray kHelp =
    "' the test help\r\n"
    "[TOC]\r\n"
    "1=Getting started\r\n"
    "2=Nothing here\r\n"
    "3=Print & Mail\r\n"
    "\r\n"
    "[topic1,page1]\r\n"
    "First page.\r\n"
    "\r\n"
    "[topic1,page2]\r\n"
    "Second page.\r\n"
    "[topic3,page1]\r\n"
    "Printing & mail.\r\n";

void writeHelp(const QByteArray &bytes)
{
    QFile file(DataFolder::filePath(QStringLiteral("vlmhelp.txt")));
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

template<typename T>
T *child(QWidget *window, const QString &name)
{
    T *w = window->findChild<T *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

QLabel *entry(QWidget *help, int index)
{
    return child<QLabel>(help, QStringLiteral("lblLine_%1").arg(index));
}

QString title(QWidget *help)
{
    return child<QLabel>(help, QStringLiteral("lblTitle"))->text();
}

QString pageText(QWidget *help)
{
    return child<QLabel>(help, QStringLiteral("lblPage"))->text();
}

bool shown(QWidget *help, const char *name)
{
    return !child<QWidget>(help, QLatin1String(name))->isHidden();
}

void click(QWidget *help, const char *button)
{
    QTest::mouseClick(child<QPushButton>(help, QLatin1String(button)), Qt::LeftButton);
}

// The texts of the entry labels that show, "" for a shown empty one.
QStringList shownEntries(QWidget *help)
{
    QStringList texts;
    for (int i = 0; i < 9; ++i) {
        if (!entry(help, i)->isHidden())
            texts << entry(help, i)->text();
    }
    return texts;
}

const QStringList kTocEntries = {QStringLiteral("Getting started"), QStringLiteral("Nothing here"),
                                 QStringLiteral("Print & Mail"), QString(), QString(), QString(),
                                 QString(), QString(), QString()};

frmHelp *openHelpWindow()
{
    writeHelp(kHelp);
    auto *help = new frmHelp;
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->show();
    return help;
}

void verifyToc(QWidget *help)
{
    QCOMPARE(title(help), QStringLiteral("Table of Contents"));
    QCOMPARE(shownEntries(help), kTocEntries);
    QVERIFY(!shown(help, "lblPage"));
    QVERIFY(!shown(help, "cmdTOC"));
    QVERIFY(!shown(help, "cmdPrev"));
    QVERIFY(!shown(help, "cmdNext"));
}

void verifyPage(QWidget *help, const QString &topicTitle, const QString &text)
{
    QCOMPARE(title(help), topicTitle);
    QCOMPARE(pageText(help), text);
    QVERIFY(shown(help, "lblPage"));
    QVERIFY(shown(help, "cmdTOC"));
    QVERIFY(shown(help, "cmdPrev"));
    QVERIFY(shown(help, "cmdNext"));
    QVERIFY(shownEntries(help).isEmpty());
}

int helpWindowCount()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += qobject_cast<frmHelp *>(w) != nullptr;
    return count;
}

int insertPages(int count)
{
    DbConnection::Transaction transaction;
    DbConnection::Statement insert(QStringLiteral("INSERT INTO Page (DocumentId, PageNumber) VALUES (1, ?)"));
    for (int i = 1; i <= count; ++i)
        insert.run({i});
    transaction.commit();
    return count;
}

} // namespace

class HelpAboutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<frmHelp *>(w))
                delete w;
        }
    }

    // The window opens on the table of contents: entries placed by number,
    // "&" shown as written, page controls hidden.
    void opensOnContents()
    {
        QPointer<frmHelp> help = openHelpWindow();
        verifyToc(help);
        QVERIFY(help->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!help->isModal());
    }

    // Through a topic and back: Next is disabled on the last page (and a
    // click there keeps it), a Prev after it shows the page before, Prev on
    // page 1 leads to the contents.
    void pagesForwardAndBack()
    {
        QPointer<frmHelp> help = openHelpWindow();
        QTest::mouseClick(entry(help, 0), Qt::LeftButton);
        verifyPage(help, QStringLiteral("Getting started"), QStringLiteral("First page.\n"));
        QVERIFY(child<QPushButton>(help, QStringLiteral("cmdNext"))->isEnabled());
        click(help, "cmdNext");
        verifyPage(help, QStringLiteral("Getting started"), QStringLiteral("Second page."));
        QVERIFY(!child<QPushButton>(help, QStringLiteral("cmdNext"))->isEnabled());
        click(help, "cmdNext");
        verifyPage(help, QStringLiteral("Getting started"), QStringLiteral("Second page."));
        click(help, "cmdNext");
        verifyPage(help, QStringLiteral("Getting started"), QStringLiteral("Second page."));
        click(help, "cmdPrev");
        verifyPage(help, QStringLiteral("Getting started"), QStringLiteral("First page.\n"));
        QVERIFY(child<QPushButton>(help, QStringLiteral("cmdNext"))->isEnabled());
        click(help, "cmdPrev");
        verifyToc(help);
        // A topic of one page offers no Next at all.
        QTest::mouseClick(entry(help, 2), Qt::LeftButton);
        QVERIFY(!child<QPushButton>(help, QStringLiteral("cmdNext"))->isEnabled());
    }

    // The topic's title is shown as the entry wrote it, "&" included.
    void titleWithAmpersand()
    {
        QPointer<frmHelp> help = openHelpWindow();
        QTest::mouseClick(entry(help, 2), Qt::LeftButton);
        verifyPage(help, QStringLiteral("Print & Mail"), QStringLiteral("Printing & mail."));
        click(help, "cmdTOC");
        verifyToc(help);
    }

    // Close on a page goes back to the contents; Close on the contents
    // closes the window.
    void closeTwice()
    {
        QPointer<frmHelp> help = openHelpWindow();
        QTest::mouseClick(entry(help, 0), Qt::LeftButton);
        click(help, "cmdClose");
        verifyToc(help);
        QVERIFY(help->isVisible());
        click(help, "cmdClose");
        QTRY_VERIFY(help.isNull());
    }

    // A topic whose first page is missing ignores the click: the contents
    // stay whole and usable.
    void topicWithoutPagesKeepsContents()
    {
        QPointer<frmHelp> help = openHelpWindow();
        QTest::mouseClick(entry(help, 1), Qt::LeftButton);
        verifyToc(help);
        QTest::mouseClick(entry(help, 0), Qt::LeftButton);
        verifyPage(help, QStringLiteral("Getting started"), QStringLiteral("First page.\n"));
        click(help, "cmdClose");
        verifyToc(help);
        click(help, "cmdClose");
        QTRY_VERIFY(help.isNull());
    }

    // A click on a shown entry label without an entry does nothing.
    void emptyEntryIgnored()
    {
        QPointer<frmHelp> help = openHelpWindow();
        QTest::mouseClick(entry(help, 5), Qt::LeftButton);
        verifyToc(help);
    }

    // Every screen reads the file again: a page changed on disk shows changed.
    void fileReadForEveryScreen()
    {
        QPointer<frmHelp> help = openHelpWindow();
        QTest::mouseClick(entry(help, 0), Qt::LeftButton);
        QByteArray changed = kHelp;
        changed.replace("Second page.", "Rewritten.");
        writeHelp(changed);
        click(help, "cmdNext");
        verifyPage(help, QStringLiteral("Getting started"), QStringLiteral("Rewritten."));
    }

    // The entry under the mouse is highlighted, the others are not; on a
    // page the mouse changes nothing.
    void hoverHighlightsOneEntry()
    {
        QPointer<frmHelp> help = openHelpWindow();
        auto enter = [&](int index) {
            QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
            QApplication::sendEvent(entry(help, index), &event);
        };
        auto highlighted = [&] {
            QList<int> on;
            for (int i = 0; i < 9; ++i) {
                if (entry(help, i)->property("highlighted").toBool())
                    on << i;
            }
            return on;
        };
        enter(2);
        QCOMPARE(highlighted(), QList<int>{2});
        enter(0);
        QCOMPARE(highlighted(), QList<int>{0});
        QTest::mouseClick(entry(help, 0), Qt::LeftButton);
        QCOMPARE(highlighted(), QList<int>{});
        enter(1);
        QCOMPARE(highlighted(), QList<int>{});
        click(help, "cmdTOC");
        QCOMPARE(highlighted(), QList<int>{});
    }

    // The Help menu's entry: one window at a time, opened at the lower right
    // of the navigation window, 53 pixels inside its corner.
    void showHelpOpensOneWindow()
    {
        writeHelp(kHelp);
        QWidget navigation;
        navigation.setGeometry(100, 80, 1000, 700);
        navigation.show();
        QVERIFY(frmHelp::showHelp(&navigation));
        QVERIFY(frmHelp::showHelp(&navigation));
        QCOMPARE(helpWindowCount(), 1);
        frmHelp *help = navigation.findChild<frmHelp *>();
        QVERIFY(help && help->isVisible());
        const QRect nav = navigation.frameGeometry();
        const QRect frame = help->frameGeometry();
        QCOMPARE(frame.x() + frame.width(), nav.x() + nav.width() - 53);
        QCOMPARE(frame.y() + frame.height(), nav.y() + nav.height() - 53);
        verifyToc(help);
    }

    // Without a database row the count reads 0.
    void aboutEmptyStore()
    {
        frmAbout box;
        QCOMPARE(child<QLabel>(&box, QStringLiteral("lblPgCnt"))->text(), QStringLiteral("Pages stored: 0"));
        QCOMPARE(box.windowTitle(), QStringLiteral("About Vellumark"));
        QVERIFY(child<QLabel>(&box, QStringLiteral("lblCopyright"))->text().contains(QChar(0x00A9)));
    }

    // The maker has one name throughout the box, the one the link's
    // question uses, and the link is the maker's page, no placeholder.
    void aboutNamesMakerOnce()
    {
        const QString maker = QStringLiteral("Quillhaven Software");
        frmAbout box;
        QVERIFY(child<QLabel>(&box, QStringLiteral("lblCopyright"))->text().endsWith(QStringLiteral(" ") + maker));
        const QString legal = child<QLabel>(&box, QStringLiteral("lblLegal"))->text();
        QVERIFY(legal.contains(maker));
        QVERIFY(!legal.contains(QStringLiteral("author"), Qt::CaseInsensitive));
        QVERIFY(!legal.contains(QStringLiteral("developer"), Qt::CaseInsensitive));
        const QUrl web(child<QLabel>(&box, QStringLiteral("lblWeb"))->text());
        QVERIFY(web.isValid());
        QCOMPARE(web.scheme(), QStringLiteral("https"));
        QVERIFY(web.host().contains(QStringLiteral("quillhaven")));
        QVERIFY(!web.host().endsWith(QStringLiteral("example.org")));
    }

    // The count is grouped by thousands the user's way.
    void aboutGroupsThousands()
    {
        insertPages(1234);
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        frmAbout box;
        QLocale::setDefault(before);
        QCOMPARE(child<QLabel>(&box, QStringLiteral("lblPgCnt"))->text(), QStringLiteral("Pages stored: 1,234"));
    }

    // The revision shows with two digits.
    void aboutVersion()
    {
        const QString before = QCoreApplication::applicationVersion();
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0.7"));
        frmAbout box;
        QCoreApplication::setApplicationVersion(before);
        QCOMPARE(child<QLabel>(&box, QStringLiteral("lblApp"))->text(), QStringLiteral("Vellumark 2.0.07"));
    }

    // The link asks first; No opens nothing, Yes opens the address, and a
    // failed start says so.
    void aboutLink_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("opened");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("No") << false << true << 0 << QStringList();
        QTest::newRow("Yes") << true << true << 1 << QStringList();
        QTest::newRow("Yes, browser fails") << true << false << 1
                                            << QStringList{QStringLiteral("Could not launch browser.")};
    }
    void aboutLink()
    {
        QFETCH(bool, answer);
        QFETCH(bool, opens);
        QFETCH(int, opened);
        QFETCH(QStringList, messages);
        FakePrompt prompt;
        prompt.answers = {answer};
        FakeDesktop desktop;
        desktop.opens = opens;
        const QList<QUrl> &urls = desktop.urls;
        frmAbout box;
        box.show();
        QTest::mouseClick(child<QLabel>(&box, QStringLiteral("lblWeb")), Qt::LeftButton);
        QCOMPARE(prompt.questions, QStringList{QStringLiteral("Load the Quillhaven Software website?")});
        QCOMPARE(urls.size(), opened);
        if (opened)
            QCOMPARE(urls.first(), QUrl(child<QLabel>(&box, QStringLiteral("lblWeb"))->text()));
        QCOMPARE(prompt.messages, messages);
        if (!messages.isEmpty())
            QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(box.isVisible());
    }

    // The hand pointer belongs to the link alone.
    void aboutHandOnLinkOnly()
    {
        frmAbout box;
        QCOMPARE(child<QLabel>(&box, QStringLiteral("lblWeb"))->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(box.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(child<QPushButton>(&box, QStringLiteral("cmdOK"))->cursor().shape(), Qt::ArrowCursor);
    }

    // OK is both the default and the cancel button.
    void aboutClosesOnEnterAndEsc_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void aboutClosesOnEnterAndEsc()
    {
        QFETCH(int, key);
        frmAbout box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, Qt::Key(key));
        QVERIFY(!box.isVisible());
    }
};

VLM_TEST_MAIN(HelpAboutTest)
#include "HelpAboutTest.moc"
