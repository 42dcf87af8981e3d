#include "imaging/ui/frmPageView.h"

#include "core/RecordId.h"
#include "imaging/ImageOps.h"
#include "imaging/ImagingState.h"
#include "imaging/ui/PageImageView.h"
#include "platform/DbConnection.h"
#include "platform/Settings.h"
#include "store/PagePaths.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/RecordingNavigationSink.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestImages.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <future>

namespace {

const QString Missing = QStringLiteral("missing");
const QString Corrupt = QStringLiteral("corrupt");
const QString Huge = QStringLiteral("huge");
const QString HugeGrey = QStringLiteral("huge grey");

// A page of the document with its image in the default folders ("missing"
// leaves it without a file, "corrupt" gives it a broken one, "huge" one that
// claims more pixels than an image may take, "huge grey" a real grey JPEG of
// 20000 by 20000 pixels).
RecordId storedPage(RecordId documentId, int number, const QSize &size = QSize(300, 200), int dpi = 300,
               const QString &kind = QString())
{
    const RecordId pageId = RecordFixture::page(documentId, number);
    const QString path = PagePaths::GetDefaultPageFilePath(pageId);
    QDir().mkpath(PagePaths::GetFolderPart(path));
    if (kind == Corrupt)
        TestImages::writeCorruptJpeg(path);
    else if (kind == Huge)
        TestFiles::write(path, TestImages::jpegHeaderClaiming(20000, 20000));
    else if (kind == HugeGrey)
        TestImages::writeGreyJpeg(path, QSize(20000, 20000));
    else if (kind != Missing)
        TestImages::writeJpeg(path, size, dpi);
    return pageId;
}

using RecordFixture::pageColumn;

using RecordFixture::pageCount;

using TestImages::dpiOf;

} // namespace

class frmPageViewTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<frmPageView> m_viewer;

    PageImageView *display() { return DialogDriver::child<PageImageView>(m_viewer.get(), "LEAD1"); }
    QPushButton *button(const char *name) { return DialogDriver::child<QPushButton>(m_viewer.get(), name); }
    QLineEdit *filenameBox() { return DialogDriver::box(m_viewer.get(), "txtFilename"); }

    frmPageView *open(const QString &mode, const QString &key)
    {
        m_viewer = std::make_unique<frmPageView>();
        m_viewer->Mode = mode;
        m_viewer->Key = key;
        m_viewer->setWindowState(Qt::WindowNoState);
        m_viewer->resize(1000, 700);
        m_viewer->show();
        if (mode == QLatin1String("Edit"))
            m_viewer->LoadImage();
        else
            m_viewer->PreResolveDbId(key);
        return m_viewer.get();
    }
    frmPageView *openPage(RecordId pageId) { return open(QStringLiteral("Edit"), QStringLiteral("PAG%1").arg(pageId)); }

    // The commands that need an image are enabled exactly when there is one.
    void verifyImageCommands(bool enabled)
    {
        for (const char *name : {"cmdSave", "cmdSaveAs", "cmdCrop", "cmdRotateClockwise", "cmdAutoTrim"})
            QVERIFY2(button(name)->isEnabled() == enabled, name);
        QCOMPARE(m_viewer->findChild<QAction *>("mnuEditCopy")->isEnabled(), enabled);
    }

    void drag(const QPoint &from, const QPoint &to, Qt::MouseButton which = Qt::LeftButton)
    {
        QWidget *viewport = display()->viewport();
        QTest::mousePress(viewport, which, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)), Qt::NoButton,
                         which, {});
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, which, {}, to);
    }

    RecordId storageDocument(const QString &folder)
    {
        const RecordId cabinetId = RecordFixture::insert(
            "INSERT INTO Cabinet (Name, Storage, StoragePath) VALUES ('Own', 1, ?)", {folder});
        return RecordFixture::document(RecordFixture::folder(RecordFixture::drawer(cabinetId, "D"), "F"), "Doc");
    }

