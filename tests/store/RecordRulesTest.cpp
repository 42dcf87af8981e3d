#include "store/RecordRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QtTest>

#include "platform/DbConnection.h"
#include "store/Amounts.h"
#include "store/Passwords.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

using namespace RecordRules;

Q_DECLARE_METATYPE(RecordLevel)
Q_DECLARE_METATYPE(RecordRules::DocumentBox)

namespace {

const QString kInvalid = QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");

using RecordFixture::sizedPage;

RecordId document(RecordId folderId, const QString &name, double amount)
{
    return RecordFixture::insert(QStringLiteral("INSERT INTO Document (FolderId, Name, Amount) VALUES (?, ?, ?)"),
                                 {folderId, name, amount});
}

// "<drawers> <folders> <documents> <pages> <bytes> <amount>"
QString describe(const RecordStatistics &s)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(s.drawers)
        .arg(s.folders)
        .arg(s.documents)
        .arg(s.pages)
        .arg(s.bytes)
        .arg(s.amount);
}

// Puts the C locale back whatever a case did to the default locale.
struct LocaleGuard
{
    explicit LocaleGuard(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

class RecordRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        QLocale::setDefault(QLocale::c());
    }

    // Characters are checked before trimming, then the trimmed name must
    // show something and fit the 80 characters of the column; each kind has
    // its own message.
    void checkName_data()
    {
        QTest::addColumn<RecordLevel>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("name");
        const RecordLevel cab = RecordLevel::Cabinet;
        QTest::newRow("full stop") << cab << "a.b" << kInvalid << QString();
        QTest::newRow("slash") << RecordLevel::Drawer << "a/b" << kInvalid << QString();
        QTest::newRow("backslash") << RecordLevel::Folder << "a\\b" << kInvalid << QString();
        QTest::newRow("double quote") << RecordLevel::Document << "a\"b" << kInvalid << QString();
        for (const char *c : {":", "*", "?", "<", ">", "|"})
            QTest::newRow(c) << cab << QStringLiteral("x%1y").arg(QLatin1String(c)) << kInvalid << QString();
        QTest::newRow("blank full stop") << cab << "  .  " << kInvalid << QString();
        QTest::newRow("cabinet blank") << cab << "   " << "A file cabinet name is required." << "";
        QTest::newRow("drawer empty") << RecordLevel::Drawer << "" << "A drawer name is required." << "";
        QTest::newRow("folder blank") << RecordLevel::Folder << " " << "A folder name is required." << "";
        QTest::newRow("document blank") << RecordLevel::Document << "  " << "A document name is required." << "";
        QTest::newRow("trimmed") << cab << "  Bills 2024  " << "" << "Bills 2024";
        QTest::newRow("quote") << cab << "O'Hara" << "" << "O'Hara";
        QTest::newRow("non-Latin") << RecordLevel::Folder << " Ωμέγα 漢字 " << "" << "Ωμέγα 漢字";
        const QString drawerRequired = QStringLiteral("A drawer name is required.");
        QTest::newRow("NUL only") << RecordLevel::Drawer << QString(2, QChar(0)) << drawerRequired
                                  << QString(2, QChar(0));
        QTest::newRow("zero-width space") << RecordLevel::Drawer << QStringLiteral("\u200B") << drawerRequired
                                          << QStringLiteral("\u200B");
        QTest::newRow("joiners, BOM, soft hyphen") << RecordLevel::Drawer << QStringLiteral(" \u200D\uFEFF\u00AD ")
                                                   << drawerRequired << QStringLiteral("\u200D\uFEFF\u00AD");
        QTest::newRow("tab and no-break space") << RecordLevel::Drawer << QStringLiteral("\t\u00A0\u3000")
                                                << drawerRequired << QString();
        QTest::newRow("Hangul filler, variation selector") << RecordLevel::Drawer << QStringLiteral("\u3164\uFE0F")
                                                           << drawerRequired << QStringLiteral("\u3164\uFE0F");
        QTest::newRow("visible beside zero-width") << RecordLevel::Drawer << QStringLiteral("a\u200B") << ""
                                                   << QStringLiteral("a\u200B");
        QTest::newRow("emoji beyond the BMP") << RecordLevel::Drawer << QStringLiteral("\U0001F4C1") << ""
                                              << QStringLiteral("\U0001F4C1");
        const QString eighty(80, QLatin1Char('n'));
        QTest::newRow("80 characters") << RecordLevel::Document << eighty << "" << eighty;
        QTest::newRow("80 characters once trimmed") << RecordLevel::Document << "  " + eighty + "  " << "" << eighty;
        QTest::newRow("81 characters") << RecordLevel::Document << eighty + "n"
                                       << "A document name may hold at most 80 characters." << eighty + "n";
        QTest::newRow("120 characters") << cab << QString(120, QLatin1Char('n'))
                                        << "A file cabinet name may hold at most 80 characters."
                                        << QString(120, QLatin1Char('n'));
    }
    void checkName()
    {
        QFETCH(RecordLevel, kind);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, name);
        QString trimmed;
        QCOMPARE(RecordRules::checkName(kind, typed, &trimmed), message);
        QCOMPARE(trimmed, name);
    }

    // The duplicate messages, the typo of the cabinet message mended.
    void duplicateMessages()
    {
        QCOMPARE(duplicateNameMessage(RecordLevel::Cabinet, "O'Hara"),
                 QStringLiteral("A file cabinet named 'O'Hara' already exists."));
        QCOMPARE(duplicateNameMessage(RecordLevel::Drawer, "Bills"), QStringLiteral("A drawer named 'Bills' already exists."));
        QCOMPARE(duplicateNameMessage(RecordLevel::Folder, "Tax"), QStringLiteral("A folder named 'Tax' already exists."));
    }

    // The document boxes: name first, then the date (strictly month/day/
    // year), then the amount, which refuses text that is no number.
    void checkDocument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("refusedBox");  // -1 for none
        QTest::addColumn<QDate>("storedDate");
        QTest::addColumn<double>("storedAmount");
        const int none = -1;
        const int nameBox = int(DocumentBox::Name);
        const int dateBox = int(DocumentBox::Date);
        const int amountBox = int(DocumentBox::Amount);
        QTest::newRow("all blank but name") << "Bill" << "" << "" << none << QDate() << 0.0;
        QTest::newRow("blank date spaces") << "Bill" << "   " << "" << none << QDate() << 0.0;
        QTest::newRow("date") << "Bill" << "03/04/2024" << "12.50" << none << QDate(2024, 3, 4) << 12.5;
        QTest::newRow("short date") << "Bill" << "3/4/2024" << "1,250.00" << none << QDate(2024, 3, 4) << 1250.0;
        QTest::newRow("dollar") << "Bill" << "" << "$5" << none << QDate() << 5.0;
        QTest::newRow("February 30") << "Bill" << "02/30/2024" << "" << dateBox << QDate() << 0.0;
        QTest::newRow("day 45") << "Bill" << "01/45/2024" << "" << dateBox << QDate() << 0.0;
        QTest::newRow("word date") << "Bill" << "abc" << "" << dateBox << QDate() << 0.0;
        QTest::newRow("day first") << "Bill" << "24.03.2024" << "" << dateBox << QDate() << 0.0;
        QTest::newRow("word amount") << "Bill" << "" << "abc" << amountBox << QDate() << 0.0;
        QTest::newRow("decimal comma") << "Bill" << "" << "12,50" << amountBox << QDate() << 0.0;
        QTest::newRow("name before date") << "a.b" << "abc" << "abc" << nameBox << QDate() << 0.0;
        QTest::newRow("blank name") << "  " << "" << "" << nameBox << QDate() << 0.0;
        QTest::newRow("date before amount") << "Bill" << "13/01/2024" << "abc" << dateBox << QDate() << 0.0;
        QTest::newRow("two-digit year") << "Bill" << "03/04/24" << "" << dateBox << QDate() << 0.0;
        QTest::newRow("iso date") << "Bill" << "2024-03-04" << "" << dateBox << QDate() << 0.0;
        QTest::newRow("three decimals") << "Bill" << "" << "12.345" << none << QDate() << 12.345;
        QTest::newRow("1e20 as digits") << "Bill" << "" << "100000000000000000000.00" << none << QDate() << 1e20;
        QTest::newRow("0.1") << "Bill" << "" << "0.1" << none << QDate() << 0.1;
        QTest::newRow("large with cents") << "Bill" << "" << "123,456,789,012.34" << none << QDate()
                                          << 123456789012.34;
    }
    void checkDocument()
    {
        QFETCH(QString, name);
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(int, refusedBox);
        QFETCH(QDate, storedDate);
        QFETCH(double, storedAmount);
        // A day/month locale must change nothing.
        for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
            LocaleGuard guard(locale);
            DocumentValues values;
            const std::optional<DocumentRefusal> refusal = RecordRules::checkDocument(name, date, amount, &values);
            if (refusedBox < 0) {
                QVERIFY2(!refusal, qPrintable(refusal ? refusal->message : QString()));
                QCOMPARE(values.dateOnDocument, storedDate);
                QCOMPARE(values.amount, storedAmount);
                QCOMPARE(values.name, name.trimmed());
            } else {
                QVERIFY(refusal);
                QCOMPARE(int(refusal->box), refusedBox);
                if (refusal->box == DocumentBox::Date)
                    QCOMPARE(refusal->message, QStringLiteral("Please enter a date (mm/dd/yyyy) or leave blank."));
                else if (refusal->box == DocumentBox::Amount)
                    QCOMPARE(refusal->message, amountMessage());
            }
        }
    }

    // An amount box still holding the text the dialog filled it with keeps
    // the stored amount exactly, though the text shows only two decimals;
    // any other text is read anew, and refused when it is no number.
    void shownAmountKept_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<double>("saved");
        for (const double stored : {12.345, 1e20, 0.1, 123456789012.345, -0.005, 1e300}) {
            const QString shown = formatAmountForEdit(stored);
            QTest::addRow("%g untouched", stored) << stored << shown << false << stored;
        }
        QTest::newRow("12.345 changed") << 12.345 << "12.34" << false << 12.34;
        QTest::newRow("12.345 cleared") << 12.345 << "" << false << 0.0;
        QTest::newRow("changed to a word") << 12.345 << "abc" << true << 0.0;
    }
    void shownAmountKept()
    {
        QFETCH(double, stored);
        QFETCH(QString, boxText);
        QFETCH(bool, refused);
        QFETCH(double, saved);
        const ShownAmount shown{formatAmountForEdit(stored), stored};
        DocumentValues values;
        const std::optional<DocumentRefusal> refusal = RecordRules::checkDocument("Bill", "", boxText, &values, &shown);
        QCOMPARE(refusal.has_value(), refused);
        if (!refused)
            QCOMPARE(values.amount, saved);
    }

    // The amount box shows two decimals with a full stop in any locale,
    // and nothing for 0.
    void amountForEdit()
    {
        LocaleGuard guard(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(formatAmountForEdit(12.5), QStringLiteral("12.50"));
        QCOMPARE(formatAmountForEdit(1250), QStringLiteral("1250.00"));
        QCOMPARE(formatAmountForEdit(0), QString());
        double back = 0;
        QVERIFY(Amounts::parseAmount(formatAmountForEdit(1234567.89), &back));
        QCOMPARE(back, 1234567.89);
    }

    // A storage path is absolute: relative text and "~" are taken from the
    // home folder.
    void storagePath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const QString home = QDir::homePath();
        QTest::newRow("absolute") << "/srv/scans" << "/srv/scans";
        QTest::newRow("relative") << "scans/2024" << home + "/scans/2024";
        QTest::newRow("tilde") << "~/scans" << home + "/scans";
        QTest::newRow("tilde alone") << "~" << home;
        QTest::newRow("empty") << "" << "";
    }
    void storagePath()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(absoluteStoragePath(typed), stored);
    }

    // The storage path box: not blank, no blank in front (it would make an
    // absolute path relative, stored under the home folder), and at most
    // 250 characters once absolute.
    void checkStoragePath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");
        const QString home = QDir::homePath();
        const QString longest = QLatin1Char('/') + QString(249, QLatin1Char('p'));
        QTest::newRow("absolute") << "/srv/scans" << "" << "/srv/scans";
        QTest::newRow("relative") << "scans" << "" << home + "/scans";
        QTest::newRow("250 characters") << longest << "" << longest;
        QTest::newRow("blank") << "   " << storagePathRequiredMessage() << "";
        QTest::newRow("empty") << "" << storagePathRequiredMessage() << "";
        QTest::newRow("leading blank") << " /srv/scans" << storagePathBlankStartMessage() << "";
        QTest::newRow("leading tab") << "\t/srv/scans" << storagePathBlankStartMessage() << "";
        QTest::newRow("251 characters") << longest + "p" << storagePathTooLongMessage() << "";
        QTest::newRow("too long once absolute") << QString(250, QLatin1Char('r')) << storagePathTooLongMessage()
                                                << "";
    }
    void checkStoragePath()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        QString absolute;
        QCOMPARE(RecordRules::checkStoragePath(typed, &absolute), message);
        QCOMPARE(absolute, stored);
    }

    // The path kept with the default store is stored as it stands, but the
    // column's limit holds for it as well.
    void checkKeptStoragePath_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("relative, kept") << "scans" << "";
        QTest::newRow("250 characters") << QString(250, QLatin1Char('k')) << "";
        QTest::newRow("251 characters") << QString(251, QLatin1Char('k')) << storagePathTooLongMessage();
        QTest::newRow("270 characters") << QLatin1Char('/') + QString(269, QLatin1Char('k'))
                                        << storagePathTooLongMessage();
    }
    void checkKeptStoragePath()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QCOMPARE(RecordRules::checkKeptStoragePath(text), message);
    }

    // An empty record shows zeros; the formats carry thousands separators
    // and a byte sum beyond 32 bits.
    void emptyStatistics()
    {
        const int cab = RecordFixture::cabinet("Empty");
        const RecordStatistics s = cabinetStatistics(cab);
        QCOMPARE(formatCount(s.drawers), QStringLiteral("0"));
        QCOMPARE(formatCount(s.pages), QStringLiteral("0"));
        QCOMPARE(formatAmountTotal(s.amount), QStringLiteral("$0.00"));
        QCOMPARE(formatByteCount(s.bytes), QStringLiteral("0 bytes"));
        const RecordId folderId = RecordFixture::folder(RecordFixture::drawer(cab, "D"), "F");
        QCOMPARE(folderStatistics(folderId).documents, 0);
        QCOMPARE(folderStatistics(folderId).amount, 0.0);
        QCOMPARE(documentStatistics(RecordFixture::document(folderId, "X")).bytes, 0);
    }

    // Each level counts what lies below it and nothing of its neighbours;
    // the levels a record cannot hold stay 0.
    void statisticsByLevel()
    {
        const int cab = RecordFixture::cabinet("C");
        const int other = RecordFixture::cabinet("Other");
        const int d1 = RecordFixture::drawer(cab, "D1");
        const int d2 = RecordFixture::drawer(cab, "D2");
        const int f1 = RecordFixture::folder(d1, "F1");
        const int f2 = RecordFixture::folder(d1, "F2");
        const int f3 = RecordFixture::folder(d2, "F3");
        const int doc1 = document(f1, "a", 10.25);
        const int doc2 = document(f2, "b", 1000);
        const int doc3 = document(f3, "c", 0.5);
        sizedPage(doc1, 3000000000LL);
        sizedPage(doc1, 100);
        sizedPage(doc2, 1);
        sizedPage(doc3, 7);
        // Rows of another cabinet must not count.
        const int od = RecordFixture::drawer(other, "D1");
        sizedPage(document(RecordFixture::folder(od, "F1"), "z", 99), 5);

        QCOMPARE(describe(cabinetStatistics(cab)), QStringLiteral("2 3 3 4 3000000108 1010.75"));
        QCOMPARE(describe(drawerStatistics(d1)), QStringLiteral("0 2 2 3 3000000101 1010.25"));
        QCOMPARE(describe(folderStatistics(f1)), QStringLiteral("0 0 1 2 3000000100 10.25"));
        QCOMPARE(describe(documentStatistics(doc1)), QStringLiteral("0 0 0 2 3000000100 0"));
    }

    void formats_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("amount");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("amountText");
        QTest::addColumn<QString>("bytesText");
        const QLocale c = QLocale::c();
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("C") << c << 1234.5 << qint64(3000000000LL) << "$1,234.50" << "3,000,000,000 bytes";
        QTest::newRow("en_US") << us << 0.0 << qint64(999) << "$0.00" << "999 bytes";
        QTest::newRow("de_DE") << de << 1234567.891 << qint64(2147483648LL) << "$1.234.567,89" << "2.147.483.648 bytes";
        QTest::newRow("negative") << c << -5.0 << qint64(0) << "-$5.00" << "0 bytes";
        QTest::newRow("rounds to zero") << c << -0.001 << qint64(1) << "$0.00" << "1 bytes";
    }
    void formats()
    {
        QFETCH(QLocale, locale);
        QFETCH(double, amount);
        QFETCH(qint64, bytes);
        QFETCH(QString, amountText);
        QFETCH(QString, bytesText);
        LocaleGuard guard(locale);
        QCOMPARE(formatAmountTotal(amount), amountText);
        QCOMPARE(formatByteCount(bytes), bytesText);
        QCOMPARE(formatCount(123456), QStringLiteral("123456"));
    }

};

VLM_TEST_GUILESS_MAIN(RecordRulesTest)
#include "RecordRulesTest.moc"
#include "core/RecordId.h"
