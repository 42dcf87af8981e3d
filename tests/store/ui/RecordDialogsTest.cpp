#include "core/RecordId.h"
#include "store/ui/frmCabinet.h"
#include "store/ui/frmDocument.h"
#include "store/ui/frmDocumentNew.h"
#include "store/ui/frmDrawer.h"
#include "store/ui/frmFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/DrawerTemplates.h"
#include "store/Passwords.h"
#include "store/RecordRules.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingNavigationSink.h"
#include "tests/support/TestEnvironment.h"

using namespace DialogDriver;

namespace {

const QString kInvalid = QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");
const QString kDateMessage = QStringLiteral("Please enter a date (mm/dd/yyyy) or leave blank.");
const QString kInjected = QStringLiteral("Error # %1 Injected failure").arg(int(ErrorCode::InjectedFailure));

// The shared sink records additions; this one records renames too.
class Sink : public RecordingNavigationSink
{
public:
    void UpdateCabinetName(RecordId id, const QString &name) override { rename("cabinet", id, name); }
    void UpdateDrawerName(RecordId id, const QString &name) override { rename("drawer", id, name); }
    void UpdateFolderName(RecordId id, const QString &name) override { rename("folder", id, name); }
    void UpdateDocumentName(RecordId id, const QString &name, const QDate &date) override
    {
        rename(date.isValid() ? "dated document" : "document", id, name);
    }

private:
    void rename(const char *what, RecordId id, const QString &name)
    {
        calls << QStringLiteral("rename %1 %2 %3").arg(QLatin1String(what)).arg(id).arg(name);
    }
};

QPlainTextEdit *descriptionBox(QWidget *dialog)
{
    return child<QPlainTextEdit>(dialog, "txtDescription");
}

QTabWidget *tabs(QWidget *dialog)
{
    return child<QTabWidget>(dialog, "tabMain");
}

QString labelText(QWidget *dialog, const char *name)
{
    return child<QLabel>(dialog, name)->text();
}

QStringList labelTexts(QWidget *dialog, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names)
        texts << labelText(dialog, qPrintable(name));
    return texts;
}

QVariant value(const QString &sql, const QVariantList &binds = {})
{
    return DbConnection::queryValue(sql, binds);
}

using RecordFixture::rowCount;

// The record kinds from the top down; every per-kind list below follows
// this order.
const QStringList kKinds{"cabinet", "drawer", "folder", "document"};

int levelOf(const QString &kind)
{
    return int(kKinds.indexOf(kind));
}

QString tableOf(const QString &kind)
{
    return kind.left(1).toUpper() + kind.mid(1);
}

// The kind as the messages name it.
QString messageWord(const QString &kind)
{
    return kind == QLatin1String("cabinet") ? QStringLiteral("file cabinet") : kind;
}

// The ids a record dialog's command sets: the parent the record goes into
// (a cabinet has none) and, in Edit mode, the record itself.
void setIds(frmCabinet &d, int, RecordId ownId)
{
    d.CabinetId = ownId;
}
void setIds(frmDrawer &d, RecordId parentId, RecordId ownId)
{
    d.CabinetId = parentId;
    d.DrawerId = ownId;
}
void setIds(frmFolder &d, RecordId parentId, RecordId ownId)
{
    d.DrawerId = parentId;
    d.FolderId = ownId;
}
void setIds(frmDocument &d, RecordId parentId, RecordId ownId)
{
    d.FolderId = parentId;
    d.DocumentId = ownId;
}

// A record dialog set up as its command would.
template<class Dialog>
std::unique_ptr<Dialog> makeDialog(const QString &mode, RecordId parentId = -1, RecordId ownId = -1)
{
    auto dialog = std::make_unique<Dialog>();
    dialog->Mode = mode;
    setIds(*dialog, parentId, ownId);
    dialog->UpdateCaption();
    return dialog;
}

// The same, typed as any record dialog, for the table below.
template<class Dialog>
std::unique_ptr<QDialog> makeRecordDialog(const QString &mode, RecordId parentId, RecordId ownId)
{
    return makeDialog<Dialog>(mode, parentId, ownId);
}

// Each kind's dialog: its objectName, the dialog set up as above, and the
// New and Properties commands that open it.
struct KindDialog
{
    const char *name;
    std::unique_ptr<QDialog> (*make)(const QString &mode, RecordId parentId, RecordId ownId);
    bool (*add)(QWidget *parent, RecordId parentId);
    bool (*edit)(QWidget *parent, RecordId id);
};

const KindDialog kDialogs[] = {
    {"frmCabinet", &makeRecordDialog<frmCabinet>, [](QWidget *parent, RecordId) { return frmCabinet::addCabinet(parent); },
     &frmCabinet::editCabinet},
    {"frmDrawer", &makeRecordDialog<frmDrawer>, &frmDrawer::addDrawer, &frmDrawer::editDrawer},
    {"frmFolder", &makeRecordDialog<frmFolder>, &frmFolder::addFolder, &frmFolder::editFolder},
    {"frmDocument", &makeRecordDialog<frmDocument>, &frmDocument::addDocument, &frmDocument::editDocument},
};

const KindDialog &dialogOf(const QString &kind)
{
    return kDialogs[levelOf(kind)];
}

// One record of each level: cabinet "Home" > drawer "Bills" > folder "Tax"
// > document "Letter", and a sibling of each ("Other").
struct SeedRecords
{
    int cabinet, drawer, folder, document;
    int otherCabinet, otherDrawer, otherFolder, otherDocument;

    static SeedRecords make()
    {
        SeedRecords r;
        r.cabinet = RecordFixture::cabinet("Home");
        r.drawer = RecordFixture::drawer(r.cabinet, "Bills");
        r.folder = RecordFixture::folder(r.drawer, "Tax");
        r.document = RecordFixture::document(r.folder, "Letter");
        r.otherCabinet = RecordFixture::cabinet("Other");
        r.otherDrawer = RecordFixture::drawer(r.cabinet, "Other");
        r.otherFolder = RecordFixture::folder(r.drawer, "Other");
        r.otherDocument = RecordFixture::document(r.folder, "Other");
        return r;
    }
    // The parent a new record of the kind goes into.
    RecordId parentFor(const QString &kind) const { return QList<int>{0, cabinet, drawer, folder}.at(levelOf(kind)); }
    RecordId own(const QString &kind) const { return QList<int>{cabinet, drawer, folder, document}.at(levelOf(kind)); }
    RecordId other(const QString &kind) const
    {
        return QList<int>{otherCabinet, otherDrawer, otherFolder, otherDocument}.at(levelOf(kind));
    }
};

QString nameOf(const QString &kind, RecordId id)
{
    return value(QStringLiteral("SELECT Name FROM %1 WHERE %1Id = ?").arg(tableOf(kind)), {id}).toString();
}