private Q_SLOTS:
    void initTestCase() { QImageReader::setAllocationLimit(1024); }
    void init() { TestEnvironment::openFreshDatabase(); }
    void cleanup() { m_viewer.reset(); }

    void editRefusesKeysOfNoPage_data()
    {
        QTest::addColumn<QString>("key");  // "%1" is a stored page's id
        QTest::newRow("a document's key with the page's number") << "DOC%1";
        QTest::newRow("a found document's key") << "FDC%1";
        QTest::newRow("a signed page number") << "PAG+%1";
        QTest::newRow("letters after the number") << "PAG%1x";
    }
    // The viewer edits the page a page key names; any other key opens no
    // page at all, never the page whose number it happens to carry.
    void editRefusesKeysOfNoPage()
    {
        QFETCH(QString, key);
        FakePrompt prompt;
        const RecordId pageId = storedPage(RecordFixture::documentInNewFolder(), 1);
        open(QStringLiteral("Edit"), key.arg(pageId));
        QVERIFY(m_viewer->LoadError);
        QVERIFY(!display()->hasImage());
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(!prompt.messages.first().isEmpty(), "the refusal says why");
    }

    void opensScannedPages_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QString>("zoomMode");
        QTest::newRow("A4 at 300 dpi, 100 percent") << QSize(2480, 3508) << 300 << "NONE";
        QTest::newRow("A4 at 600 dpi, fit to width") << QSize(4961, 7016) << 600 << "FITWIDTH";
        QTest::newRow("A4 at 300 dpi, fit to height") << QSize(2480, 3508) << 300 << "FITHEIGHT";
    }
    // Scanned A4 pages open whole, at their resolution, at the zoom of the
    // run's zoom mode, under the page's caption.
    void opensScannedPages()
    {
        QFETCH(QSize, size);
        QFETCH(int, dpi);
        QFETCH(QString, zoomMode);
        FakePrompt prompt;
        ImagingState::instance().ZoomMode = zoomMode;
        const RecordId pageId = storedPage(RecordFixture::documentInNewFolder(), 4, size, dpi);
        openPage(pageId);
        QCOMPARE(prompt.messages, QStringList());
        QCOMPARE(display()->image().size(), size);
        QCOMPARE(dpiOf(display()->image().dotsPerMeterX()), dpi);
        QCOMPARE(m_viewer->windowTitle(), QStringLiteral("Page # 4 (ID = %1)").arg(pageId));
        const QSize shown = display()->displaySize();
        QCOMPARE(display()->zoom(), double(ImageOps::defaultZoom(zoomMode, shown, size)));
        verifyImageCommands(true);
    }

    // A page fitted to the window is shown from a reduced decode, yet a
    // selection still maps to the whole image's pixels, and zooming in to
    // 100 percent shows the whole image.
    void fittedPageShowsReducedPicture()
    {
        ImagingState::instance().ZoomMode = QStringLiteral("FITHEIGHT");
        const QSize a4(2480, 3508);
        openPage(storedPage(RecordFixture::documentInNewFolder(), 1, a4));
        QCOMPARE(display()->imageSize(), a4);
        QVERIFY(display()->pictureSize().height() < a4.height() / 2 + 1);
        const double zoom = display()->zoom();
        drag(QPoint(10, 10), QPoint(110, 60));
        QTest::mouseClick(button("cmdCrop"), Qt::LeftButton);
        const QSize cropped = display()->image().size();
        QVERIFY2(qAbs(cropped.width() - 100 * 100 / zoom) <= 1.5 && qAbs(cropped.height() - 50 * 100 / zoom) <= 1.5,
                 qPrintable(QStringLiteral("%1x%2 at %3 percent").arg(cropped.width()).arg(cropped.height()).arg(zoom)));

        openPage(storedPage(RecordFixture::documentInNewFolder(), 1, a4));
        display()->setZoom(100);
        QCOMPARE(display()->pictureSize(), a4);
        QCOMPARE(display()->image().size(), a4);
    }

    // The whole image behind a reduced picture that cannot be decoded
    // leaves an empty display with its message, and nothing to save.
    void wholeImageFailing()
    {
        FakePrompt prompt;
        const RecordId pageId = storedPage(RecordFixture::documentInNewFolder(), 1);
        openPage(pageId);
        std::promise<ImageOps::LoadResult> failed;
        failed.set_value({QImage(), AppError(ErrorCode::InvalidValue, "p.jpg: Invalid file format or file is corrupted (x).")});
        ImageOps::DisplayLoad loaded;
        loaded.picture = TestImages::filled(QSize(75, 50), Qt::white);
        loaded.size = QSize(300, 200);
        loaded.whole = failed.get_future().share();
        display()->setImage(loaded);
        QVERIFY(display()->hasImage());
        QTest::mouseClick(button("cmdRotateClockwise"), Qt::LeftButton);
        QVERIFY(!display()->hasImage());
        QTRY_COMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages.first().startsWith("Cannot load file '"), qPrintable(prompt.messages.first()));
        QVERIFY(m_viewer->LoadError);
        verifyImageCommands(false);
        QVERIFY(pageColumn(pageId, "FileSize").isNull());
    }

    // A save ended between replacing the image and committing its row
    // leaves the old size with the new file; the next view puts it right.
    void viewCorrectsStaleFileSize()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const RecordId pageId = storedPage(documentId, 1);
        DbConnection::execute("UPDATE Page SET FileSize = 1 WHERE PageId = ?", {pageId});
        openPage(pageId);
        QVERIFY(display()->hasImage());
        QCOMPARE(pageColumn(pageId, "FileSize").toLongLong(),
                 QFileInfo(PagePaths::GetDefaultPageFilePath(pageId)).size());
    }

    // Next and Previous page through the document and stop at its ends.
    void nextAndPrevious()
    {
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const int first = storedPage(documentId, 1, QSize(30, 20));
        const int second = storedPage(documentId, 2, QSize(40, 20));
        const int third = storedPage(documentId, 3, QSize(50, 20));
        openPage(first);
        QVERIFY(!button("cmdPrev")->isEnabled());
        QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
        QCOMPARE(m_viewer->pageId(), second);
        QCOMPARE(display()->image().width(), 40);
        QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
        QCOMPARE(m_viewer->pageId(), third);
        QVERIFY(!button("cmdNext")->isEnabled());
        QTest::mouseClick(button("cmdPrev"), Qt::LeftButton);
        QCOMPARE(m_viewer->windowTitle(), QStringLiteral("Page # 2 (ID = %1)").arg(second));
        QVERIFY(button("cmdPrev")->isEnabled());
    }

    void nextToAPageWithoutItsImage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << Missing << "";
        QTest::newRow("corrupt file") << Corrupt << "Cannot load file '%1'.  Invalid file format or file is corrupted.";
        const QString overLimit = QStringLiteral("Error during load.  ") + QString::number(int(ErrorCode::InvalidValue))
            + QStringLiteral(" %1: The image of 20000 by 20000 pixels is larger than the 1024 MB an image may take.");
        QTest::newRow("over the allocation limit") << Huge << overLimit;
        // Qt counts a grey pixel at 32 bits too.
        QTest::newRow("grey, over the allocation limit") << HugeGrey << overLimit;
    }
    // The next page's image cannot be shown: the display is empty, not the
    // previous page's image, and nothing can save it into the wrong page.
    void nextToAPageWithoutItsImage()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        FakePrompt prompt;
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const int first = storedPage(documentId, 1);
        const int second = storedPage(documentId, 2, QSize(), 0, kind);
        openPage(first);
        const QByteArray firstImage = TestFiles::read(PagePaths::GetDefaultPageFilePath(first));
        QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
        QVERIFY(m_viewer->isVisible());
        QCOMPARE(m_viewer->pageId(), second);
        QVERIFY(!display()->hasImage());
        verifyImageCommands(false);
        QCOMPARE(prompt.messages,
                 message.isEmpty() ? QStringList() : QStringList{message.arg(PagePaths::GetDefaultPageFilePath(second))});
        m_viewer->cmdSave_Click();
        QCOMPARE(prompt.messages.last(), QStringLiteral("There is no image to save."));
        QVERIFY(pageColumn(second, "FileSize").isNull());
        QCOMPARE(TestFiles::read(PagePaths::GetDefaultPageFilePath(first)), firstImage);
        QCOMPARE(QFileInfo::exists(PagePaths::GetDefaultPageFilePath(second)), kind != Missing);
    }

    // A JPEG that ends early is shown as far as it can be read, and the
    // viewer says that its file is damaged rather than showing grey silently.
    void truncatedPageIsShownWithAWarning()
    {
        FakePrompt prompt;
        const RecordId pageId = RecordFixture::page(RecordFixture::documentInNewFolder(), 1);
        const QString path = PagePaths::GetDefaultPageFilePath(pageId);
        QDir().mkpath(PagePaths::GetFolderPart(path));
        TestFiles::write(path, TestImages::truncatedJpeg(QSize(300, 200)));
        openPage(pageId);
        QVERIFY(display()->hasImage());
        QCOMPARE(prompt.messages, QStringList{QStringLiteral("The file '%1' is damaged: the image ends early and is"
                                                             " shown as far as it could be read.").arg(path)});
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Warning});
    }

    // A shortcut page to a picture file is shown, but its file is the
    // user's: nothing edits it or saves over it, even by Enter.
    void nextToAShortcutPage()
    {
        FakePrompt prompt;
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const int first = storedPage(documentId, 1);
        const QString own = TestEnvironment::root() + QStringLiteral("/own.png");
        QVERIFY(TestImages::filled(QSize(60, 40), Qt::green).save(own, "PNG"));
        const QByteArray ownBytes = TestFiles::read(own);
        const int shortcut = RecordFixture::page(documentId, 2);
        DbConnection::execute("UPDATE Page SET ShortcutYN = 'Y', Filename = ? WHERE PageId = ?", {own, shortcut});
        openPage(first);
        QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
        QCOMPARE(m_viewer->pageId(), shortcut);
        QVERIFY(display()->hasImage());
        for (const char *name : {"cmdSave", "cmdCrop", "cmdRotateClockwise", "cmdAutoTrim"})
            QVERIFY2(!button(name)->isEnabled(), name);
        QVERIFY(button("cmdSaveAs")->isEnabled());
        QVERIFY(!m_viewer->cmdSave_Click());
        QCOMPARE(prompt.messages, QStringList{"A shortcut page cannot be saved."});
        QCOMPARE(TestFiles::read(own), ownBytes);
        QTest::mouseClick(button("cmdPrev"), Qt::LeftButton);
        verifyImageCommands(true);
    }

    // Opened from the page list, the 50 ms timer loads the page once the
    // window is up; a page that cannot be loaded closes the viewer again.
    void timerLoadsThePage()
    {
        FakePrompt prompt;
        const RecordId documentId = RecordFixture::documentInNewFolder();
        const int good = storedPage(documentId, 1, QSize(64, 48));
        const int broken = storedPage(documentId, 2, QSize(), 0, Corrupt);
        QSize loaded;
        DialogDriver::whenShown("frmPageView", [&](QDialog *viewer) {
            auto *view = DialogDriver::child<PageImageView>(viewer, "LEAD1");
            QTRY_VERIFY(view->hasImage());
            loaded = view->image().size();
            QVERIFY(ImagingState::instance().PageViewOpen);
            DialogDriver::click(viewer, "cmdCancel");
        });
        frmPageView::showPage(nullptr, "Edit", QStringLiteral("PAG%1").arg(good));
        QCOMPARE(loaded, QSize(64, 48));
        QVERIFY(!ImagingState::instance().PageViewOpen);

        frmPageView::showPage(nullptr, "Edit", QStringLiteral("PAG%1").arg(broken));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages.first().startsWith("Cannot load file"));

        // Each opening is a fresh viewer: a page without its file shows
        // nothing of the page shown before.
        const int missing = storedPage(documentId, 3, QSize(), 0, Missing);
        bool empty = false;
        DialogDriver::whenShown("frmPageView", [&](QDialog *viewer) {
            QTRY_COMPARE(viewer->windowTitle(), QStringLiteral("Page # 3 (ID = %1)").arg(missing));
            empty = !DialogDriver::child<PageImageView>(viewer, "LEAD1")->hasImage();
            DialogDriver::click(viewer, "cmdCancel");
        });
        frmPageView::showPage(nullptr, "Edit", QStringLiteral("PAG%1").arg(missing));
        QVERIFY(empty);
    }

    void cropSelection_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("button");
        QTest::addColumn<QSize>("result");
        const int left = int(Qt::LeftButton);
        QTest::newRow("100 percent") << 100.0 << QPoint(10, 10) << QPoint(110, 60) << left << QSize(100, 50);
        QTest::newRow("200 percent: half the pixels") << 200.0 << QPoint(10, 10) << QPoint(110, 60) << left
                                                     << QSize(50, 25);
        QTest::newRow("dragged the other way") << 100.0 << QPoint(110, 60) << QPoint(10, 10) << left << QSize(100, 50);
        QTest::newRow("past the image: clamped") << 100.0 << QPoint(250, 150) << QPoint(900, 600) << left
                                                 << QSize(50, 50);
        QTest::newRow("a click selects nothing") << 100.0 << QPoint(40, 40) << QPoint(40, 40) << left
                                                 << QSize(300, 200);
        QTest::newRow("right button selects nothing") << 100.0 << QPoint(10, 10) << QPoint(110, 60)
                                                      << int(Qt::RightButton) << QSize(300, 200);
        QTest::newRow("outside the image") << 100.0 << QPoint(400, 300) << QPoint(500, 400) << left
                                           << QSize(300, 200);
    }
    // Crop maps the selection through the zoom; a click, another button or
    // a selection beside the image never empties the page.
    void cropSelection()
    {
        QFETCH(double, zoom);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(int, button);
        QFETCH(QSize, result);
        openPage(storedPage(RecordFixture::documentInNewFolder(), 1, QSize(300, 200)));
        display()->setZoom(zoom);
        drag(from, to, Qt::MouseButton(button));
        QTest::mouseClick(this->button("cmdCrop"), Qt::LeftButton);
        QCOMPARE(display()->image().size(), result);
        QVERIFY(!display()->selecting());
    }

    void rotateAndSaveKeepsDensity_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("colour page") << int(QImage::Format_RGB32);
        QTest::newRow("grey page") << int(QImage::Format_Grayscale8);
    }
    // Rotating and saving a page writes it turned, with its horizontal and
    // vertical resolution swapped, a grey page as a grey JPEG, and renews
    // its size and thumbnail.
    void rotateAndSaveKeepsDensity()
    {
        QFETCH(int, format);
        const RecordId pageId = RecordFixture::page(RecordFixture::documentInNewFolder(), 1);
        const QString path = PagePaths::GetDefaultPageFilePath(pageId);
        QDir().mkpath(PagePaths::GetFolderPart(path));
        QImage image = TestImages::filled(QSize(300, 200), Qt::white, 300);
        image.setDotsPerMeterY(TestImages::dotsPerMeter(600));
        image.setPixel(0, 0, qRgb(0, 0, 0));
        TestImages::writeJpeg(path, image.convertToFormat(QImage::Format(format)));
        openPage(pageId);
        QTest::mouseClick(button("cmdRotateClockwise"), Qt::LeftButton);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        QCOMPARE(m_viewer->result(), int(QDialog::Accepted));
        QCOMPARE(QImageReader(path).imageFormat(), QImage::Format(format));
        const QImage saved = QImageReader(path).read();
        QCOMPARE(saved.size(), QSize(200, 300));
        QCOMPARE(dpiOf(saved.dotsPerMeterX()), 600);
        QCOMPARE(dpiOf(saved.dotsPerMeterY()), 300);
        QVERIFY(qGray(saved.pixel(199, 0)) < 100);
        QCOMPARE(pageColumn(pageId, "FileSize").toLongLong(), QFileInfo(path).size());
        QCOMPARE(QImageReader(PagePaths::GetThumbFilePath(pageId)).size(), QSize(100, 100));
        QCOMPARE(ImagingState::instance().ScanDocumentId, pageColumn(pageId, "DocumentId").toInt());
    }

    void plainSave_data()
    {
        QTest::addColumn<bool>("rotated");
        QTest::addColumn<bool>("thumbnail");
        QTest::newRow("unchanged, thumbnail there") << false << true;
        QTest::newRow("unchanged, thumbnail missing") << false << false;
        QTest::newRow("rotated") << true << true;
    }
    // A Save with no edit keeps the page's bytes (no new encoding, the
    // stored resolution, none here, as it was); only an edit encodes.
    void plainSave()
    {
        QFETCH(bool, rotated);
        QFETCH(bool, thumbnail);
        const RecordId pageId = RecordFixture::page(RecordFixture::documentInNewFolder(), 1);
        const QString path = PagePaths::GetDefaultPageFilePath(pageId);
        QDir().mkpath(PagePaths::GetFolderPart(path));
        TestImages::writeJpegWithoutResolution(path, QSize(300, 200));
        const QByteArray before = TestFiles::read(path);
        const QString thumbPath = PagePaths::GetThumbFilePath(pageId);
        QDir().mkpath(PagePaths::GetFolderPart(thumbPath));
        if (thumbnail)
            TestFiles::write(thumbPath, "kept thumbnail");
        RecordingNavigationSink sink;
        openPage(pageId);
        if (rotated)
            QTest::mouseClick(button("cmdRotateClockwise"), Qt::LeftButton);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        QCOMPARE(m_viewer->result(), int(QDialog::Accepted));
        QCOMPARE(sink.calls.filter("select page"), QStringList{QStringLiteral("select page 0/%1 ").arg(pageId)});
        QCOMPARE(TestFiles::read(path) == before, !rotated);
        QVERIFY(!ImageOps::hasStoredResolution(ImageOps::load(path).image));
        QCOMPARE(pageColumn(pageId, "FileSize").toLongLong(), QFileInfo(path).size());
        if (thumbnail && !rotated)
            QCOMPARE(TestFiles::read(thumbPath), QByteArray("kept thumbnail"));
        else
            QCOMPARE(QImageReader(thumbPath).size(), QSize(100, 100));
    }

    void saveRefusals_data()
    {
        QTest::addColumn<QString>("typed");   // "$OWN" is the cabinet's folder
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("boxAfter");
        const QString chars = QStringLiteral("The following characters are not allowed:\n\\ / : * ? \" < > | .");
        QTest::newRow("only the folder") << "$OWN/" << QList<bool>{} << "Please enter a filename." << "$OWN/";
        QTest::newRow("invalid character") << "$OWN/a*b.jpg" << QList<bool>{} << chars << "$OWN/ab.jpg";
        QTest::newRow("empty, no automatic name") << "" << QList<bool>{false} << "Please enter a filename."
                                                  << "$OWN/";
        QTest::newRow("another extension") << "$OWN/a.png" << QList<bool>{}
                                           << "The file extension must be .JPG (please change filename)."
                                           << "$OWN/a.png";
        QTest::newRow("overwrite declined") << "$OWN/other.jpg" << QList<bool>{false} << "" << "$OWN/other.jpg";
    }
    // Each refused name in a cabinet with its own folder stores nothing and
    // keeps the viewer open with the corrected text.
    void saveRefusals()
    {
        QFETCH(QString, typed);
        QFETCH(QList<bool>, answers);
        QFETCH(QString, message);
        QFETCH(QString, boxAfter);
        FakePrompt prompt;
        prompt.answers = answers;
        const QString own = TestEnvironment::root() + QStringLiteral("/own%1").arg(QTest::currentDataTag());
        QDir().mkpath(own);
        const RecordId pageId = RecordFixture::page(storageDocument(own), 1);
        const QString loaded = own + "/page.jpg";
        DbConnection::execute("UPDATE Page SET Filename = ? WHERE PageId = ?", {loaded, pageId});
        TestImages::writeJpeg(loaded, QSize(60, 40), 300);
        TestFiles::write(own + "/other.jpg", "another page");
        const QByteArray before = TestFiles::read(loaded);
        openPage(pageId);
        QCOMPARE(filenameBox()->text(), loaded);
        QVERIFY(filenameBox()->isVisible());
        filenameBox()->setText(typed.replace("$OWN", own));
        QTest::keyClick(filenameBox(), Qt::Key_Return);
        QVERIFY(m_viewer->isVisible());
        QCOMPARE(filenameBox()->text(), boxAfter.replace("$OWN", own));
        if (!message.isEmpty())
            QCOMPARE(prompt.messages, QStringList{message});
        QCOMPARE(prompt.questions.size(), answers.size());
        QCOMPARE(pageColumn(pageId, "Filename").toString(), loaded);
        QCOMPARE(TestFiles::read(loaded), before);
        QCOMPARE(TestFiles::read(own + "/other.jpg"), QByteArray("another page"));
    }

    void rename_data()
    {
        QTest::addColumn<bool>("deleteOld");
        QTest::newRow("old file deleted") << true;
        QTest::newRow("old file kept") << false;
    }
    // A page renamed in its cabinet's folder moves to the new name; the old
    // file and its thumbnail go only when the user says so.
    void rename()
    {
        QFETCH(bool, deleteOld);
        FakePrompt prompt;
        prompt.answers = {deleteOld};
        const QString own = TestEnvironment::root() + QStringLiteral("/rename%1").arg(deleteOld);
        const RecordId pageId = RecordFixture::page(storageDocument(own), 1);
        const QString old = own + "/old.jpg";
        DbConnection::execute("UPDATE Page SET Filename = ? WHERE PageId = ?", {old, pageId});
        QDir().mkpath(own + "/Thumbs");
        TestImages::writeJpeg(old, QSize(60, 40), 300);
        TestFiles::write(own + "/Thumbs/old.jpg", "thumb");
        openPage(pageId);
        filenameBox()->setText(own + "/new");
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        QCOMPARE(prompt.questions.size(), 1);
        QVERIFY(prompt.questions.first().startsWith("You have renamed this file."));
        QCOMPARE(pageColumn(pageId, "Filename").toString(), own + "/new.jpg");
        QCOMPARE(QImageReader(own + "/new.jpg").size(), QSize(60, 40));
        QVERIFY(QFileInfo::exists(own + "/Thumbs/new.jpg"));
        QCOMPARE(QFileInfo::exists(old), !deleteOld);
        QCOMPARE(QFileInfo::exists(own + "/Thumbs/old.jpg"), !deleteOld);
    }

    void addModeSaves_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("ownStorage");
        QTest::newRow("into a folder") << "FLD" << false;
        QTest::newRow("into a document") << "DOC" << false;
        QTest::newRow("into own storage") << "DOC" << true;
    }
    // A new page is stored only by Save: its rows, image and thumbnail, in
    // the folders its cabinet uses; the viewer then closes.
    void addModeSaves()
    {
        QFETCH(QString, target);
        QFETCH(bool, ownStorage);
        FakePrompt prompt;
        const QString own = TestEnvironment::root() + QStringLiteral("/add%1").arg(QTest::currentDataTag());
        const RecordId documentId = ownStorage ? storageDocument(own) : RecordFixture::documentInNewFolder();
        const RecordId folderId =
            DbConnection::queryValue("SELECT FolderId FROM Document WHERE DocumentId = ?", {documentId}).toInt();
        open("Add", target == "FLD" ? QStringLiteral("FLD%1").arg(folderId) : QStringLiteral("DOC%1").arg(documentId));
        m_viewer->setImage(TestImages::filled(QSize(80, 60), Qt::blue));
        QCOMPARE(pageCount(), 0);
        QCOMPARE(filenameBox()->isVisibleTo(m_viewer.get()), ownStorage);
        if (ownStorage) {
            QCOMPARE(filenameBox()->text(), own + "/");
            filenameBox()->setText(own + "/scan1");
        }
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        QCOMPARE(prompt.messages, QStringList());
        QCOMPARE(m_viewer->result(), int(QDialog::Accepted));
        QCOMPARE(pageCount(), 1);
        const RecordId pageId = DbConnection::queryValue("SELECT MAX(PageId) FROM Page").toLongLong();
        const QString path = ownStorage ? own + "/scan1.jpg" : PagePaths::GetDefaultPageFilePath(pageId);
        QCOMPARE(PagePaths::GetPageFilePath(pageId), path);
        QCOMPARE(QImageReader(path).size(), QSize(80, 60));
        QCOMPARE(pageColumn(pageId, "FileSize").toLongLong(), QFileInfo(path).size());
        QVERIFY(QFileInfo::exists(PagePaths::GetThumbFilePath(pageId)));
    }

    void addModeCancel_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<int>("answer");
        const int cancelButton = 0, esc = 1, frame = 2;
        QTest::newRow("Cancel, No") << cancelButton << int(Prompt::Answer::No);
        QTest::newRow("Cancel, Cancel") << cancelButton << int(Prompt::Answer::Cancel);
        QTest::newRow("Cancel, Yes") << cancelButton << int(Prompt::Answer::Yes);
        QTest::newRow("Esc, No") << esc << int(Prompt::Answer::No);
        QTest::newRow("close box, No") << frame << int(Prompt::Answer::No);
        QTest::newRow("close box, Yes") << frame << int(Prompt::Answer::Yes);
    }
    // Leaving a new page unsaved, by any way, asks first; only Yes closes,
    // and nothing is stored either way.
    void addModeCancel()
    {
        QFETCH(int, way);
        QFETCH(int, answer);
        FakePrompt prompt;
        prompt.answers3 = {Prompt::Answer(answer)};
        open("Add", QStringLiteral("DOC%1").arg(RecordFixture::documentInNewFolder()));
        m_viewer->setImage(TestImages::filled(QSize(80, 60), Qt::blue));
        if (way == 0)
            QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(m_viewer.get(), Qt::Key_Escape);
        else
            m_viewer->close();
        QCOMPARE(prompt.questions, QStringList{"Cancel saving this new page?"});
        QCOMPARE(m_viewer->isVisible(), answer != int(Prompt::Answer::Yes));
        QCOMPARE(pageCount(), 0);
    }

    // Copy puts the image on the clipboard; paste takes an image from it and
    // ignores anything else.
    void clipboard()
    {
        openPage(storedPage(RecordFixture::documentInNewFolder(), 1, QSize(30, 20)));
        m_viewer->findChild<QAction *>("mnuEditCopy")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(30, 20));
        QGuiApplication::clipboard()->setText("no picture");
        m_viewer->findChild<QAction *>("mnuEditPaste")->trigger();
        QCOMPARE(display()->image().size(), QSize(30, 20));
        QGuiApplication::clipboard()->setImage(TestImages::filled(QSize(70, 10), Qt::green));
        m_viewer->findChild<QAction *>("mnuEditPaste")->trigger();
        QCOMPARE(display()->image().size(), QSize(70, 10));
    }

    // Save As writes the picture quality in Edit mode whatever the scan
    // type says; it refuses the data folder, and Cancel remembers nothing.
    void saveAs()
    {
        FakePrompt prompt;
        Settings::setValue("TWAINImageType", "document");
        Settings::setValue("PicQualityOverride", "2");
        Settings::setValue("DocQualityOverride", "255");
        const RecordId pageId = storedPage(RecordFixture::documentInNewFolder(), 1, QSize(120, 90));
        openPage(pageId);
        const QString inside = PagePaths::GetDefaultPageFolder(pageId) + "/copy.jpg";
        const QString outside = TestEnvironment::root() + "/exported/page";
        prompt.fileNames = {std::nullopt, inside, outside};
        QTest::mouseClick(button("cmdSaveAs"), Qt::LeftButton);
        QVERIFY(!Settings::contains("LastSaveAsPath"));
        QTest::mouseClick(button("cmdSaveAs"), Qt::LeftButton);
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages.first().startsWith("You cannot save an image to a path within the Vellumark system."));
        QVERIFY(!QFileInfo::exists(inside));
        QTest::mouseClick(button("cmdSaveAs"), Qt::LeftButton);
        const QString expected = TestEnvironment::root() + "/expected.jpg";
        QVERIFY(!ImageOps::saveJpeg(display()->image(), expected, 2));
        QCOMPARE(TestFiles::read(outside + ".jpg"), TestFiles::read(expected));
        QCOMPARE(Settings::value("LastSaveAsPath"), TestEnvironment::root() + "/exported/");
        QCOMPARE(pageCount(), 1);
    }

    // The whole image behind a reduced picture is handed to an edit with no
    // other holder, even while the load that made it is still referenced,
    // so a turn works on the page's own pixels instead of a second copy.
    void takenImageHasOneHolder()
    {
        QTemporaryDir dir;
        const QString path = TestImages::writeJpeg(dir.filePath("page.jpg"), QSize(800, 1200), 300);
        const ImageOps::DisplayLoad loaded = ImageOps::loadForDisplay(path, [](const QSize &size) { return size / 8; });
        PageImageView view;
        view.setImage(loaded);
        QVERIFY(view.pictureSize().width() < 800);
        const QImage taken = view.takeImage();
        QCOMPARE(taken.size(), QSize(800, 1200));
        QVERIFY(taken.isDetached());
        QVERIFY(!view.hasImage());
    }
};

VLM_TEST_MAIN(frmPageViewTest)
#include "frmPageViewTest.moc"
