#include "imaging/PageProperties.h"

#include "core/RecordId.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

using namespace PageProperties;

namespace {

struct Row
{
    QVariant scanDate;
    QVariant fileSize;
};

QVariant null()
{
    return QVariant(QMetaType(QMetaType::QString));
}

RecordId pageWith(RecordId documentId, const QVariant &scanDate, const QVariant &fileSize, const QVariant &filetype = "JPG",
             const QVariant &shortcut = QVariant(), const QVariant &filename = QVariant())
{
    return RecordFixture::insert(
        "INSERT INTO Page (DocumentId, PageNumber, ScanDate, FileSize, Filetype, ShortcutYN, Filename)"
        " VALUES (?, 1, ?, ?, ?, ?, ?)",
        {documentId, scanDate, fileSize, filetype, shortcut.isValid() ? shortcut : null(),
         filename.isValid() ? filename : null()});
}

} // namespace

Q_DECLARE_METATYPE(QList<Row>)

class PagePropertiesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    void onePage_data()
    {
        QTest::addColumn<QVariant>("scanDate");
        QTest::addColumn<QVariant>("fileSize");
        QTest::addColumn<QVariant>("filetype");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("type");
        QTest::newRow("dated, sized") << QVariant("2024-03-04 10:11:12") << QVariant(1234567) << QVariant("JPG")
                                      << "03/04/2024" << "1,234,567 bytes" << "JPG";
        QTest::newRow("nothing stored") << null() << QVariant(QMetaType(QMetaType::Int)) << null() << "Not known"
                                        << "Not known" << "";
        QTest::newRow("size 0") << QVariant("2024-12-31 00:00:00") << QVariant(0) << QVariant("pdf") << "12/31/2024"
                                << "0 bytes" << "pdf";
        QTest::newRow("beyond 2 GiB") << QVariant("2024-01-02 00:00:00") << QVariant(qint64(5000000000))
                                      << QVariant("JPG") << "01/02/2024" << "5,000,000,000 bytes" << "JPG";
    }
    // One page: the stored facts in their shown forms.
    void onePage()
    {
        QFETCH(QVariant, scanDate);
        QFETCH(QVariant, fileSize);
        QFETCH(QVariant, filetype);
        QFETCH(QString, date);
        QFETCH(QString, size);
        QFETCH(QString, type);
        const RecordId pageId = pageWith(RecordFixture::documentInNewFolder(), scanDate, fileSize, filetype);
        const Shown shown = describe(pageId);
        QCOMPARE(shown.pageIdCaption, QStringLiteral("Page ID:"));
        QCOMPARE(shown.pageId, QString::number(pageId));
        QCOMPARE(shown.scanDate, date);
        QCOMPARE(shown.fileSize, size);
        QCOMPARE(shown.fileType, type);
        QCOMPARE(shown.shortcut, QStringLiteral("(not a shortcut)"));
    }

    // A shortcut page shows the file it points to.
    void shortcutPage()
    {
        const RecordId pageId = pageWith(RecordFixture::documentInNewFolder(), null(), 10, "pdf", "Y", "/home/u/a.pdf");
        QCOMPARE(describe(pageId).shortcut, QStringLiteral("/home/u/a.pdf"));
    }

    void severalPages_data()
    {
        QTest::addColumn<QList<Row>>("rows");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("size");
        const QVariant noSize(QMetaType(QMetaType::Int));
        QTest::newRow("same day, one without size")
            << QList<Row>{{"2024-05-06 08:00:00", 1000}, {"2024-05-06 17:30:00", 2000}, {"2024-05-06 09:00:00", noSize}}
            << "05/06/2024" << "3,000 bytes";
        QTest::newRow("different days") << QList<Row>{{"2024-05-06 08:00:00", 1}, {"2024-05-07 08:00:00", 1}}
                                        << "Various" << "2 bytes";
        QTest::newRow("one with a date, one without") << QList<Row>{{null(), 5}, {"2023-01-09 08:00:00", 5}}
                                                      << "01/09/2023" << "10 bytes";
        QTest::newRow("no date, no size") << QList<Row>{{null(), noSize}, {null(), noSize}} << "Not known"
                                          << "Not known";
        QTest::newRow("sizes stored as 0") << QList<Row>{{null(), 0}, {null(), 0}} << "Not known" << "Not known";
        QTest::newRow("total past 2 GiB")
            << QList<Row>{{null(), qint64(2000000000)}, {null(), qint64(2000000000)}} << "Not known"
            << "4,000,000,000 bytes";
    }
    // Several pages: the count, the common day or "Various", the total.
    void severalPages()
    {
        QFETCH(QList<Row>, rows);
        QFETCH(QString, date);
        QFETCH(QString, size);
        const RecordId documentId = RecordFixture::documentInNewFolder();
        QList<RecordId> ids;
        for (const Row &row : rows)
            ids.append(pageWith(documentId, row.scanDate, row.fileSize));
        const Shown shown = describeSeveral(ids);
        QCOMPARE(shown.pageIdCaption, QStringLiteral("Pages:"));
        QCOMPARE(shown.pageId, QStringLiteral("%1 pages").arg(rows.size()));
        QCOMPARE(shown.scanDate, date);
        QCOMPARE(shown.fileSize, size);
        QCOMPARE(shown.fileType, QStringLiteral("Not known"));
        QCOMPARE(shown.shortcut, QStringLiteral("Not known"));
    }
};

VLM_TEST_GUILESS_MAIN(PagePropertiesTest)
#include "PagePropertiesTest.moc"
