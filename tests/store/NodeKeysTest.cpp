#include "store/NodeKeys.h"

#include "core/RecordId.h"
#include "store/Schema.h"

#include <QtTest>

class NodeKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseKey_data()
    {
        // type: as the key's constant writes it, for a valid key; level: a
        // record key's, -1 for none (a found copy, a root, no key).
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("level");
        QTest::addColumn<RecordId>("id");
        QTest::newRow("cabinet") << "CAB12" << true << "CAB" << int(RecordLevel::Cabinet) << RecordId(12);
        QTest::newRow("drawer") << "DRW7" << true << "DRW" << int(RecordLevel::Drawer) << RecordId(7);
        QTest::newRow("folder") << "FLD300" << true << "FLD" << int(RecordLevel::Folder) << RecordId(300);
        QTest::newRow("document past 32 bits") << "DOC4294967297" << true << "DOC" << int(RecordLevel::Document)
                                               << RecordId(4294967297LL);
        QTest::newRow("page past 32 bits") << "PAG4294967297" << true << "PAG" << int(RecordLevel::Page)
                                           << RecordId(4294967297LL);
        QTest::newRow("page, largest id") << "PAG9223372036854775807" << true << "PAG" << int(RecordLevel::Page)
                                          << RecordId(9223372036854775807LL);
        QTest::newRow("root") << "ROOT" << true << "ROOT" << -1 << RecordId(0);
        QTest::newRow("found root") << "ROOTFOUND" << true << "ROOTFOUND" << -1 << RecordId(0);
        QTest::newRow("found cabinet") << "FCB3" << true << "FCB" << -1 << RecordId(3);
        QTest::newRow("found drawer") << "FDW4" << true << "FDW" << -1 << RecordId(4);
        QTest::newRow("found folder") << "FFD5" << true << "FFD" << -1 << RecordId(5);
        QTest::newRow("found document") << "FDC12" << true << "FDC" << -1 << RecordId(12);
        QTest::newRow("found document past 32 bits") << "FDC8589934593" << true << "FDC" << -1
                                                     << RecordId(8589934593LL);
        QTest::newRow("lower-case prefix") << "doc12" << true << "DOC" << int(RecordLevel::Document) << RecordId(12);
        QTest::newRow("lower-case found prefix") << "fdc12" << true << "FDC" << -1 << RecordId(12);
        QTest::newRow("lower-case root") << "root" << true << "ROOT" << -1 << RecordId(0);
        // Texts the old lax reading took for some record (id 0 or the
        // digits it found): each is no key at all.
        QTest::newRow("empty") << "" << false << "" << -1 << RecordId(0);
        QTest::newRow("unknown prefix") << "XYZ12" << false << "" << -1 << RecordId(0);
        QTest::newRow("no id") << "DOC" << false << "" << -1 << RecordId(0);
        QTest::newRow("found prefix without id") << "FDC" << false << "" << -1 << RecordId(0);
        QTest::newRow("letters in id") << "DOC12a" << false << "" << -1 << RecordId(0);
        QTest::newRow("letters in a found id") << "FCB12x" << false << "" << -1 << RecordId(0);
        QTest::newRow("signed id") << "DOC-12" << false << "" << -1 << RecordId(0);
        QTest::newRow("blank in id") << "DOC 12" << false << "" << -1 << RecordId(0);
        QTest::newRow("id beyond 64 bits") << "DOC9223372036854775808" << false << "" << -1 << RecordId(0);
        QTest::newRow("root cut short") << "ROO" << false << "" << -1 << RecordId(0);
        QTest::newRow("root with more") << "ROOT12" << false << "" << -1 << RecordId(0);
    }
    // Every key the program makes reads back to its type and whole id (past
    // 32 bits too) and makes the same key again (its prefix in upper case);
    // only a record's key has a level. Anything else is refused rather than
    // read as some record.
    void parseKey()
    {
        QFETCH(QString, key);
        QFETCH(bool, valid);
        QFETCH(QString, type);
        QFETCH(int, level);
        QFETCH(RecordId, id);
        const std::optional<NodeKeys::NodeKey> parsed = NodeKeys::parseKey(key);
        QCOMPARE(parsed.has_value(), valid);
        QCOMPARE(NodeKeys::typeOf(key), type);
        QCOMPARE(NodeKeys::levelOf(key).has_value(), level >= 0);
        if (!valid) {
            QVERIFY(!NodeKeys::idOfType(key, NodeKeys::Document));
            return;
        }
        QCOMPARE(parsed->type, type);
        QCOMPARE(parsed->id, id);
        QCOMPARE(NodeKeys::idOfType(key, type), std::optional<RecordId>(id));
        QVERIFY(!NodeKeys::idOfType(key, type == NodeKeys::Cabinet ? NodeKeys::Drawer : NodeKeys::Cabinet));
        if (id != 0)
            QCOMPARE(NodeKeys::NavNodeKey(parsed->type, parsed->id), key.toUpper());
        QCOMPARE(parsed->level.has_value(), level >= 0);
        if (level < 0)
            return;
        QCOMPARE(int(*parsed->level), level);
        QVERIFY(NodeKeys::isKeyOf(*parsed->level, key));
        QCOMPARE(NodeKeys::keyOf(*parsed->level, parsed->id), key.toUpper());
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
