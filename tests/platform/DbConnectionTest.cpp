#include "platform/DbConnection.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QFileInfo>
#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QtTest>

// Where a unit of change meets its fault.
enum class Fault {
    Constraint,    // a statement refused; SQLite keeps the transaction
    Injected,      // the test hook; nothing reaches SQLite
    FullDatabase,  // SQLITE_FULL inside a savepoint; SQLite ends the transaction
    FileTooBig     // the commit's writes refused (EFBIG); SQLite ends the transaction
};
Q_DECLARE_METATYPE(Fault)

namespace {

QString names()
{
    return DbConnection::queryValue(QStringLiteral("SELECT group_concat(Name) FROM (SELECT Name FROM T ORDER BY Id)"))
        .toString();
}

void insert(const QString &name, int padding = 0)
{
    DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES (?)"),
                          {name + QString(padding, QLatin1Char(' '))});
}

// A later page of the database than it has: SQLite reports the disk full.
void limitPages()
{
    const qint64 pages = DbConnection::queryValue(QStringLiteral("PRAGMA page_count")).toLongLong();
    (void)DbConnection::queryValue(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 1));
}

} // namespace

class DbConnectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        const QString dir = TestEnvironment::freshDataFolder();
        DbConnection::open(QDir(dir).filePath(QStringLiteral("t.db")));
        DbConnection::execute(QStringLiteral("CREATE TABLE T (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, N REAL)"));
    }
    void cleanup() { DbConnection::close(); }

    void nullToEmpty()
    {
        QCOMPARE(NullToEmpty(QVariant(QMetaType(QMetaType::QString))), QString());
        QCOMPARE(NullToEmpty(QVariant(12)), QStringLiteral("12"));
        QCOMPARE(NullToEmpty(QVariant(QString())), QString());
        QCOMPARE(NullToEmpty(QVariant()), QString());
    }

    void emptyRecordsetIsAtEnd()
    {
        Recordset rs = DbConnection::OpenRecordset(QStringLiteral("SELECT * FROM T"));
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.eof());
        QVERIFY(rs.bof());
        QVERIFY(!rs.field(QStringLiteral("Name")).isValid());
    }

    // The snapshot walks both ways, reads by name and keeps Null apart from "".
    void recordsetMovesBothWays()
    {
        DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES ('a')"));
        DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES (NULL)"));
        DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES ('')"));
        Recordset rs = DbConnection::OpenRecordset(QStringLiteral("SELECT Id, Name FROM T ORDER BY Id"));
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(rs.field(QStringLiteral("name")).toString(), QStringLiteral("a"));
        rs.moveNext();
        QVERIFY(rs.isNull(QStringLiteral("Name")));
        rs.moveNext();
        QVERIFY(!rs.isNull(QStringLiteral("Name")));
        QCOMPARE(rs.field(QStringLiteral("Name")).toString(), QString());
        rs.moveNext();
        QVERIFY(rs.eof());
        rs.moveLast();
        QCOMPARE(rs.field(0).toInt(), 3);
        rs.movePrevious();
        rs.movePrevious();
        QCOMPARE(rs.field(QStringLiteral("T.Id")).toInt(), 1);
        rs.movePrevious();
        QVERIFY(rs.bof());
    }

    void badSqlThrowsWithCodeAndText()
    {
        try {
            DbConnection::execute(QStringLiteral("SELEC nonsense"));
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(e.code, 1);
            QVERIFY(!e.text.isEmpty());
            QVERIFY(e.message().startsWith(QStringLiteral("Error # 1 ")));
        }
    }

    void lastInsertIdIsMaxId()
    {
        for (int i = 0; i < 3; ++i) {
            DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES (?)"), {QStringLiteral("x")});
            QCOMPARE(DbConnection::lastInsertId(),
                     DbConnection::queryValue(QStringLiteral("SELECT Max(Id) FROM T")).toLongLong());
        }
    }

    // A NUL inside a bound value is stored and read back whole.
    void boundValueKeepsNul()
    {
        const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES (?)"), {withNul});
        QCOMPARE(DbConnection::queryValue(QStringLiteral("SELECT Name FROM T")).toString(), withNul);
    }

    void transactionRollsBackUncommitted()
    {
        try {
            DbConnection::Transaction tx;
            DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES ('kept?')"));
            DbConnection::execute(QStringLiteral("INSERT INTO Nope VALUES (1)"));
            tx.commit();
        } catch (const AppError &) {
        }
        QCOMPARE(DbConnection::queryValue(QStringLiteral("SELECT count(*) FROM T")).toInt(), 0);
        // The connection is usable afterwards, and nesting works.
        {
            DbConnection::Transaction outer;
            DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES ('outer')"));
            {
                DbConnection::Transaction inner;
                DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES ('inner')"));
            }
            outer.commit();
        }
        QCOMPARE(DbConnection::queryValue(QStringLiteral("SELECT group_concat(Name) FROM T")).toString(),
                 QStringLiteral("outer"));
    }

    void unitAfterFault_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("unitGoesOn");
        QTest::newRow("refused statement: the unit goes on") << Fault::Constraint << 1555 << true;
        QTest::newRow("injected failure: the unit goes on")
            << Fault::Injected << int(ErrorCode::InjectedFailure) << true;
        QTest::newRow("full database in a savepoint: the unit fails") << Fault::FullDatabase << 13 << false;
        QTest::newRow("file too big at commit: the unit fails") << Fault::FileTooBig << 778 << false;
    }
    // A batch in the form every writer uses: an outer transaction, each item
    // a savepoint, a failing item skipped. When SQLite ends the transaction
    // by itself, the items after the fault must not run in autocommit mode
    // and commit one by one: the whole unit fails with the fault's error,
    // nothing of it stays, and the connection works afterwards.
    void unitAfterFault()
    {
        QFETCH(Fault, fault);
        QFETCH(int, code);
        QFETCH(bool, unitGoesOn);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("rollback failed")));
        insert(QStringLiteral("before"));
        QVector<int> codes;
        std::optional<FileSizeLimit> limit;
        try {
            DbConnection::Transaction batch;
            insert(QStringLiteral("first"), fault == Fault::FileTooBig ? 200000 : 0);
            for (const QString &name : {QStringLiteral("faulty"), QStringLiteral("next")}) {
                try {
                    DbConnection::Transaction item;
                    insert(name);
                    if (name == QLatin1String("faulty"))
                        provoke(fault);
                    item.commit();
                } catch (const AppError &e) {
                    codes.append(e.code);
                }
            }
            if (fault == Fault::FileTooBig)
                limit.emplace(QFileInfo(DbConnection::fileName()).size());
            batch.commit();
        } catch (const AppError &e) {
            codes.append(e.code);
        }
        limit.reset();
        (void)DbConnection::queryValue(QStringLiteral("PRAGMA max_page_count = 1000000"));
        if (unitGoesOn) {
            QCOMPARE(codes, QVector<int>{code});
            QCOMPARE(names(), QStringLiteral("before,first,next"));
        } else {
            // The fault, the item after it, and the commit.
            QCOMPARE(codes, (fault == Fault::FileTooBig ? QVector<int>{code} : QVector<int>{code, code, code}));
            QCOMPARE(names(), QStringLiteral("before"));
        }
        DbConnection::Transaction again;
        insert(QStringLiteral("again"));
        again.commit();
        QVERIFY(names().endsWith(QStringLiteral(",again")));
    }

    // SQLite opens any file; the probe must refuse one that is not a
    // database and leave it as it was.
    // A statement run again with other values gives their rows, and a
    // reader run inside a change holds nothing that would stop its commit,
    // a schema change or closing the connection.
    void statementsRunAgain()
    {
        DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES (?)"), {QStringLiteral("a")});
        DbConnection::execute(QStringLiteral("INSERT INTO T (Name) VALUES (?)"), {QStringLiteral("b")});
        const QString sql = QStringLiteral("SELECT Name FROM T WHERE Id = ?");
        QCOMPARE(DbConnection::queryValue(sql, {1}).toString(), QStringLiteral("a"));
        QCOMPARE(DbConnection::queryValue(sql, {2}).toString(), QStringLiteral("b"));
        QVERIFY(DbConnection::queryValue(sql, {3}).isNull());
        {
            DbConnection::Transaction tx;
            QCOMPARE(DbConnection::OpenRecordset(QStringLiteral("SELECT Id FROM T")).recordCount(), 2);
            DbConnection::execute(QStringLiteral("UPDATE T SET Name = ? WHERE Id = ?"), {QStringLiteral("c"), 1});
            tx.commit();
        }
        DbConnection::execute(QStringLiteral("DROP TABLE T"));
        DbConnection::execute(QStringLiteral("CREATE TABLE T (Id INTEGER PRIMARY KEY, Name TEXT)"));
        QVERIFY(DbConnection::queryValue(sql, {1}).isNull());
        const QString file = DbConnection::fileName();
        DbConnection::close();
        DbConnection::open(file);
        QVERIFY(DbConnection::queryValue(sql, {1}).isNull());
    }

    void notADatabaseIsRefusedUntouched()
    {
        DbConnection::close();
        const QString path = QDir(TestEnvironment::root()).filePath(QStringLiteral("junk.mdb"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray junk(4096, 'x');
        f.write(junk);
        f.close();
        bool thrown = false;
        try {
            DbConnection::open(path);
        } catch (const AppError &e) {
            thrown = true;
            QCOMPARE(e.code, 26);
        }
        QVERIFY(thrown);
        QVERIFY(!DbConnection::isOpen());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), junk);
    }

private:
    static void provoke(Fault fault)
    {
        switch (fault) {
        case Fault::Constraint:
            DbConnection::execute(QStringLiteral("INSERT INTO T (Id, Name) VALUES (1, 'twice')"));
            break;
        case Fault::Injected:
            DbConnection::failAfterStatements(1);
            insert(QStringLiteral("never"));
            break;
        case Fault::FullDatabase:
            limitPages();
            insert(QStringLiteral("big"), 100000);
            break;
        case Fault::FileTooBig:
            break;
        }
    }
};

VLM_TEST_GUILESS_MAIN(DbConnectionTest)
#include "DbConnectionTest.moc"