void addKinds()
{
    QTest::addColumn<QString>("kind");
    for (const QString &kind : kKinds)
        QTest::newRow(qPrintable(kind)) << kind;
}

} // namespace

class RecordDialogsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakePrompt> m_prompt;
    std::unique_ptr<Sink> m_sink;

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        DrawerTemplates::LoadDrawerTemplateNames();
        m_prompt = std::make_unique<FakePrompt>();
        m_sink = std::make_unique<Sink>();
    }

    void cleanup()
    {
        m_sink.reset();
        m_prompt.reset();
        DbConnection::failAfterStatements(0);
        QLocale::setDefault(QLocale::c());
    }

    // Add mode offers no Statistics tab; Edit mode names the record's id.
    void captions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("caption");
        QTest::newRow("cabinet add") << "cabinet" << "Add" << "Add File Cabinet";
        QTest::newRow("cabinet edit") << "cabinet" << "Edit" << "File Cabinet Properties (42)";
        QTest::newRow("drawer add") << "drawer" << "Add" << "Add Drawer";
        QTest::newRow("drawer edit") << "drawer" << "Edit" << "Drawer Properties (42)";
        QTest::newRow("folder add") << "folder" << "Add" << "Add Folder";
        QTest::newRow("folder edit") << "folder" << "Edit" << "Folder Properties (42)";
        QTest::newRow("document add") << "document" << "Add" << "Add Document";
        QTest::newRow("document edit") << "document" << "Edit" << "Document Properties (42)";
    }
    void captions()
    {
        QFETCH(QString, kind);
        QFETCH(QString, mode);
        QFETCH(QString, caption);
        std::unique_ptr<QDialog> dialog = dialogOf(kind).make(mode, 1, 42);
        QCOMPARE(dialog->windowTitle(), caption);
        QTabWidget *t = tabs(dialog.get());
        QCOMPARE(t->tabText(t->count() - 1), QStringLiteral("Statistics"));
        QCOMPARE(t->isTabVisible(t->count() - 1), mode == QLatin1String("Edit"));
    }

    // The name box takes the first keystrokes.
    void nameBoxFocusedFirst_data() { addKinds(); }
    void nameBoxFocusedFirst()
    {
        QFETCH(QString, kind);
        std::unique_ptr<QDialog> dialog = dialogOf(kind).make("Add", 1, -1);
        QVERIFY(showActive(dialog.get()));
        QCOMPARE(QApplication::focusWidget(), box(dialog.get(), "txtName"));
    }

    // A new record is saved with its name trimmed, quotes and non-Latin
    // text intact, and appears in the tree under its parent.
    void addSavesAndMirrors_data() { addKinds(); }
    void addSavesAndMirrors()
    {
        QFETCH(QString, kind);
        const SeedRecords r = SeedRecords::make();
        const int parent = r.parentFor(kind);
        const QString description = QStringLiteral("It's \"quoted\"\nΩμέγα 漢字");
        QString shownName;
        whenShown(dialogOf(kind).name, [&](QDialog *dialog) {
            typeText(box(dialog, "txtName"), QStringLiteral("  O'Brien Ωμέγα 漢字  "));
            descriptionBox(dialog)->setPlainText(description);
            click(dialog, "cmdOK");
            shownName = box(dialog, "txtName")->text();
        });
        QVERIFY(dialogOf(kind).add(nullptr, parent));
        QVERIFY(m_prompt->messages.isEmpty());
        QCOMPARE(shownName, QStringLiteral("O'Brien Ωμέγα 漢字"));
        const RecordId id = value(QStringLiteral("SELECT Max(%1Id) FROM %1").arg(tableOf(kind))).toLongLong();
        QCOMPARE(nameOf(kind, id), QStringLiteral("O'Brien Ωμέγα 漢字"));
        QCOMPARE(value(QStringLiteral("SELECT Description FROM %1 WHERE %1Id = ?").arg(tableOf(kind)), {id})
                     .toString(),
                 description);
        QCOMPARE(m_sink->calls, QStringList{QStringLiteral("%1 %2/%3 O'Brien Ωμέγα 漢字").arg(kind).arg(parent).arg(id)});
    }

    // The name is checked for characters first, then for emptiness, then
    // (except for documents) for a sibling of that name in any letter case.
    // The dialog stays open with the name box focused.
    void nameRefusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        for (const QString &kind : kKinds) {
            const QString required = QStringLiteral("A %1 name is required.").arg(messageWord(kind));
            QTest::addRow("%s full stop", qPrintable(kind)) << kind << " a.b " << kInvalid << " a.b ";
            QTest::addRow("%s pipe", qPrintable(kind)) << kind << "a|b" << kInvalid << "a|b";
            QTest::addRow("%s blank", qPrintable(kind)) << kind << "    " << required << "";
        }
        QTest::newRow("cabinet duplicate") << "cabinet" << " hOME " << "A file cabinet named 'hOME' already exists."
                                           << "hOME";
        QTest::newRow("drawer duplicate") << "drawer" << "BILLS" << "A drawer named 'BILLS' already exists." << "BILLS";
        QTest::newRow("folder duplicate") << "folder" << "tax" << "A folder named 'tax' already exists." << "tax";
        QTest::newRow("cabinet invisible") << "cabinet" << QStringLiteral(" \u200B\u0000 ")
                                           << "A file cabinet name is required." << QStringLiteral("\u200B\u0000");
    }
    void nameRefusals()
    {
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        const SeedRecords r = SeedRecords::make();
        const int before = rowCount(tableOf(kind));
        std::unique_ptr<QDialog> dialog = dialogOf(kind).make("Add", r.parentFor(kind), -1);
        QVERIFY(showActive(dialog.get()));
        box(dialog.get(), "txtName")->setText(typed);
        click(dialog.get(), "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{message});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(dialog->isVisible());
        QCOMPARE(box(dialog.get(), "txtName")->text(), shown);
        QCOMPARE(QApplication::focusWidget(), box(dialog.get(), "txtName"));
        QCOMPARE(rowCount(tableOf(kind)), before);
        QVERIFY(m_sink->calls.isEmpty());
    }

    // The name and password checks run on the Cabinet tab even when OK is
    // pressed while another tab shows; the box to correct takes the focus.
    // A password character beyond Latin-1 cannot be scrambled.
    void cabinetTabRefusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focusBox");
        QTest::newRow("blank name") << "" << "" << "A file cabinet name is required." << "txtName";
        QTest::newRow("password beyond Latin-1") << "Safe" << "Ωmega" << RecordRules::passwordCharactersMessage()
                                                 << "txtPassword";
    }
    void cabinetTabRefusals()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focusBox);
        const auto owner = makeDialog<frmCabinet>("Add");
        frmCabinet *dialog = owner.get();
        QVERIFY(showActive(dialog));
        box(dialog, "txtName")->setText(name);
        box(dialog, "txtPassword")->setText(password);
        tabs(dialog)->setCurrentIndex(1);
        click(dialog, "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{message});
        QCOMPARE(tabs(dialog)->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), box(dialog, qPrintable(focusBox)));
        QCOMPARE(rowCount("Cabinet"), 0);
    }

    // Uniqueness is per parent: the same name in another parent is fine,
    // and documents of one folder may share a name.
    void sameNameElsewhereAccepted_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("drawer in another cabinet") << "drawer" << "BILLS";
        QTest::newRow("folder in another drawer") << "folder" << "TAX";
        QTest::newRow("document in the same folder") << "document" << "LETTER";
    }
    void sameNameElsewhereAccepted()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        const SeedRecords r = SeedRecords::make();
        int parent = r.folder;  // documents: the same folder
        if (kind == QLatin1String("drawer"))
            parent = r.otherCabinet;
        else if (kind == QLatin1String("folder"))
            parent = r.otherDrawer;
        std::unique_ptr<QDialog> dialog = dialogOf(kind).make("Add", parent, -1);
        QVERIFY(showActive(dialog.get()));
        box(dialog.get(), "txtName")->setText(name);
        click(dialog.get(), "cmdOK");
        QVERIFY(m_prompt->messages.isEmpty());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(value(QStringLiteral("SELECT Count(*) FROM %1 WHERE Name = ?").arg(tableOf(kind)), {name}).toInt(), 2);
    }

    // In Edit mode a record keeps its own name (any letter case) but may
    // not take a sibling's; the rename reaches the tree.
    void editRenames_data() { addKinds(); }
    void editRenames()
    {
        QFETCH(QString, kind);
        const SeedRecords r = SeedRecords::make();
        const RecordId id = r.own(kind);
        const QString upper = nameOf(kind, id).toUpper();
        QStringList seen;
        const bool unique = kind != QLatin1String("document");  // documents may share names
        whenShown(dialogOf(kind).name, [&](QDialog *dialog) {
            seen << box(dialog, "txtName")->text();
            if (unique) {
                box(dialog, "txtName")->setText(QStringLiteral("oTHER"));
                click(dialog, "cmdOK");
                seen << m_prompt->messages.value(0);
            }
            box(dialog, "txtName")->setText(upper);
            click(dialog, "cmdOK");
        });
        QVERIFY(dialogOf(kind).edit(nullptr, id));
        QCOMPARE(seen.value(0), upper.left(1) + upper.mid(1).toLower());
        if (unique) {
            QCOMPARE(seen.value(1), QStringLiteral("A %1 named 'oTHER' already exists.").arg(messageWord(kind)));
        }
        QCOMPARE(nameOf(kind, id), upper);
        QCOMPARE(nameOf(kind, r.other(kind)), QStringLiteral("Other"));
        QCOMPARE(m_sink->calls.last(), QStringLiteral("rename %1 %2 %3").arg(kind).arg(id).arg(upper));
    }

    // Cancel, Esc and the window frame write nothing and tell the tree
    // nothing.
    void cancelWritesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<CancelWay>("how");
        for (const QString &kind : kKinds) {
            for (const CancelWayRow &row : kCancelWays)
                QTest::addRow("%s %s", qPrintable(kind), row.name) << kind << row.way;
        }
    }
    void cancelWritesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(CancelWay, how);
        const SeedRecords r = SeedRecords::make();
        whenShown(dialogOf(kind).name, [how](QDialog *dialog) {
            box(dialog, "txtName")->setText(QStringLiteral("Changed"));
            cancel(dialog, how, box(dialog, "txtName"));
        });
        QVERIFY(!dialogOf(kind).edit(nullptr, r.own(kind)));
        QVERIFY(nameOf(kind, r.own(kind)) != QLatin1String("Changed"));
        QVERIFY(m_sink->calls.isEmpty());
    }

    // A failing statement is shown as "Error # ..." and the dialog stays
    // open with what was typed; a second OK then saves. Drawers, folders
    // and documents first look up their parent, cabinets, drawers and
    // folders then run the duplicate query, so each of these and the insert
    // are broken in turn.
    void databaseFailureKeepsDialog_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("failingStatement");
        QTest::newRow("cabinet duplicate query") << "cabinet" << 1;
        QTest::newRow("cabinet insert") << "cabinet" << 2;
        for (const char *kind : {"drawer", "folder"}) {
            QTest::addRow("%s parent look-up", kind) << QString::fromLatin1(kind) << 1;
            QTest::addRow("%s duplicate query", kind) << QString::fromLatin1(kind) << 2;
            QTest::addRow("%s insert", kind) << QString::fromLatin1(kind) << 3;
        }
        QTest::newRow("document parent look-up") << "document" << 1;
        QTest::newRow("document insert") << "document" << 2;
    }
    void databaseFailureKeepsDialog()
    {
        QFETCH(QString, kind);
        QFETCH(int, failingStatement);
        const SeedRecords r = SeedRecords::make();
        const int before = rowCount(tableOf(kind));
        std::unique_ptr<QDialog> dialog = dialogOf(kind).make("Add", r.parentFor(kind), -1);
        QVERIFY(showActive(dialog.get()));
        box(dialog.get(), "txtName")->setText(QStringLiteral("Kept 'Ω'"));
        descriptionBox(dialog.get())->setPlainText(QStringLiteral("typed"));
        DbConnection::failAfterStatements(failingStatement);
        click(dialog.get(), "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{kInjected});
        QVERIFY(dialog->isVisible());
        QCOMPARE(box(dialog.get(), "txtName")->text(), QStringLiteral("Kept 'Ω'"));
        QCOMPARE(descriptionBox(dialog.get())->toPlainText(), QStringLiteral("typed"));
        QCOMPARE(rowCount(tableOf(kind)), before);
        QVERIFY(m_sink->calls.isEmpty());
        click(dialog.get(), "cmdOK");
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(rowCount(tableOf(kind)), before + 1);
        QCOMPARE(m_sink->calls.size(), 1);
    }

    // Each box takes no more than its column holds.
    void maximumLengths_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<int>("limit");
        for (const char *kind : {"cabinet", "drawer", "folder", "document"})
            QTest::addRow("%s name", kind) << QString::fromLatin1(kind) << "txtName" << 80;
        QTest::newRow("storage path") << "cabinet" << "txtSaveTo" << 250;
        QTest::newRow("password") << "cabinet" << "txtPassword" << 10;
        QTest::newRow("e-mail") << "folder" << "txtEmail" << 100;
        QTest::newRow("date") << "document" << "txtDateOnDocument" << 20;
        QTest::newRow("amount") << "document" << "txtAmount" << 20;
    }
    void maximumLengths()
    {
        QFETCH(QString, kind);
        QFETCH(QString, boxName);
        QFETCH(int, limit);
        std::unique_ptr<QDialog> dialog = dialogOf(kind).make("Add", 1, -1);
        QVERIFY(showActive(dialog.get()));
        if (auto *own = dialog->findChild<QRadioButton *>(QStringLiteral("optStorage1")))
            own->setChecked(true);
        QLineEdit *edit = box(dialog.get(), qPrintable(boxName));
        QTest::keyClicks(edit, QString(limit + 5, QLatin1Char('7')));
        QCOMPARE(edit->text().size(), limit);
    }

    // Option 1 with a blank path, or one that no longer fits the column
    // once made absolute, is refused on the Storage tab with the path box
    // focused; a corrected path is saved as the cabinet's own store, made
    // absolute.
    void storagePathRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank") << "   " << "A storage path is required.";
        QTest::newRow("leading blank") << " /srv/scans" << RecordRules::storagePathBlankStartMessage();
        QTest::newRow("too long once absolute") << QString(250, QLatin1Char('x'))
                                                << RecordRules::storagePathTooLongMessage();
        // "%" stands for the data folder.
        using Place = PageFileScope::Place;
        QTest::newRow("data folder") << "%" << RecordRules::storagePlaceMessage(Place::DataFolder);
        QTest::newRow("holding the data folder") << "%/.." << RecordRules::storagePlaceMessage(Place::HoldsDataFolder);
        QTest::newRow("Pages folder") << "%/Pages" << RecordRules::storagePlaceMessage(Place::PagesFolder);
        QTest::newRow("Thumbs folder") << "%/Thumbs" << RecordRules::storagePlaceMessage(Place::ThumbsFolder);
        QTest::newRow("home folder") << "~" << RecordRules::storagePlaceMessage(Place::HomeFolder);
    }
    void storagePathRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        path.replace("%", DataFolder::path());
        const auto owner = makeDialog<frmCabinet>("Add");
        frmCabinet *dialog = owner.get();
        QVERIFY(showActive(dialog));
        box(dialog, "txtName")->setText("Scans");
        click(dialog, "optStorage1");
        QVERIFY(box(dialog, "txtSaveTo")->isEnabled());
        QVERIFY(child<QPushButton>(dialog, "cmdBrowse")->isEnabled());
        box(dialog, "txtSaveTo")->setText(path);
        click(dialog, "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{message});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QCOMPARE(tabs(dialog)->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), box(dialog, "txtSaveTo"));
        QCOMPARE(box(dialog, "txtSaveTo")->text(), path);
        QCOMPARE(rowCount("Cabinet"), 0);

        box(dialog, "txtSaveTo")->setText("scans/2024");
        click(dialog, "cmdOK");
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const QString absolute = QDir::homePath() + "/scans/2024";
        QCOMPARE(box(dialog, "txtSaveTo")->text(), absolute);
        QCOMPARE(value("SELECT Storage FROM Cabinet").toInt(), 1);
        QCOMPARE(value("SELECT StoragePath FROM Cabinet").toString(), absolute);
    }

    // Switching back to the default store disables the path box and Browse
    // and saves Storage 0 with the old path text kept.
    void defaultStorageKeepsPath()
    {
        const RecordId id = Records::insertCabinet({"Own", "", "", true, "/srv/own"});
        whenShown("frmCabinet", [](QDialog *dialog) {
            QVERIFY(child<QRadioButton>(dialog, "optStorage1")->isChecked());
            QCOMPARE(box(dialog, "txtSaveTo")->text(), QStringLiteral("/srv/own"));
            click(dialog, "optStorage0");
            QVERIFY(!box(dialog, "txtSaveTo")->isEnabled());
            QVERIFY(!child<QPushButton>(dialog, "cmdBrowse")->isEnabled());
            click(dialog, "cmdOK");
        });
        QVERIFY(frmCabinet::editCabinet(nullptr, id));
        QCOMPARE(value("SELECT Storage FROM Cabinet WHERE CabinetId = ?", {id}).toInt(), 0);
        QCOMPARE(value("SELECT StoragePath FROM Cabinet WHERE CabinetId = ?", {id}).toString(), QStringLiteral("/srv/own"));
    }

    // A path too long for the column, chosen while the cabinet's own store
    // was selected, is refused just the same once the default store is
    // selected again: nothing is stored and the path stays in the box.
    void defaultStorageRefusesLongPath()
    {
        const QString deep = QLatin1Char('/') + QString(269, QLatin1Char('d'));
        m_prompt->folders = {deep};
        const auto owner = makeDialog<frmCabinet>("Add");
        frmCabinet *dialog = owner.get();
        QVERIFY(showActive(dialog));
        box(dialog, "txtName")->setText("Scans");
        click(dialog, "optStorage1");
        click(dialog, "cmdBrowse");
        QCOMPARE(box(dialog, "txtSaveTo")->text(), deep);
        click(dialog, "optStorage0");
        click(dialog, "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{RecordRules::storagePathTooLongMessage()});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QCOMPARE(tabs(dialog)->currentIndex(), 1);
        QCOMPARE(box(dialog, "txtSaveTo")->text(), deep);
        QCOMPARE(rowCount("Cabinet"), 0);
        QVERIFY(dialog->isVisible());
    }

    // Browse hands the path box to the folder chooser: a chosen folder
    // replaces the text, a cancelled choice keeps it. A folder whose path is
    // longer than the column is shown whole and refused, not stored cut.
    void browseFillsPath()
    {
        const QString deep = QLatin1Char('/') + QString(300, QLatin1Char('d'));
        m_prompt->folders = {QStringLiteral("/chosen/path"), std::nullopt, deep};
        const QStringList &offered = m_prompt->folderStarts;
        const auto owner = makeDialog<frmCabinet>("Add");
        frmCabinet *dialog = owner.get();
        QVERIFY(showActive(dialog));
        click(dialog, "optStorage1");
        box(dialog, "txtSaveTo")->setText("/old");
        click(dialog, "cmdBrowse");
        QCOMPARE(box(dialog, "txtSaveTo")->text(), QStringLiteral("/chosen/path"));
        click(dialog, "cmdBrowse");
        QCOMPARE(box(dialog, "txtSaveTo")->text(), QStringLiteral("/chosen/path"));
        QCOMPARE(offered, (QStringList{"/old", "/chosen/path"}));

        box(dialog, "txtName")->setText("Deep");
        click(dialog, "cmdBrowse");
        QCOMPARE(box(dialog, "txtSaveTo")->text(), deep);
        click(dialog, "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{RecordRules::storagePathTooLongMessage()});
        QCOMPARE(box(dialog, "txtSaveTo")->text(), deep);
        QVERIFY(dialog->isVisible());
        QCOMPARE(rowCount("Cabinet"), 0);
    }

    // A stored value longer than its box takes from the keyboard (a name
    // from an edited outline, a crafted database) is shown whole, and OK
    // refuses it with the box focused instead of saving it cut.
    void storedValueTooLongRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("message");
        const QString name(120, QLatin1Char('n'));
        for (const QString &kind : kKinds) {
            QTest::addRow("%s name", qPrintable(kind))
                << kind << "Name" << name << "txtName"
                << QStringLiteral("A %1 name may hold at most 80 characters.").arg(messageWord(kind));
        }
        QTest::newRow("password") << "cabinet" << "Password" << "Secret78901" << "txtPassword"
                                  << RecordRules::passwordTooLongMessage();
        QTest::newRow("storage path") << "cabinet" << "StoragePath" << "/" + QString(260, QLatin1Char('s'))
                                      << "txtSaveTo" << RecordRules::storagePathTooLongMessage();
        QTest::newRow("e-mail") << "folder" << "Email" << QString(150, QLatin1Char('e')) + "@x" << "txtEmail"
                                << RecordRules::emailTooLongMessage();
    }
    void storedValueTooLongRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, column);
        QFETCH(QString, stored);
        QFETCH(QString, boxName);
        QFETCH(QString, message);
        const SeedRecords r = SeedRecords::make();
        const RecordId id = r.own(kind);
        const QString table = tableOf(kind);
        const bool password = column == QLatin1String("Password");
        DbConnection::execute(QStringLiteral("UPDATE %1 SET [%2] = ? WHERE %1Id = ?").arg(table, column),
                              {password ? Passwords::ScramblePassword(stored) : stored, id});
        if (column == QLatin1String("StoragePath"))
            DbConnection::execute("UPDATE Cabinet SET Storage = 1 WHERE CabinetId = ?", {id});
        if (password)
            m_prompt->passwords << stored;
        QString shown;
        bool stayedOpen = false;
        bool focused = false;
        whenShown(dialogOf(kind).name, [&](QDialog *dialog) {
            shown = box(dialog, qPrintable(boxName))->text();
            click(dialog, "cmdOK");
            stayedOpen = dialog->isVisible();
            focused = dialog->focusWidget() == box(dialog, qPrintable(boxName));
            click(dialog, "cmdCancel");
        });
        QVERIFY(!dialogOf(kind).edit(nullptr, id));
        QCOMPARE(shown, stored);
        QCOMPARE(m_prompt->messages, QStringList{message});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
        QVERIFY(stayedOpen);
        QVERIFY(focused);
        const QVariant now = value(QStringLiteral("SELECT [%2] FROM %1 WHERE %1Id = ?").arg(table, column), {id});
        QCOMPARE(password ? Passwords::UnscramblePassword(now.toString()) : now.toString(), stored);
        QVERIFY(m_sink->calls.isEmpty());
    }

    // A dialog whose parent (Add) or own record (Edit) was deleted while it
    // was open says so and writes nothing.
    void goneRecordWritesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("goneKind");
        QTest::newRow("drawer into gone cabinet") << "drawer" << "Add" << "cabinet";
        QTest::newRow("folder into gone drawer") << "folder" << "Add" << "drawer";
        QTest::newRow("document into gone folder") << "document" << "Add" << "folder";
        for (const QString &kind : kKinds)
            QTest::addRow("gone %s edited", qPrintable(kind)) << kind << "Edit" << kind;
    }
    void goneRecordWritesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, mode);
        QFETCH(QString, goneKind);
        const SeedRecords r = SeedRecords::make();
        const bool add = mode == QLatin1String("Add");
        std::unique_ptr<QDialog> dialog =
            dialogOf(kind).make(mode, r.parentFor(kind), add ? -1 : r.own(kind));
        QVERIFY(showActive(dialog.get()));
        box(dialog.get(), "txtName")->setText(QStringLiteral("Fresh"));
        DbConnection::execute(QStringLiteral("DELETE FROM %1 WHERE %1Id = ?").arg(tableOf(goneKind)),
                              {r.own(goneKind)});
        const int before = rowCount(tableOf(kind));
        click(dialog.get(), "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{QStringLiteral("Error # %1 The %2 no longer exists; nothing was saved.")
                                                     .arg(int(ErrorCode::RecordMissing))
                                                     .arg(messageWord(goneKind))});
        QCOMPARE(m_prompt->kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Error});
        QVERIFY(dialog->isVisible());
        QCOMPARE(rowCount(tableOf(kind)), before);
        QCOMPARE(value(QStringLiteral("SELECT Count(*) FROM %1 WHERE Name = 'Fresh'").arg(tableOf(kind))).toInt(), 0);
        QVERIFY(m_sink->calls.isEmpty());
    }

    // Passwords round-trip through the dialogs: ten characters, empty, and
    // one whose scramble holds NUL. The box shows what the user typed.
    void passwordRoundTrip_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("ten characters") << "Secret7890";
        QTest::newRow("empty") << "";
        QTest::newRow("scrambles to NUL") << "ìabc";
    }
    void passwordRoundTrip()
    {
        QFETCH(QString, password);
        whenShown("frmCabinet", [&](QDialog *dialog) {
            box(dialog, "txtName")->setText("Safe");
            typeText(box(dialog, "txtPassword"), password);
            QCOMPARE(box(dialog, "txtPassword")->echoMode(), QLineEdit::Normal);
            click(dialog, "cmdOK");
        });
        QVERIFY(frmCabinet::addCabinet(nullptr));
        const RecordId id = value("SELECT Max(CabinetId) FROM Cabinet").toLongLong();
        const QVariant stored = value("SELECT [Password] FROM Cabinet WHERE CabinetId = ?", {id});
        QVERIFY(!stored.isNull());
        QCOMPARE(stored.toString(), Passwords::ScramblePassword(password));
        QCOMPARE(stored.toString().isEmpty(), password.isEmpty());

        // The owner opens it in this run (unlocked), sees the password, and
        // saving again leaves it as it was.
        if (!password.isEmpty())
            m_prompt->passwords << password;
        QString shown;
        whenShown("frmCabinet", [&](QDialog *dialog) {
            shown = box(dialog, "txtPassword")->text();
            click(dialog, "cmdOK");
        });
        QVERIFY(frmCabinet::editCabinet(nullptr, id));
        QCOMPARE(shown, password);
        QCOMPARE(value("SELECT [Password] FROM Cabinet WHERE CabinetId = ?", {id}).toString(),
                 Passwords::ScramblePassword(password));
    }

    // The dialog shows a password in clear, so a locked cabinet's
    // properties need the password first; Cancel there opens nothing.
    void lockedCabinetAsksFirst()
    {
        const RecordId id = RecordFixture::cabinet("Locked", "pw");
        m_prompt->passwords << std::nullopt;
        QVERIFY(!frmCabinet::editCabinet(nullptr, id));
        QCOMPARE(m_prompt->passwordPrompts, 1);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // An empty record shows zeros on every Statistics tab.
    void emptyStatistics_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("cabinet") << "cabinet"
                                 << QStringList{"lblDRWCount", "lblFLDCount", "lblDOCCount", "lblPAGCount",
                                                "lblTTLAmount", "lblByteCount"}
                                 << QStringList{"0", "0", "0", "0", "$0.00", "0 bytes"};
        QTest::newRow("drawer") << "drawer"
                                << QStringList{"lblFLDCount", "lblDOCCount", "lblPAGCount", "lblTTLAmount", "lblByteCount"}
                                << QStringList{"0", "0", "0", "$0.00", "0 bytes"};
        QTest::newRow("folder") << "folder" << QStringList{"lblDOCCount", "lblPAGCount", "lblTTLAmount", "lblByteCount"}
                                << QStringList{"0", "0", "$0.00", "0 bytes"};
        QTest::newRow("document") << "document" << QStringList{"lblPAGCount", "lblByteCount"}
                                  << QStringList{"0", "0 bytes"};
    }
    void emptyStatistics()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, texts);
        const int cabinet = RecordFixture::cabinet("Empty");
        RecordId id = cabinet;
        if (kind != QLatin1String("cabinet"))
            id = RecordFixture::drawer(cabinet, "D");
        if (kind == QLatin1String("folder") || kind == QLatin1String("document"))
            id = RecordFixture::folder(id, "F");
        if (kind == QLatin1String("document"))
            id = RecordFixture::document(id, "X");
        std::unique_ptr<QDialog> dialog = dialogOf(kind).make("Edit", 0, id);
        QVERIFY(showActive(dialog.get()));
        tabs(dialog.get())->setCurrentIndex(tabs(dialog.get())->count() - 1);
        QCOMPARE(labelTexts(dialog.get(), labels), texts);
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // Totals use thousands separators, a byte sum beyond 2^31 included, and
    // are computed once per opening, on the first visit of the tab.
    void statisticsFilledOnce()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const int cabinet = RecordFixture::cabinet("Full");
        const int drawer = RecordFixture::drawer(cabinet, "D");
        const int folder = RecordFixture::folder(drawer, "F");
        const int document = RecordFixture::insert("INSERT INTO Document (FolderId, Name, Amount) VALUES (?, 'X', ?)",
                                                   {folder, 1234.5});
        RecordFixture::insert("INSERT INTO Page (DocumentId, PageNumber, FileSize) VALUES (?, 1, ?)",
                              {document, 3000000000LL});
        const auto owner = makeDialog<frmCabinet>("Edit", -1, cabinet);
        frmCabinet *dialog = owner.get();
        QVERIFY(showActive(dialog));
        QCOMPARE(labelText(dialog, "lblDRWCount"), QStringLiteral("0"));  // not filled before the visit
        tabs(dialog)->setCurrentIndex(2);
        QCOMPARE(labelTexts(dialog, {"lblDRWCount", "lblFLDCount", "lblDOCCount", "lblPAGCount", "lblTTLAmount",
                                     "lblByteCount"}),
                 (QStringList{"1", "1", "1", "1", "$1,234.50", "3,000,000,000 bytes"}));
        RecordFixture::drawer(cabinet, "Later");
        tabs(dialog)->setCurrentIndex(0);
        tabs(dialog)->setCurrentIndex(2);
        QCOMPARE(labelText(dialog, "lblDRWCount"), QStringLiteral("1"));
    }

    // A failing statistics query is reported; the labels keep their texts.
    void statisticsFailureReported()
    {
        const int cabinet = RecordFixture::cabinet("C");
        const auto dialog =
            makeDialog<frmFolder>("Edit", -1, RecordFixture::folder(RecordFixture::drawer(cabinet, "D"), "F"));
        QVERIFY(showActive(dialog.get()));
        DbConnection::failAfterStatements(1);
        tabs(dialog.get())->setCurrentIndex(1);
        QCOMPARE(m_prompt->messages, QStringList{kInjected});
        QCOMPARE(labelText(dialog.get(), "lblTTLAmount"), QStringLiteral("$0.00"));
    }

    // Without templates the drawer dialog shows no template choice.
    void drawerWithoutTemplates()
    {
        QVERIFY(!QFile::exists(DrawerTemplates::templateFilePath()));
        const auto dialog = makeDialog<frmDrawer>("Add");
        dialog->PopulateTemplates();
        QVERIFY(showActive(dialog.get()));
        QVERIFY(!child<QLabel>(dialog.get(), "lblTemplate")->isVisible());
        QVERIFY(!child<QComboBox>(dialog.get(), "cboTemplate")->isVisible());
    }

    // With templates "(none)" comes first and is preselected; OK with it
    // makes an empty drawer, a template fills the drawer in file order, also
    // a drawer whose id lies past 32 bits (cut, it would name drawer A).
    void drawerFromTemplate_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<RecordId>("idOfB");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("none") << "(none)" << RecordId(2) << QStringList{"drawer 1/3 Home"};
        QTest::newRow("Household") << "Household" << RecordId(2)
                                   << QStringList{"drawer 1/3 Home", "folder 3/1 Bills", "document 1/1 Power",
                                                  "document 1/2 Gas", "folder 3/2 Tax"};
        QTest::newRow("Household, drawer id past 32 bits")
            << "Household" << RecordId(4294967296LL)
            << QStringList{"drawer 1/4294967297 Home", "folder 4294967297/1 Bills", "document 1/1 Power",
                           "document 1/2 Gas", "folder 4294967297/2 Tax"};
    }
    void drawerFromTemplate()
    {
        QFETCH(QString, choice);
        QFETCH(RecordId, idOfB);
        QFETCH(QStringList, calls);
        writeTemplates();
        const int cabinet = RecordFixture::cabinet("C");
        RecordFixture::drawer(cabinet, "A");
        RecordFixture::insert("INSERT INTO Drawer (DrawerId, CabinetId, Name) VALUES (?, ?, ?)", {idOfB, cabinet, "B"});
        QStringList offered;
        QString selected;
        whenShown("frmDrawer", [&](QDialog *dialog) {
            auto *combo = child<QComboBox>(dialog, "cboTemplate");
            QVERIFY(combo->isVisible());
            QVERIFY(child<QLabel>(dialog, "lblTemplate")->isVisible());
            for (int i = 0; i < combo->count(); ++i)
                offered << combo->itemText(i);
            selected = combo->currentText();
            combo->setCurrentText(choice);
            box(dialog, "txtName")->setText("Home");
            click(dialog, "cmdOK");
        });
        QVERIFY(frmDrawer::addDrawer(nullptr, cabinet));
        QCOMPARE(offered, (QStringList{"(none)", "Household", "Car"}));
        QCOMPARE(selected, QStringLiteral("(none)"));
        QCOMPARE(m_sink->calls, calls);
        QCOMPARE(rowCount("Folder"), calls.size() > 1 ? 2 : 0);
    }

    // Edit mode offers no templates.
    void drawerEditHasNoTemplates()
    {
        writeTemplates();
        const int drawer = RecordFixture::drawer(RecordFixture::cabinet("C"), "D");
        bool visible = true;
        whenShown("frmDrawer", [&](QDialog *dialog) {
            visible = child<QComboBox>(dialog, "cboTemplate")->isVisible();
            click(dialog, "cmdCancel");
        });
        QVERIFY(!frmDrawer::editDrawer(nullptr, drawer));
        QVERIFY(!visible);
    }

    // A template that fails half-way is reported; the new drawer stays,
    // with none of the template's rows, and the dialog closes.
    void drawerTemplateFailureReported()
    {
        writeTemplates();
        const int cabinet = RecordFixture::cabinet("C");
        whenShown("frmDrawer", [&](QDialog *dialog) {
            child<QComboBox>(dialog, "cboTemplate")->setCurrentText("Household");
            box(dialog, "txtName")->setText("Home");
            // cabinet look-up, duplicate query, the drawer's BEGIN, cabinet
            // check, insert and COMMIT, the template's BEGIN, folder look-up,
            // SAVEPOINT, drawer check, folder insert
            DbConnection::failAfterStatements(11);
            click(dialog, "cmdOK");
        });
        QVERIFY(frmDrawer::addDrawer(nullptr, cabinet));
        QCOMPARE(m_prompt->messages, QStringList{kInjected});
        QCOMPARE(rowCount("Drawer"), 1);
        QCOMPARE(rowCount("Folder"), 0);
        QCOMPARE(m_sink->calls.size(), 1);
    }

    // The e-mail address is stored as typed, quotes included; a blank box
    // stores an empty text.
    void folderEmail_data()
    {
        QTest::addColumn<QString>("email");
        QTest::newRow("quote") << "o'neil@x";
        QTest::newRow("blank") << "";
        QTest::newRow("spaces kept") << " a@b ";
    }
    void folderEmail()
    {
        QFETCH(QString, email);
        const int drawer = RecordFixture::drawer(RecordFixture::cabinet("C"), "D");
        whenShown("frmFolder", [&](QDialog *dialog) {
            box(dialog, "txtName")->setText("F");
            box(dialog, "txtEmail")->setText(email);
            click(dialog, "cmdOK");
        });
        QVERIFY(frmFolder::addFolder(nullptr, drawer));
        const QVariant stored = value("SELECT Email FROM Folder");
        QVERIFY(!stored.isNull());
        QCOMPARE(stored.toString(), email);
        QString shown;
        whenShown("frmFolder", [&](QDialog *dialog) {
            shown = box(dialog, "txtEmail")->text();
            click(dialog, "cmdCancel");
        });
        frmFolder::editFolder(nullptr, value("SELECT FolderId FROM Folder").toInt());
        QCOMPARE(shown, email);
    }

    // A date typed month/day/year is stored as that day under a day/month
    // locale, shown again the same way, and survives a second save; the
    // amount 12.50 is stored as 12.5 and shown as 12.50.
    void documentDateSurvivesResave()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const int folder = RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F");
        whenShown("frmDocument", [](QDialog *dialog) {
            box(dialog, "txtName")->setText("Bill");
            box(dialog, "txtDateOnDocument")->setText("03/04/2024");
            box(dialog, "txtAmount")->setText("12.50");
            click(dialog, "cmdOK");
        });
        QVERIFY(frmDocument::addDocument(nullptr, folder));
        const RecordId id = value("SELECT DocumentId FROM Document").toLongLong();
        QCOMPARE(value("SELECT DateOnDocument FROM Document").toString(), QStringLiteral("2024-03-04"));
        QCOMPARE(value("SELECT Amount FROM Document").toDouble(), 12.5);
        QCOMPARE(m_sink->calls, QStringList{QStringLiteral("dated document %1/%2 Bill").arg(folder).arg(id)});
        QStringList shown;
        whenShown("frmDocument", [&](QDialog *dialog) {
            shown << box(dialog, "txtDateOnDocument")->text() << box(dialog, "txtAmount")->text();
            click(dialog, "cmdOK");
        });
        QVERIFY(frmDocument::editDocument(nullptr, id));
        QCOMPARE(shown, (QStringList{"03/04/2024", "12.50"}));
        QCOMPARE(value("SELECT DateOnDocument FROM Document").toString(), QStringLiteral("2024-03-04"));
        QCOMPARE(value("SELECT Amount FROM Document").toDouble(), 12.5);
        QCOMPARE(m_sink->calls.last(), QStringLiteral("rename dated document %1 Bill").arg(id));
    }

    // A typed amount is stored as read; Properties shows it with two
    // decimals, whole however long, and an untouched OK keeps the stored
    // amount exactly (no rounding to the two decimals, no cut to the box).
    // Rows without a typed text store the amount directly, as one too long
    // for the box arrives (an older version, a scan's details).
    void amountRoundTrip_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("12.50") << "12.50" << 12.5 << "12.50";
        QTest::newRow("12.345") << "12.345" << 12.345 << "12.35";
        QTest::newRow("0.1") << "0.1" << 0.1 << "0.10";
        QTest::newRow("1e20") << "" << 1e20 << "100000000000000000000.00";
        QTest::newRow("1e19 typed") << "10000000000000000000" << 1e19 << "10000000000000000000.00";
        QTest::newRow("large with cents") << "123456789012.34" << 123456789012.34 << "123456789012.34";
        QTest::newRow("negative half cent") << "-0.005" << -0.005 << "-0.01";
    }
    void amountRoundTrip()
    {
        QFETCH(QString, typed);
        QFETCH(double, stored);
        QFETCH(QString, shown);
        const int folder = RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F");
        if (typed.isEmpty()) {
            RecordFixture::insert("INSERT INTO Document (FolderId, Name, Amount) VALUES (?, 'Bill', ?)",
                                  {folder, stored});
        } else {
            whenShown("frmDocument", [&](QDialog *dialog) {
                box(dialog, "txtName")->setText("Bill");
                typeText(box(dialog, "txtAmount"), typed);
                click(dialog, "cmdOK");
            });
            QVERIFY(frmDocument::addDocument(nullptr, folder));
            QCOMPARE(value("SELECT Amount FROM Document").toDouble(), stored);
        }
        const RecordId id = value("SELECT DocumentId FROM Document").toLongLong();
        QString seen;
        whenShown("frmDocument", [&](QDialog *dialog) {
            seen = box(dialog, "txtAmount")->text();
            click(dialog, "cmdOK");
        });
        QVERIFY(frmDocument::editDocument(nullptr, id));
        QCOMPARE(seen, shown);
        QCOMPARE(value("SELECT Amount FROM Document").toDouble(), stored);
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // A blank date stores Null and the tree shows the name alone; an empty
    // amount stores 0, shown as an empty box.
    void documentBlankDateAndAmount()
    {
        const int folder = RecordFixture::folder(RecordFixture::drawer(RecordFixture::cabinet("C"), "D"), "F");
        whenShown("frmDocument", [](QDialog *dialog) {
            box(dialog, "txtName")->setText("Note");
            box(dialog, "txtDateOnDocument")->setText("   ");
            click(dialog, "cmdOK");
        });
        QVERIFY(frmDocument::addDocument(nullptr, folder));
        const RecordId id = value("SELECT DocumentId FROM Document").toLongLong();
        QVERIFY(value("SELECT DateOnDocument FROM Document").isNull());
        QVERIFY(!value("SELECT Amount FROM Document").isNull());
        QCOMPARE(value("SELECT Amount FROM Document").toDouble(), 0.0);
        QCOMPARE(m_sink->calls, QStringList{QStringLiteral("document %1/%2 Note").arg(folder).arg(id)});
        QStringList shown;
        whenShown("frmDocument", [&](QDialog *dialog) {
            shown << box(dialog, "txtDateOnDocument")->text() << box(dialog, "txtAmount")->text();
            click(dialog, "cmdCancel");
        });
        QVERIFY(!frmDocument::editDocument(nullptr, id));
        QCOMPARE(shown, (QStringList{"", ""}));
    }

    // A date that is no date, or an amount that is no number, is refused
    // with the box focused and the text kept.
    void documentRefusals_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focusBox");
        QTest::newRow("February 30") << "02/30/2024" << "" << kDateMessage << "txtDateOnDocument";
        QTest::newRow("word") << "abc" << "" << kDateMessage << "txtDateOnDocument";
        QTest::newRow("day 45") << "01/45/2024" << "" << kDateMessage << "txtDateOnDocument";
        QTest::newRow("amount word") << "" << "abc" << RecordRules::amountMessage() << "txtAmount";
        QTest::newRow("amount decimal comma") << "" << "12,5" << RecordRules::amountMessage() << "txtAmount";
    }
    void documentRefusals()
    {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(QString, message);
        QFETCH(QString, focusBox);
        const auto owner = makeDialog<frmDocument>("Add", 1);
        frmDocument *dialog = owner.get();
        QVERIFY(showActive(dialog));
        box(dialog, "txtName")->setText("Bill");
        box(dialog, "txtDateOnDocument")->setText(date);
        box(dialog, "txtAmount")->setText(amount);
        click(dialog, "cmdOK");
        QCOMPARE(m_prompt->messages, QStringList{message});
        QVERIFY(dialog->isVisible());
        QCOMPARE(QApplication::focusWidget(), box(dialog, qPrintable(focusBox)));
        QCOMPARE(box(dialog, "txtDateOnDocument")->text(), date);
        QCOMPARE(box(dialog, "txtAmount")->text(), amount);
        QCOMPARE(rowCount("Document"), 0);
    }

    // The button beside the date box puts today's date there.
    void todayButton()
    {
        frmDocument dialog;
        box(&dialog, "txtDateOnDocument")->setText("12/31/1999");
        child<QToolButton>(&dialog, "imgNow")->click();
        QCOMPARE(box(&dialog, "txtDateOnDocument")->text(), QDate::currentDate().toString("MM/dd/yyyy"));
        frmDocumentNew before;
        child<QToolButton>(&before, "imgNow")->click();
        QCOMPARE(box(&before, "txtDateOnDocument")->text(), QDate::currentDate().toString("MM/dd/yyyy"));
    }

    // Cancel, Esc and the window frame all cancel the new document.
    void newDocumentCancelled_data() { addCancelRows(); }
    void newDocumentCancelled()
    {
        QFETCH(CancelWay, how);
        whenShown("frmDocumentNew", [how](QDialog *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Add Document"));
            box(dialog, "txtName")->setText("Bill");
            cancel(dialog, how, box(dialog, "txtName"));
        });
        const NewDocInfo info = frmDocumentNew::ask(nullptr);
        QVERIFY(info.NewDocCancelled);
        QVERIFY(info.NewDocName.isEmpty());
        QVERIFY(!info.NewDocDate.isValid());
        QCOMPARE(info.NewDocAmount, 0.0);
    }

    // OK hands over the checked details; a refusal keeps the dialog open.
    void newDocumentDetails()
    {
        whenShown("frmDocumentNew", [this](QDialog *dialog) {
            box(dialog, "txtName")->setText("a.b");
            click(dialog, "cmdOK");
            QCOMPARE(m_prompt->messages, QStringList{kInvalid});
            QVERIFY(dialog->isVisible());
            box(dialog, "txtName")->setText("  Bill 'Ω'  ");
            box(dialog, "txtDateOnDocument")->setText("02/30/2024");
            click(dialog, "cmdOK");
            QCOMPARE(m_prompt->messages.last(), kDateMessage);
            box(dialog, "txtDateOnDocument")->setText("03/04/2024");
            box(dialog, "txtAmount")->setText("1,250.00");
            descriptionBox(dialog)->setPlainText(" as typed ");
            click(dialog, "cmdOK");
        });
        const NewDocInfo info = frmDocumentNew::ask(nullptr);
        QVERIFY(!info.NewDocCancelled);
        QCOMPARE(info.NewDocName, QStringLiteral("Bill 'Ω'"));
        QCOMPARE(info.NewDocDate, QDate(2024, 3, 4));
        QCOMPARE(info.NewDocDescription, QStringLiteral(" as typed "));
        QCOMPARE(info.NewDocAmount, 1250.0);
        QCOMPARE(rowCount("Document"), 0);

        whenShown("frmDocumentNew", [](QDialog *dialog) {
            box(dialog, "txtName")->setText("Undated");
            click(dialog, "cmdOK");
        });
        const NewDocInfo undated = frmDocumentNew::ask(nullptr);
        QVERIFY(!undated.NewDocCancelled);
        QVERIFY(!undated.NewDocDate.isValid());
    }

private:
    static void writeTemplates()
    {
        QFile file(DrawerTemplates::templateFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("DRW=Household\r\nFLD=Bills\r\nDOC=Power\r\nDOC=Gas\r\nFLD=Tax\r\n\r\nDRW=Car\r\nFLD=Fuel\r\n");
        file.close();
        DrawerTemplates::LoadDrawerTemplateNames();
    }
};

VLM_TEST_MAIN(RecordDialogsTest)
#include "RecordDialogsTest.moc"
