#include "exchange/ImportWorkers.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QtTest>

#include <cerrno>

class ImportWorkersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The placed copies of several folders are made durable together; one
    // that cannot be (gone since it was placed) fails the whole call with
    // its errno, so the rows naming them never commit. Either way they are
    // forgotten: the next call has nothing left to do.
    void makesPlacedCopiesDurable_data()
    {
        QTest::addColumn<bool>("oneGone");
        QTest::newRow("all there") << false;
        QTest::newRow("one gone") << true;
    }

    void makesPlacedCopiesDurable()
    {
        QFETCH(bool, oneGone);
        const QString base = TestEnvironment::root() + (oneGone ? "/gone" : "/there");
        QStringList files;
        for (int folder = 0; folder < 3; ++folder) {
            QDir().mkpath(QStringLiteral("%1/%2").arg(base).arg(folder));
            for (int n = 0; n < 20; ++n) {
                files.append(QStringLiteral("%1/%2/%3.jpg").arg(base).arg(folder).arg(n));
                TestFiles::write(files.constLast(), QByteArray(100 + n, 'x'));
            }
        }
        if (oneGone)
            QVERIFY(QFile::remove(files.at(27)));
        ImportWorkers workers(4);
        workers.placed(files);
        int code = 0;
        try {
            workers.makeDurable();
        } catch (const DbError &e) {
            code = e.code;
            QVERIFY2(e.text.contains(files.at(27)), qPrintable(e.text));
        }
        QCOMPARE(code, oneGone ? ENOENT : 0);
        workers.makeDurable();
    }
};

VLM_TEST_GUILESS_MAIN(ImportWorkersTest)
#include "ImportWorkersTest.moc"
