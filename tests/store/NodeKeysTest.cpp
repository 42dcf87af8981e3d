#include "store/NodeKeys.h"

#include "core/RecordId.h"
#include "store/Schema.h"

#include <QtTest>

class NodeKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyIds_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<RecordId>("id");
        QTest::newRow("cabinet") << "CAB12" << "CAB" << RecordId(12);
        QTest::newRow("page past 32 bits") << "PAG4294967297" << "PAG" << RecordId(4294967297LL);
        QTest::newRow("document past 32 bits") << "DOC4294967297" << "DOC" << RecordId(4294967297LL);
        QTest::newRow("found document past 32 bits") << "FDC8589934593" << "FDC" << RecordId(8589934593LL);
        QTest::newRow("root") << "ROOT" << "ROO" << RecordId(0);
    }
    // A node key carries the whole id, past 32 bits too, and gives it back.
    void keyIds()
    {
        QFETCH(QString, key);
        QFETCH(QString, prefix);
        QFETCH(RecordId, id);
        QCOMPARE(NodeKeys::prefixOf(key), prefix);
        QCOMPARE(RecordId(NodeKeys::idOf(key)), id);
        if (id != 0)
            QCOMPARE(NodeKeys::NavNodeKey(prefix, id), key);
    }

    void parseKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("level");
        QTest::addColumn<RecordId>("id");
        QTest::newRow("cabinet") << "CAB12" << true << int(RecordLevel::Cabinet) << RecordId(12);
        QTest::newRow("drawer") << "DRW7" << true << int(RecordLevel::Drawer) << RecordId(7);
        QTest::newRow("folder") << "FLD300" << true << int(RecordLevel::Folder) << RecordId(300);
        QTest::newRow("document past 32 bits") << "DOC4294967297" << true << int(RecordLevel::Document)
                                               << RecordId(4294967297LL);
        QTest::newRow("page, largest id") << "PAG9223372036854775807" << true << int(RecordLevel::Page)
                                          << RecordId(9223372036854775807LL);
        QTest::newRow("empty") << "" << false << -1 << RecordId(0);
        QTest::newRow("root") << "ROOT" << false << -1 << RecordId(0);
        QTest::newRow("found root") << "ROOTFOUND" << false << -1 << RecordId(0);
        QTest::newRow("found document") << "FDC12" << false << -1 << RecordId(0);
        QTest::newRow("unknown prefix") << "XYZ12" << false << -1 << RecordId(0);
        QTest::newRow("lower-case prefix") << "doc12" << true << int(RecordLevel::Document) << RecordId(12);
        QTest::newRow("no id") << "DOC" << false << -1 << RecordId(0);
        QTest::newRow("letters in id") << "DOC12a" << false << -1 << RecordId(0);
        QTest::newRow("signed id") << "DOC-12" << false << -1 << RecordId(0);
        QTest::newRow("blank in id") << "DOC 12" << false << -1 << RecordId(0);
        QTest::newRow("id beyond 64 bits") << "DOC9223372036854775808" << false << -1 << RecordId(0);
    }
    // Only a record's key parses, to its level and its whole id, and makes
    // the same key again (its prefix in upper case); anything else is
    // refused rather than read as id 0.
    void parseKey()
    {
        QFETCH(QString, key);
        QFETCH(bool, valid);
        QFETCH(int, level);
        QFETCH(RecordId, id);
        const std::optional<NodeKeys::RecordKey> parsed = NodeKeys::parseKey(key);
        QCOMPARE(parsed.has_value(), valid);
        QCOMPARE(NodeKeys::levelOf(key).has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(int(parsed->level), level);
        QCOMPARE(parsed->id, id);
        QVERIFY(NodeKeys::isKeyOf(parsed->level, key));
        QCOMPARE(NodeKeys::keyOf(parsed->level, parsed->id), key.toUpper());
    }

    // Each level names its own table, columns and key prefix, and its
    // parent is the level above it.
    void levelNames()
    {
        for (RecordLevel level : Schema::AllLevels) {
            QCOMPARE(QString(Schema::idColumn(level)), QString(Schema::tableName(level)) + QStringLiteral("Id"));
            QVERIFY(Schema::levelOfPrefix(Schema::keyPrefix(level)) == level);
            const std::optional<RecordLevel> parent = Schema::parentLevel(level);
            if (!parent) {
                QVERIFY(Schema::parentIdColumn(level).isEmpty());
                continue;
            }
            QCOMPARE(QString(Schema::parentIdColumn(level)), QString(Schema::idColumn(*parent)));
            QVERIFY(Schema::childLevel(*parent) == level);
        }
    }
};

QTEST_GUILESS_MAIN(NodeKeysTest)
#include "NodeKeysTest.moc"
