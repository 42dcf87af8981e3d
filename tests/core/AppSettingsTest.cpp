#include "core/AppSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QtTest>

#include "platform/Settings.h"
#include "tests/support/TestEnvironment.h"

Q_DECLARE_METATYPE(AppSettings::Number)

class AppSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::freshDataFolder(); }

    // A number read back from the file a user may have edited: a missing or
    // unreadable text gives the default, one out of range the default or,
    // for a clamped setting, the nearer bound.
    void numberRead_data()
    {
        QTest::addColumn<AppSettings::Number>("setting");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("absent") << AppSettings::DocDPIOverride << QString() << 150;
        QTest::newRow("unreadable") << AppSettings::DocDPIOverride << "150 dpi" << 150;
        QTest::newRow("blanks, half to even") << AppSettings::PicDPIOverride << " 49.5 " << 50;
        QTest::newRow("above the range") << AppSettings::DocQualityOverride << "256" << 50;
        QTest::newRow("clamped below") << AppSettings::DisplayCount << "0" << 1;
        QTest::newRow("clamped beyond every int") << AppSettings::DisplayCount << "1e20" << 64;
        QTest::newRow("infinite is unreadable") << AppSettings::DisplayCount << "inf" << 20;
    }
    void numberRead()
    {
        QFETCH(AppSettings::Number, setting);
        QFETCH(QString, stored);
        if (!stored.isNull())
            Settings::setValue(QString::fromLatin1(setting.key), stored);
        QTEST(setting.read(), "expected");
    }

    // Texts and flags written in the forms the settings files hold, and
    // their defaults when absent; a flag is on only for its exact text.
    void textsAndFlags()
    {
        QCOMPARE(AppSettings::ZoomDefault.read(), QStringLiteral("NONE"));
        QCOMPARE(AppSettings::LastSaveAsPath.read(), QDir::homePath() + "/");
        AppSettings::LastSaveAsPath.write(QString());
        QCOMPARE(AppSettings::LastSaveAsPath.read(), QString());

        QVERIFY(AppSettings::FirstShow.read());
        Settings::setValue("FirstShow", "y");
        QVERIFY(!AppSettings::FirstShow.read());
        AppSettings::TWAINADF.write(true);
        QCOMPARE(Settings::value("TWAINADF"), QStringLiteral("Y"));
        AppSettings::PrintWidthPct.write(150);
        QCOMPARE(Settings::value("PrintWidthPct"), QStringLiteral("150"));
    }
};

VLM_TEST_GUILESS_MAIN(AppSettingsTest)
#include "AppSettingsTest.moc"
