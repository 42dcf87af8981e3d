#include "store/NameChars.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtTest>

using namespace NameChars;

class NameCharsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nameAndPathChecks()
    {
        QVERIFY(!HasInvalidNameChar("Taxes 2024"));
        for (const char *bad : {"a.b", "a/b", "a\"b", "a\\b", "a:b", "a*b", "a?b", "a<b", "a>b", "a|b"})
            QVERIFY2(HasInvalidNameChar(QLatin1String(bad)), bad);
        QCOMPARE(StripInvalidNameChars("a.b:c"), QStringLiteral("abc"));
        // Folders are separated by "/": only the file name is examined.
        QVERIFY(!HasInvalidPathChar("/home/ann/Scans 1.2/page:1.jpg"));
        QVERIFY(HasInvalidPathChar("/home/ann/what?.jpg"));
        QCOMPARE(StripInvalidPathChars("/home/ann/a*b.jpg"), QStringLiteral("/home/ann/ab.jpg"));
    }

    void isBlank()
    {
        QVERIFY(IsBlank(""));
        QVERIFY(IsBlank("   "));
        QVERIFY(!IsBlank(" x "));
        // Only spaces count as blank, as in the text formats.
        QVERIFY(!IsBlank("\t"));
    }
};

VLM_TEST_GUILESS_MAIN(NameCharsTest)
#include "NameCharsTest.moc"
