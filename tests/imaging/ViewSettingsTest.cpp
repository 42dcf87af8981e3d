#include "imaging/ViewSettings.h"

#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

using namespace ViewSettings;

class ViewSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    void zoomDefault_data()
    {
        QTest::addColumn<QString>("stored");   // "" for none
        QTest::addColumn<int>("shownIndex");
        QTest::addColumn<QString>("writtenAgain");
        QTest::newRow("nothing stored") << "" << 0 << "NONE";
        QTest::newRow("none") << "NONE" << 0 << "NONE";
        QTest::newRow("fit to width") << "FITWIDTH" << 1 << "FITWIDTH";
        QTest::newRow("fit to height") << "FITHEIGHT" << 2 << "FITHEIGHT";
        QTest::newRow("other letter case is (none)") << "fitwidth" << 0 << "NONE";
        QTest::newRow("unknown value is (none)") << "ZOOM200" << 0 << "NONE";
    }
    // The stored default zoom picks the list entry, and storing that entry
    // again writes one of the three values.
    void zoomDefault()
    {
        QFETCH(QString, stored);
        QFETCH(int, shownIndex);
        QFETCH(QString, writtenAgain);
        if (!stored.isEmpty())
            Settings::setValue("ZoomDefault", stored);
        QCOMPARE(zoomIndexOf(readZoomDefault()), shownIndex);
        QCOMPARE(saveZoomDefault(shownIndex), writtenAgain);
        QCOMPARE(Settings::value("ZoomDefault"), writtenAgain);
    }
};

VLM_TEST_GUILESS_MAIN(ViewSettingsTest)
#include "ViewSettingsTest.moc"
