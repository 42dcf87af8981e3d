#include "navigation/ui/NavTree.h"

#include "navigation/FindQuery.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavLoader.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

using FindQuery::FoundDocument;

namespace {

FindQuery::FindResult found(const QVector<FoundDocument> &documents)
{
    return {int(documents.size()), documents};
}

// Every node below the item, depth first, as "key|text|name|icon key".
void describe(const QTreeWidgetItem *item, QStringList &out)
{
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem *c = item->child(i);
        out << QStringList{NavTree::keyOf(c), c->text(0), c->data(0, NavTree::NameRole).toString(),
                           c->data(0, NavTree::IconKeyRole).toString()}
                   .join('|');
        describe(c, out);
    }
}

} // namespace

// The "Found" branch as the tree holds it after a search.
class NavTreeFoundTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A search's branch carries the same keys, texts, names, images and
    // order, node for node, whether it comes in at once or a level at a
    // time into a branch already there; every node with children is
    // expanded, and the root is selected.
    void branchMatchesLevelByLevel()
    {
        const FindQuery::FindResult result = found({{10, "Doc 10", 5, "Bills", 1, "Drawer", 1, "Home"},
                                                    {2, "doc 2", 5, "Bills", 1, "Drawer", 1, "Home"},
                                                    {3, "Zeta", 6, "archive", 2, "Old", 4, "Attic"}});
        NavTree whole;
        QAbstractItemModelTester tester(whole.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        LevelList list;
        NavLoader(&whole, &list).showFound(result);
        NavTree levels;
        levels.addNode(QString(), "ROOTFOUND", "Found", "found");
        NavLoader(&levels, &list).showFound(result);
        QStringList a, b;
        describe(whole.node("ROOTFOUND"), a);
        describe(levels.node("ROOTFOUND"), b);
        QCOMPARE(a, b);
        QCOMPARE(a.first(), QStringLiteral("FCB4|Attic|Attic|cabinet"));
        QCOMPARE(whole.childKeys("FFD5"), (QStringList{"FDC2", "FDC10"}));
        QCOMPARE(whole.selectedKey(), QStringLiteral("ROOTFOUND"));
        for (const char *key : {"ROOTFOUND", "FCB1", "FDW1", "FFD5", "FFD6"})
            QVERIFY2(whole.node(key)->isExpanded(), key);
        QVERIFY(!whole.node("FDC2")->isExpanded());
        QVERIFY(!whole.node("FDC2")->icon(0).isNull());
        QVERIFY(whole.node("FDC2")->flags() & Qt::ItemIsEditable);
    }

    // A renamed record's found node takes the new text and name, moves to
    // its place and tells the view; the same text again tells it nothing.
    void renameOfFoundNode()
    {
        NavTree tree;
        LevelList list;
        NavLoader loader(&tree, &list);
        loader.showFound(found({{1, "alpha", 5, "Bills", 1, "Drawer", 1, "Home"}, {2, "beta", 5, "Bills", 1, "Drawer", 1, "Home"}}));
        QSignalSpy changed(tree.model(), &QAbstractItemModel::dataChanged);
        loader.showName("DOC1", "omega", QDate());
        QCOMPARE(tree.childKeys("FFD5"), (QStringList{"FDC2", "FDC1"}));
        QCOMPARE(tree.textOf("FDC1"), QStringLiteral("omega"));
        QCOMPARE(tree.nameOf("FDC1"), QStringLiteral("omega"));
        QVERIFY(changed.count() > 0);
        changed.clear();
        QVERIFY(tree.setNodeText("FDC1", "omega", "omega"));
        QCOMPARE(changed.count(), 0);
        tree.setNodeIcon("FDC1", "locked");
        QCOMPARE(tree.iconKeyOf("FDC1"), QStringLiteral("locked"));
        QCOMPARE(changed.count(), 2);  // its image key and its image
    }
};

VLM_TEST_MAIN(NavTreeFoundTest)
#include "NavTreeFoundTest.moc"
