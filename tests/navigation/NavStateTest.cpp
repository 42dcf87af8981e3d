#include "navigation/NavState.h"
#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtTest>

class NavStateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayCount_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("count");
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("too many") << "100" << 64;
        QTest::newRow("default") << "20" << 20;
        QTest::newRow("not a number") << "abc" << 20;
        QTest::newRow("fraction") << "12.5" << 12;
        QTest::newRow("negative") << "-3" << 1;
    }
    void displayCount()
    {
        QFETCH(QString, stored);
        QFETCH(int, count);
        TestEnvironment::freshDataFolder();
        Settings::setValue("DisplayCount", stored);
        QCOMPARE(StartupSettings::read().PagePaneDisplayCount, count);
    }

    void startupDefaults()
    {
        TestEnvironment::freshDataFolder();
        const StartupSettings s = StartupSettings::read();
        QCOMPARE(s.PagePaneDisplayCount, 20);
        QCOMPARE(s.PagePaneViewMode, QStringLiteral("thumbnail"));
        QCOMPARE(s.ThumbnailSide, 100);
    }

    // Only the node's own kind is set; the parent comes from the parent key.
    // A key that is no record's sets nothing.
    void positionFromNode()
    {
        CurrentPosition p;
        p.setFromNode("DOC12", "Bill (03/04/2024)", "FLD7");
        QCOMPARE(p.CurrentDocumentId, 12);
        QCOMPARE(p.CurrentParentId, 7);
        QCOMPARE(p.CurrentDocumentName, QStringLiteral("Bill (03/04/2024)"));
        QCOMPARE(p.CurrentFolderId, -1);
        p.setFromNode("CAB3", "Home", "ROOT");
        QCOMPARE(p.CurrentCabinetId, 3);
        QCOMPARE(p.CurrentParentId, -1);
        QCOMPARE(p.CurrentDocumentId, -1);
        QCOMPARE(p.CurrentDocumentName, QString());
        p.setFromNode("FDC3", "x", "FFD1");
        QCOMPARE(p.CurrentCabinetId, -1);
        QCOMPARE(p.CurrentDocumentId, -1);
        p.setFromNode("DOC12x", "y", "FLD7");
        QCOMPARE(p.CurrentDocumentId, -1);
        QCOMPARE(p.CurrentParentId, -1);
    }
};

VLM_TEST_GUILESS_MAIN(NavStateTest)
#include "NavStateTest.moc"
