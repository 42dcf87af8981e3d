#include "navigation/FoundBranch.h"

#include <QCoreApplication>
#include <QtTest>

#include "core/RecordId.h"
#include "tests/support/TestEnvironment.h"

using FindQuery::FoundDocument;

namespace {

FoundDocument doc(RecordId id, const QString &name, int folder, const QString &folderName, int drawer = 1,
                  const QString &drawerName = "Drawer", int cabinet = 1, const QString &cabinetName = "Home")
{
    return {id, name, folder, folderName, drawer, drawerName, cabinet, cabinetName};
}

QStringList keys(const QVector<FoundBranch::Node> &nodes)
{
    QStringList out;
    for (const FoundBranch::Node &n : nodes)
        out.append(n.key);
    return out;
}

} // namespace

class FoundBranchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The tree's order is a language's order; the C locale's collation
    // knows neither case folding nor numbers.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Hits under one folder share its cabinet, drawer and folder nodes; a
    // document found twice is shown once and keeps its first text.
    void groupsUnderSharedAncestors()
    {
        FoundBranch b({doc(10, "Doc 10", 5, "Bills"), doc(2, "doc 2", 5, "Bills"), doc(3, "Zeta", 6, "archive"),
                       doc(10, "renamed", 5, "Bills")});
        QCOMPARE(b.nodeCount(), 1 + 1 + 2 + 3);
        QCOMPARE(b.textOf("FDC10"), QStringLiteral("Doc 10"));
        QCOMPARE(b.parentKeyOf("FCB1"), QStringLiteral("ROOTFOUND"));
        QCOMPARE(b.parentKeyOf("FDC2"), QStringLiteral("FFD5"));
        // The tree's order: case ignored, numbers by value.
        QCOMPARE(keys(b.childrenOf("FDW1")), (QStringList{"FFD6", "FFD5"}));
        QCOMPARE(keys(b.childrenOf("FFD5")), (QStringList{"FDC2", "FDC10"}));
    }

    // Levels come parents first, each with its children's image, so the
    // tree can add them one level at a time under "ROOTFOUND".
    void levelsParentsFirst()
    {
        FoundBranch b({doc(1, "A", 1, "F", 1, "D", 2, "Zeta"), doc(2, "B", 2, "G", 2, "E", 3, "alpha")});
        QStringList order;
        QSet<QString> seen{"ROOTFOUND"};
        for (const FoundBranch::Level &level : b.levels()) {
            QVERIFY2(seen.contains(level.parentKey), qPrintable(level.parentKey));
            for (const FoundBranch::Node &n : level.children)
                seen.insert(n.key);
            order << level.parentKey + ":" + level.iconKey;
        }
        QCOMPARE(order.first(), QStringLiteral("ROOTFOUND:cabinet"));
        QVERIFY(order.contains("FCB2:drawer") && order.contains("FDW1:folder") && order.contains("FFD2:document"));
        QCOMPARE(keys(b.childrenOf("ROOTFOUND")), (QStringList{"FCB3", "FCB2"}));  // alpha, Zeta
        // The level list of "Found": its children with the document image.
        const QVector<FoundBranch::ListRow> rows = b.levelListRows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.first().text, QStringLiteral("alpha"));
        QCOMPARE(rows.first().iconKey, QStringLiteral("document"));
    }

    // Asking after a node that is not there gives nothing, not a failure.
    void missingKeysGiveNothing()
    {
        FoundBranch empty;
        QVERIFY(empty.isEmpty());
        QVERIFY(empty.levels().isEmpty());
        QVERIFY(empty.levelListRows().isEmpty());
        QVERIFY(empty.childrenOf("FFD9").isEmpty());
        QCOMPARE(empty.textOf("FDC9"), QString());
        // Only a node's own key finds it, not its id under another spelling.
        FoundBranch b({doc(12, "Doc", 5, "Bills")});
        QVERIFY(b.contains("FDC12"));
        for (const char *key : {"FDC012", "FDC12x", "DOC12", "FFD12", "ROOTFOUND"})
            QVERIFY2(!b.contains(key) && b.textOf(key).isNull() && b.parentKeyOf(key).isNull(), key);
    }
};

VLM_TEST_GUILESS_MAIN(FoundBranchTest)
#include "FoundBranchTest.moc"
