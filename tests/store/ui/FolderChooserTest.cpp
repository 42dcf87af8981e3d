#include "store/ui/frmPathSelect.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

#include <memory>

#include "platform/Settings.h"
#include "store/ui/StorePrompt.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"

using namespace DialogDriver;

namespace {

const QString kSetting = QStringLiteral("PathSelect");
const char *const kChooser = "frmPathSelect";

QLineEdit *pathBox(QWidget *dialog)
{
    return box(dialog, "txtPath");
}

QComboBox *volumes(QWidget *dialog)
{
    return child<QComboBox>(dialog, "drvBox");
}

} // namespace

class FolderChooserTest : public QObject
{
    Q_OBJECT

private:
    QString m_home;
    QString m_a;
    QString m_b;
    std::unique_ptr<FakePrompt> m_prompt;

private Q_SLOTS:
    void initTestCase()
    {
        // The home folder is the default start; keep it inside the test's
        // own folder.
        m_home = TestEnvironment::root() + QStringLiteral("/home");
        m_a = m_home + QStringLiteral("/a");
        m_b = m_home + QStringLiteral("/b b");
        QVERIFY(QDir().mkpath(m_a));
        QVERIFY(QDir().mkpath(m_b + QStringLiteral("/inner")));
        qputenv("HOME", QFile::encodeName(m_home));
        QCOMPARE(QDir::homePath(), m_home);
    }

    void init()
    {
        TestEnvironment::freshDataFolder();
        m_prompt = std::make_unique<FakePrompt>();
    }

    void cleanup() { m_prompt.reset(); }

