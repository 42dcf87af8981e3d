#include "navigation/NavRules.h"

#include "core/RecordId.h"
#include "store/NodeKeys.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtTest>

using namespace RecordFixture;
using NavRules::KeyCommand;

Q_DECLARE_METATYPE(NavRules::KeyCommand)

class NavRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // Which command Insert, Delete and F5 run on a node of the tree or an
    // item of the list.
    void keyCommands_data()
    {
        QTest::addColumn<bool>("inTree");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("nodeKey");
        QTest::addColumn<KeyCommand>("command");
        const int none = Qt::NoModifier;
        const int ins = Qt::Key_Insert;
        const int del = Qt::Key_Delete;
        QTest::newRow("tree Insert on root") << true << ins << none << "ROOT" << KeyCommand::NewCabinet;
        QTest::newRow("tree Insert on cabinet") << true << ins << none << "CAB1" << KeyCommand::CabinetNewDrawer;
        QTest::newRow("tree Insert on drawer") << true << ins << none << "DRW1" << KeyCommand::DrawerNewFolder;
        QTest::newRow("tree Insert on folder") << true << ins << none << "FLD1" << KeyCommand::FolderNewDocument;
        QTest::newRow("tree Insert on found") << true << ins << none << "FCB1" << KeyCommand::None;
        QTest::newRow("tree Delete on root") << true << del << none << "ROOT" << KeyCommand::None;
        QTest::newRow("tree Delete on cabinet") << true << del << none << "CAB1" << KeyCommand::CabinetDelete;
        QTest::newRow("tree Delete on folder") << true << del << none << "FLD1" << KeyCommand::FolderDelete;
        QTest::newRow("tree F5 anywhere") << true << int(Qt::Key_F5) << none << "FDC1" << KeyCommand::Refresh;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("tree Shift+Delete") << true << del << shift << "CAB1" << KeyCommand::CabinetDelete;
        QTest::newRow("tree Shift+Insert") << true << ins << shift << "CAB1" << KeyCommand::CabinetNewDrawer;
        QTest::newRow("tree Shift+F5") << true << int(Qt::Key_F5) << shift << "ROOT" << KeyCommand::Refresh;
        QTest::newRow("list Shift+Insert") << false << ins << shift << "DRW1" << KeyCommand::DrawerNewDrawer;
        QTest::newRow("tree Ctrl+Delete") << true << del << int(Qt::ControlModifier) << "CAB1" << KeyCommand::None;
        QTest::newRow("list Insert on cabinet") << false << ins << none << "CAB1" << KeyCommand::NewCabinet;
        QTest::newRow("list Insert on drawer") << false << ins << none << "DRW1" << KeyCommand::DrawerNewDrawer;
        QTest::newRow("list Insert on folder") << false << ins << none << "FLD1" << KeyCommand::FolderNewFolder;
        QTest::newRow("list Insert on document") << false << ins << none << "DOC1" << KeyCommand::DocumentScanPage;
        QTest::newRow("list Insert on found document") << false << ins << none << "FDC1" << KeyCommand::None;
        QTest::newRow("list Delete on drawer") << false << del << none << "DRW1" << KeyCommand::DrawerDelete;
        QTest::newRow("list F5") << false << int(Qt::Key_F5) << none << "DRW1" << KeyCommand::None;
        QTest::newRow("tree Insert on document") << true << ins << none << "DOC1" << KeyCommand::DocumentNewDocument;
        QTest::newRow("tree Delete on document") << true << del << none << "DOC1" << KeyCommand::DocumentDelete;
        QTest::newRow("tree Delete on drawer") << true << del << none << "DRW1" << KeyCommand::DrawerDelete;
        QTest::newRow("tree Insert on found root") << true << ins << none << "ROOTFOUND" << KeyCommand::None;
        QTest::newRow("tree Delete on found document") << true << del << none << "FDC1" << KeyCommand::None;
        QTest::newRow("list Insert on document") << false << ins << none << "DOC1" << KeyCommand::DocumentScanPage;
        QTest::newRow("list Delete on document") << false << del << none << "DOC1" << KeyCommand::DocumentDelete;
        QTest::newRow("list Delete on cabinet") << false << del << none << "CAB1" << KeyCommand::CabinetDelete;
        QTest::newRow("list Delete on folder") << false << del << none << "FLD1" << KeyCommand::FolderDelete;
        QTest::newRow("list Insert on found document") << false << ins << none << "FDC1" << KeyCommand::None;
        QTest::newRow("list Delete on found folder") << false << del << none << "FFD1" << KeyCommand::None;
        // A text that is no key runs nothing, whatever its first letters.
        QTest::newRow("tree Delete on a malformed cabinet key") << true << del << none << "CABx" << KeyCommand::None;
        QTest::newRow("list Insert on a malformed drawer key") << false << ins << none << "DRW" << KeyCommand::None;
    }
    void keyCommands()
    {
        QFETCH(bool, inTree);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, nodeKey);
        QFETCH(KeyCommand, command);
        QCOMPARE(inTree ? NavRules::treeKeyCommand(key, modifiers, nodeKey)
                        : NavRules::listKeyCommand(key, modifiers, nodeKey),
                 command);
    }

    // The last node of a run is found again through its parents' rows; a
    // row that is gone ends the chain at cabinet 0.
    void restorePlan_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("menu");
        QTest::addColumn<QString>("chain");
        QTest::newRow("cabinet") << "cabinet" << int(NavRules::TypeMenu::Cabinet) << "cabinet";
        QTest::newRow("drawer") << "drawer" << int(NavRules::TypeMenu::Drawer) << "cabinet drawer";
        QTest::newRow("folder") << "folder" << int(NavRules::TypeMenu::Folder) << "cabinet drawer folder";
        QTest::newRow("document") << "document" << int(NavRules::TypeMenu::Document)
                                  << "cabinet drawer folder document";
        QTest::newRow("deleted document") << "DOC4242" << int(NavRules::TypeMenu::Document) << "CAB0 DOC4242";
        QTest::newRow("root") << "ROOT" << int(NavRules::TypeMenu::None) << "";
        QTest::newRow("nonsense") << "XYZ" << int(NavRules::TypeMenu::None) << "";
    }
    void restorePlan()
    {
        QFETCH(QString, which);
        QFETCH(int, menu);
        QFETCH(QString, chain);
        const int c = cabinet("Home");
        const int d = drawer(c, "Bills");
        const int f = folder(d, "Power");
        const int doc = document(f, "March");
        const QHash<QString, QString> keys = {{"cabinet", QStringLiteral("CAB%1").arg(c)},
                                              {"drawer", QStringLiteral("DRW%1").arg(d)},
                                              {"folder", QStringLiteral("FLD%1").arg(f)},
                                              {"document", QStringLiteral("DOC%1").arg(doc)}};
        const NavRules::RestorePlan plan = NavRules::restorePlan(keys.value(which, which));
        QCOMPARE(int(plan.menu), menu);
        QStringList expected;
        for (const QString &w : chain.split(' ', Qt::SkipEmptyParts))
            expected << keys.value(w, w);
        QCOMPARE(plan.chain, expected);
        QCOMPARE(plan.cabinetId, expected.isEmpty() ? 0 : QStringView(expected.first()).mid(3).toLongLong());
        QCOMPARE(NavRules::cabinetOf(keys.value(which, which)), plan.cabinetId);
    }
};

VLM_TEST_GUILESS_MAIN(NavRulesTest)
#include "NavRulesTest.moc"
