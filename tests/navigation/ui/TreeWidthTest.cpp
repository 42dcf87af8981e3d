#include "navigation/ui/TreeWidth.h"

#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QSplitter>
#include <QtTest>

namespace {

// A splitter of two panes, 800 pixels wide, shown.
struct TwoPanes : QSplitter
{
    TwoPanes()
    {
        addWidget(new QWidget);
        addWidget(new QWidget);
        resize(800, 400);
        show();
    }
};

} // namespace

// The tree's width kept in twips between runs.
class TreeWidthTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // A stored width gives the tree its pixels; one that is no usable
    // number gives the default of 3000 twips.
    void restore_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("treePixels");
        QTest::newRow("none stored") << QString() << 200;
        QTest::newRow("stored") << "4500" << 300;
        QTest::newRow("spaces around") << " 1500 " << 100;
        QTest::newRow("fraction") << "1515.5" << 101;
        QTest::newRow("not a number") << "wide" << 200;
        QTest::newRow("zero") << "0" << 200;
        QTest::newRow("negative") << "-1500" << 200;
        QTest::newRow("too large") << "1e8" << 200;
    }
    void restore()
    {
        QFETCH(QString, stored);
        QFETCH(int, treePixels);
        if (!stored.isNull())
            Settings::setValue("tvwMainWidth", stored);
        TwoPanes splitter;
        QVERIFY(QTest::qWaitForWindowExposed(&splitter));
        // The window's width is the room the splitter shares out.
        TreeWidth::restore(&splitter, splitter.width() - splitter.handleWidth());
        QCOMPARE(splitter.sizes().first(), treePixels);
    }

    void saveStoresTwips()
    {
        TwoPanes splitter;
        QVERIFY(QTest::qWaitForWindowExposed(&splitter));
        splitter.setSizes({150, splitter.width() - splitter.handleWidth() - 150});
        TreeWidth::save(&splitter);
        QCOMPARE(Settings::value("tvwMainWidth"), QStringLiteral("2250"));
    }

    void minimumPaneIsThousandTwips() { QCOMPARE(TreeWidth::minimumPanePixels(), 66); }
};

VLM_TEST_MAIN(TreeWidthTest)
#include "TreeWidthTest.moc"