    // The start folder is the box's text, else the setting, else the home
    // folder; a start folder that does not exist gives the home folder.
    void startFolder_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("shown");
        QTest::newRow("box over setting") << "a" << "b b" << "a";
        QTest::newRow("setting when box empty") << "" << "b b" << "b b";
        QTest::newRow("home without either") << "" << "" << "";
        QTest::newRow("missing box folder") << "missing" << "b b" << "";
        QTest::newRow("missing setting folder") << "" << "missing" << "";
        QTest::newRow("blank box") << "   " << "a" << "a";
    }
    void startFolder()
    {
        QFETCH(QString, box);
        QFETCH(QString, setting);
        QFETCH(QString, shown);
        const auto full = [this](const QString &name) {
            return name.trimmed().isEmpty() ? name : m_home + QLatin1Char('/') + name;
        };
        if (!setting.isEmpty())
            Settings::setValue(kSetting, full(setting));
        QString path = full(box);
        const QString before = path;
        QString start;
        QString volume;
        whenShown(kChooser, [&](QDialog *dialog) {
            start = pathBox(dialog)->text();
            volume = volumes(dialog)->currentData().toString();
            click(dialog, "cmdCancel");
        });
        QVERIFY(!frmPathSelect::SelectPath(nullptr, path));
        QCOMPARE(start, shown.isEmpty() ? m_home : full(shown));
        QCOMPARE(volume, m_home);  // the list entry holding the folder
        QCOMPARE(path, before);
    }

    // OK writes the chosen folder to the box and the setting, whether it
    // was picked in the tree or typed (relative text from home).
    void okWritesBoxAndSetting_data()
    {
        QTest::addColumn<bool>("inTree");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("tree") << true << "" << "b b/inner";
        QTest::newRow("typed absolute") << false << "HOME/b b/" << "b b";
        QTest::newRow("typed relative") << false << "a" << "a";
    }
    void okWritesBoxAndSetting()
    {
        QFETCH(bool, inTree);
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        const QString expected = m_home + QLatin1Char('/') + chosen;
        whenShown(kChooser, [&](QDialog *dialog) {
            if (inTree) {
                auto *tree = dialog->findChild<QTreeView *>(QStringLiteral("dirBox"));
                auto *model = qobject_cast<QFileSystemModel *>(tree->model());
                tree->setCurrentIndex(model->index(expected));
                QCOMPARE(pathBox(dialog)->text(), expected);
            } else {
                pathBox(dialog)->setText(QString(typed).replace(QStringLiteral("HOME"), m_home));
            }
            click(dialog, "cmdOK");
        });
        QString path = m_a;
        QVERIFY(frmPathSelect::SelectPath(nullptr, path));
        QVERIFY(!frmPathSelect::PathSelectCancelled());
        QCOMPARE(path, expected);
        QCOMPARE(Settings::value(kSetting), expected);
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // Cancel, Esc and the window frame change neither the box nor the
    // setting, also after browsing elsewhere.
    void cancelChangesNothing_data() { addCancelRows(); }
    void cancelChangesNothing()
    {
        QFETCH(CancelWay, how);
        Settings::setValue(kSetting, m_b);
        whenShown(kChooser, [&](QDialog *dialog) {
            pathBox(dialog)->setText(m_b);
            cancel(dialog, how, pathBox(dialog));
        });
        QString path = m_a;
        QVERIFY(!frmPathSelect::SelectPath(nullptr, path));
        QVERIFY(frmPathSelect::PathSelectCancelled());
        QCOMPARE(path, m_a);
        QCOMPARE(Settings::value(kSetting), m_b);
    }

    // A typed folder that does not exist is refused; the chooser stays
    // open to correct it.
    void missingTypedFolderRefused()
    {
        bool stillOpen = false;
        whenShown(kChooser, [&](QDialog *dialog) {
            pathBox(dialog)->setText(QStringLiteral("/no/such/folder"));
            click(dialog, "cmdOK");
            stillOpen = dialog->isVisible();
            click(dialog, "cmdCancel");
        });
        QString path;
        QVERIFY(!frmPathSelect::SelectPath(nullptr, path));
        QVERIFY(stillOpen);
        QCOMPARE(m_prompt->messages, QStringList{"The folder '/no/such/folder' does not exist."});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(!Settings::contains(kSetting));
    }

    // The volume list starts with the home folder and offers the root;
    // choosing an entry shows its folder.
    void volumeList()
    {
        QStringList entries;
        QString shown;
        whenShown(kChooser, [&](QDialog *dialog) {
            QComboBox *list = volumes(dialog);
            for (int i = 0; i < list->count(); ++i)
                entries << list->itemData(i).toString();
            const int root = list->findData(QStringLiteral("/"));
            list->setCurrentIndex(root);
            Q_EMIT list->activated(root);
            shown = pathBox(dialog)->text();
            click(dialog, "cmdCancel");
        });
        QString path;
        frmPathSelect::SelectPath(nullptr, path);
        QCOMPARE(entries.value(0), m_home);
        QVERIFY(entries.contains(QStringLiteral("/")));
        QCOMPARE(shown, QStringLiteral("/"));
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // The chooser reopens where the user left it.
    void placementKept()
    {
        Settings::setValue(QStringLiteral("frmPathSelect.Width"), QStringLiteral("510"));
        Settings::setValue(QStringLiteral("frmPathSelect.Height"), QStringLiteral("470"));
        Settings::setValue(QStringLiteral("frmPathSelect.WindowState"), QStringLiteral("0"));
        QSize size;
        whenShown(kChooser, [&](QDialog *dialog) {
            size = dialog->size();
            dialog->resize(530, 480);
            dialog->close();
        });
        QString path;
        frmPathSelect::SelectPath(nullptr, path);
        QCOMPARE(size, QSize(510, 470));
        QCOMPARE(Settings::value(QStringLiteral("frmPathSelect.Width")), QStringLiteral("530"));
        QCOMPARE(Settings::value(QStringLiteral("frmPathSelect.Height")), QStringLiteral("480"));
    }

    // The prompt's folder chooser is this window: it starts at the folder
    // given, OK gives the chosen folder and Cancel gives none.
    void promptRunsChooser()
    {
        StorePrompt prompt;
        QString started;
        whenShown(kChooser, [&](QDialog *dialog) {
            started = pathBox(dialog)->text();
            pathBox(dialog)->setText(m_b);
            click(dialog, "cmdOK");
        });
        QCOMPARE(prompt.chooseFolder(m_a), std::optional<QString>(m_b));
        QCOMPARE(started, m_a);
        whenShown(kChooser, [&](QDialog *dialog) { click(dialog, "cmdCancel"); });
        QCOMPARE(prompt.chooseFolder(m_a), std::optional<QString>());
        QVERIFY(frmPathSelect::PathSelectCancelled());
        QVERIFY(!QApplication::activeModalWidget());
    }
};

VLM_TEST_MAIN(FolderChooserTest)
#include "FolderChooserTest.moc"
