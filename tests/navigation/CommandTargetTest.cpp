#include "navigation/CommandTarget.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtTest>

class CommandTargetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data()
    {
        QTest::addColumn<int>("currentId");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("listUnlessTree");
        QTest::addColumn<QString>("treeUnlessList");
        // The current position wins whatever the source.
        QTest::newRow("current, tree") << 5 << "T" << "CAB5" << "CAB5";
        QTest::newRow("current, list") << 5 << "L" << "CAB5" << "CAB5";
        QTest::newRow("none, tree") << -1 << "T" << "CAB1" << "CAB1";
        QTest::newRow("none, list") << -1 << "L" << "CAB2" << "CAB2";
        // From the page pane the two rules part ways.
        QTest::newRow("none, pane") << -1 << "L2" << "CAB2" << "CAB1";
    }
    void rules()
    {
        QFETCH(int, currentId);
        QFETCH(QString, source);
        QFETCH(QString, listUnlessTree);
        QFETCH(QString, treeUnlessList);
        TargetInputs in;
        in.currentId = currentId;
        in.currentKey = currentId == -1 ? QString() : QStringLiteral("CAB%1").arg(currentId);
        in.currentName = "Current";
        in.popupSource = source;
        in.treeKey = "CAB1";
        in.treeText = "Tree";
        in.listKey = "CAB2";
        in.listText = "List";
        QCOMPARE(CommandTargets::listUnlessTree(in).key, listUnlessTree);
        QCOMPARE(CommandTargets::treeUnlessList(in).key, treeUnlessList);
        const CommandTarget t = CommandTargets::listUnlessTree(in);
        QCOMPARE(t.name, t.key == "CAB1" ? QStringLiteral("Tree")
                         : t.key == "CAB2" ? QStringLiteral("List")
                                           : QStringLiteral("Current"));
        QCOMPARE(t.id(), t.key.mid(3).toLongLong());
        QCOMPARE(t.prefix(), QStringLiteral("CAB"));
    }

    void emptySelectionIsNoTarget()
    {
        TargetInputs in;
        in.popupSource = "L";
        QVERIFY(!CommandTargets::listUnlessTree(in).isValid());
    }
};

VLM_TEST_GUILESS_MAIN(CommandTargetTest)
#include "CommandTargetTest.moc"
