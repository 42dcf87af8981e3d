#include "imaging/ui/frmPage.h"
#include "core/RecordId.h"
#include "imaging/ImagingState.h"
#include "imaging/ui/frmViewSettings.h"

#include "platform/Settings.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QLabel>
#include <QtTest>

namespace {

QString label(QWidget *dialog, const char *name)
{
    return DialogDriver::child<QLabel>(dialog, name)->text();
}

RecordId pageWith(RecordId documentId, const QString &scanDate, const QVariant &size)
{
    return RecordFixture::insert(
        "INSERT INTO Page (DocumentId, PageNumber, ScanDate, FileSize, Filetype) VALUES (?, 1, ?, ?, 'JPG')",
        {documentId, scanDate, size});
}

} // namespace

class ImagingDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::openFreshDatabase(); }

    // One page shows its own facts; several show the summary, with
    // "Various" for pages scanned on different days.
    void pageProperties()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const int first = pageWith(documentId, "2024-02-03 10:00:00", 2048);
        const int second = pageWith(documentId, "2024-02-04 10:00:00", 1000);
        QStringList one;
        DialogDriver::whenShown("frmPage", [&](QDialog *dialog) {
            for (const char *name : {"lblPageId", "lblPageIdData", "lblFileSizeData", "lblScanDateData",
                                     "lblFileTypeData", "lblShortcutData"})
                one.append(label(dialog, name));
            DialogDriver::click(dialog, "cmdOK");
        });
        frmPage::showPageProperties(nullptr, {first});
        QCOMPARE(one, (QStringList{"Page ID:", QString::number(first), "2,048 bytes", "02/03/2024", "JPG",
                                   "(not a shortcut)"}));

        QStringList several;
        DialogDriver::whenShown("frmPage", [&](QDialog *dialog) {
            for (const char *name : {"lblPageId", "lblPageIdData", "lblFileSizeData", "lblScanDateData",
                                     "lblFileTypeData", "lblShortcutData"})
                several.append(label(dialog, name));
            DialogDriver::click(dialog, "cmdOK");
        });
        frmPage::showPageProperties(nullptr, {first, second});
        QCOMPARE(several, (QStringList{"Pages:", "2 pages", "3,048 bytes", "Various", "Not known", "Not known"}));
    }

    void viewSettings_data()
    {
        QTest::addColumn<QString>("stored");   // "" for none
        QTest::addColumn<int>("shownIndex");
        QTest::addColumn<int>("chosen");       // -1: Cancel
        QTest::addColumn<QString>("written");  // "" for nothing written
        QTest::newRow("OK with fit to width") << "" << 0 << 1 << "FITWIDTH";
        QTest::newRow("unknown value shown as (none)") << "fitwidth" << 0 << 0 << "NONE";
        QTest::newRow("Cancel writes nothing") << "FITWIDTH" << 1 << -1 << "";
    }
    // The dialog shows the stored entry; OK writes the chosen one and makes
    // it the run's zoom mode, which the next page load uses; Cancel changes
    // nothing.
    void viewSettings()
    {
        QFETCH(QString, stored);
        QFETCH(int, shownIndex);
        QFETCH(int, chosen);
        QFETCH(QString, written);
        if (!stored.isEmpty())
            Settings::setValue("ZoomDefault", stored);
        ImagingState::instance().ZoomMode = QStringLiteral("before");
        int shown = -1;
        QStringList entries;
        DialogDriver::whenShown("frmViewSettings", [&](QDialog *dialog) {
            auto *combo = DialogDriver::child<QComboBox>(dialog, "cboZoom");
            shown = combo->currentIndex();
            for (int i = 0; i < combo->count(); ++i)
                entries.append(combo->itemText(i));
            if (chosen < 0) {
                DialogDriver::click(dialog, "cmdCancel");
                return;
            }
            combo->setCurrentIndex(chosen);
            DialogDriver::click(dialog, "cmdOK");
        });
        frmViewSettings::showViewSettings(nullptr);
        QCOMPARE(entries, (QStringList{"(none)", "Fit to width", "Fit to height"}));
        QCOMPARE(shown, shownIndex);
        if (written.isEmpty()) {
            QCOMPARE(Settings::value("ZoomDefault"), stored);
            QCOMPARE(ImagingState::instance().ZoomMode, QStringLiteral("before"));
        } else {
            QCOMPARE(Settings::value("ZoomDefault"), written);
            QCOMPARE(ImagingState::instance().ZoomMode, written);
        }
    }
};

VLM_TEST_MAIN(ImagingDialogsTest)
#include "ImagingDialogsTest.moc"
