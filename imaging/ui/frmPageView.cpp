#include "imaging/ui/frmPageView.h"
#include "ui_frmPageView.h"

#include "core/Guard.h"
#include "core/NavigationSink.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "core/ui/BusyCursor.h"
#include "imaging/ImageOps.h"
#include "imaging/ImagingState.h"
#include "imaging/JpegEnd.h"
#include "imaging/PageFileNames.h"
#include "imaging/PageSave.h"
#include "imaging/SaveAs.h"
#include "imaging/ScannerSettings.h"
#include "imaging/print/frmPrint.h"
#include "imaging/ui/PageImageView.h"
#include "imaging/ui/frmPage.h"
#include "platform/AppError.h"
#include "store/NodeKeys.h"
#include "store/PagePaths.h"
#include "store/Pages.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>

namespace {

QString loadMessage(const QString &path, const AppError &error)
{
    if (error.code == int(ErrorCode::InvalidValue) && error.text.contains(QLatin1String("Invalid file format")))
        return QStringLiteral("Cannot load file '%1'.  Invalid file format or file is corrupted.").arg(path);
    return QStringLiteral("Error during load.  %1 %2").arg(error.code).arg(error.text);
}

frmPageView::SendPage &sendPage()
{
    static frmPageView::SendPage send;
    return send;
}

} // namespace

void frmPageView::setSendPage(SendPage send)
{
    sendPage() = std::move(send);
}

frmPageView::frmPageView(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPageView>()), m_timer(new QTimer(this))
{
    m_ui->setupUi(this);
    ImagingState::instance().PageViewOpen = true;
    if (parent)
        setWindowIcon(parent->window()->windowIcon());
    setWindowState(windowState() | Qt::WindowMaximized);

    auto *menuBar = new QMenuBar(this);
    QMenu *mnuEdit = menuBar->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEdit->addAction(m_ui->mnuEditCopy);
    mnuEdit->addAction(m_ui->mnuEditPaste);
    m_ui->mnuEditCopy->setShortcut(QKeySequence::Copy);
    m_ui->mnuEditPaste->setShortcut(QKeySequence::Paste);
    m_ui->layMain->setMenuBar(menuBar);

    m_ui->lblSaveTo->setVisible(false);
    m_ui->txtFilename->setVisible(false);

    m_timer->setObjectName(QStringLiteral("timer"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &frmPageView::timer_Timer);
    connect(m_ui->cmdPrev, &QPushButton::clicked, this, &frmPageView::cmdPrev_Click);
    connect(m_ui->cmdNext, &QPushButton::clicked, this, &frmPageView::cmdNext_Click);
    // Print and E-mail work on the stored page, as the page list's commands do.
    connect(m_ui->cmdPrint, &QPushButton::clicked, this,
            [this] { frmPrint::showForPage(this, m_place.pageId); });
    m_ui->cmdEmail->setVisible(bool(sendPage()));
    connect(m_ui->cmdEmail, &QPushButton::clicked, this, [this] {
        QString file;
        if (sendPage() && guard([&] { file = PagePaths::GetPageFilePath(m_place.pageId); }))
            sendPage()(this, m_place.documentId, file);
    });
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &frmPageView::cmdSave_Click);
    connect(m_ui->cmdSaveAs, &QPushButton::clicked, this, &frmPageView::cmdSaveAs_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &frmPageView::cmdCancel_Click);
    connect(m_ui->txtFilename, &QLineEdit::returnPressed, this, &frmPageView::cmdSave_Click);
    connect(m_ui->cmdZoomIn, &QPushButton::clicked, this, &frmPageView::cmdZoomIn_Click);
    connect(m_ui->cmdZoomOut, &QPushButton::clicked, this, &frmPageView::cmdZoomOut_Click);
    connect(m_ui->cmdZoomFitWidth, &QPushButton::clicked, this, &frmPageView::cmdZoomFitWidth_Click);
    connect(m_ui->cmdZoomFitHeight, &QPushButton::clicked, this, &frmPageView::cmdZoomFitHeight_Click);
    connect(m_ui->cmdRotateClockwise, &QPushButton::clicked, this, &frmPageView::cmdRotateClockwise_Click);
    connect(m_ui->cmdCrop, &QPushButton::clicked, this, &frmPageView::cmdCrop_Click);
    connect(m_ui->cmdAutoTrim, &QPushButton::clicked, this, &frmPageView::cmdAutoTrim_Click);
    connect(m_ui->cmdInfo, &QPushButton::clicked, this, &frmPageView::cmdInfo_Click);
    connect(m_ui->mnuEditCopy, &QAction::triggered, this, &frmPageView::mnuEditCopy_Click);
    connect(m_ui->mnuEditPaste, &QAction::triggered, this, &frmPageView::mnuEditPaste_Click);
    connect(m_ui->LEAD1, &PageImageView::wholeImageFailed, this, &frmPageView::wholeImageFailed);
    updateCommands();
}

frmPageView::~frmPageView()
{
    ImagingState::instance().PageViewOpen = false;
}

void frmPageView::showPage(QWidget *parent, const QString &mode, const QString &key, const QImage &image)
{
    // A fresh viewer for every opening: nothing of an earlier page carries over.
    frmPageView viewer(parent);
    viewer.Mode = mode;
    viewer.Key = key;
    if (viewer.addMode()) {
        viewer.PreResolveDbId(key);
        viewer.setImage(image);
    } else {
        viewer.m_timer->start();
    }
    viewer.exec();
}

bool frmPageView::addMode() const
{
    return Mode == QLatin1String("Add");
}

void frmPageView::timer_Timer()
{
    LoadImage();
    if (LoadError)
        QDialog::reject();
}

void frmPageView::LoadImage()
{
    LoadError = false;
    m_ui->LEAD1->clear();
    m_encoded = PageSave::EncodedPage();
    m_ui->LEAD1->setZoom(100);
    m_loadedFilename.clear();
    if (!addMode()) {
        m_place = PageContext::PagePlace();
        LoadError = !guard([&] {
            // Edit mode is given a page's key; any other text is refused.
            const std::optional<RecordId> pageId = NodeKeys::idOfType(Key, NodeKeys::Page);
            if (!pageId)
                throw AppError(ErrorCode::RecordMissing, QStringLiteral("There is no page for '%1'.").arg(Key));
            m_place = PageContext::ResolvePageNeighbours(*pageId);
            m_storage = m_place.storage;
        });
        if (!LoadError) {
            setWindowTitle(PageContext::caption(m_place));
            m_ui->lblSaveTo->setVisible(m_storage.usesStoragePath);
            m_ui->txtFilename->setVisible(m_storage.usesStoragePath);
            m_ui->txtFilename->setText(m_place.filename);
            showLoaded(PagePaths::GetPageFilePath(m_place.pageId, m_place.filename));
        }
    }
    updateCommands();
}

// A page without an image file shows an empty display and no message.
void frmPageView::showLoaded(const QString &path)
{
    if (!QFileInfo::exists(path))
        return;
    // A page fitted to the window is shown from a reduced decode; the whole
    // image follows on a worker thread for zooming in and editing.
    const QString zoomMode = ImagingState::instance().ZoomMode;
    const QSize display = m_ui->LEAD1->displaySize();
    const double ratio = m_ui->LEAD1->devicePixelRatioF();
    int zoom = 100;
    const ImageOps::DisplayLoad loaded = ImageOps::loadForDisplay(path, [&](const QSize &size) {
        zoom = ImageOps::defaultZoom(zoomMode, display, size);
        return ImageOps::displayedPixels(size, zoom, ratio);
    });
    if (loaded.error) {
        Prompt::instance().error(loadMessage(path, *loaded.error));
        LoadError = true;
        return;
    }
    m_ui->LEAD1->setImage(loaded);
    m_loadedFilename = path;
    m_edited = false;
    if (JpegEnd::fileEndsEarly(path))
        Prompt::instance().warning(
            QStringLiteral("The file '%1' is damaged: the image ends early and is shown as far as it could be read.")
                .arg(path));
    refreshFileSize(path);
    m_ui->LEAD1->setZoom(ImageOps::defaultZoom(zoomMode, display, loaded.size));
    m_ui->LEAD1->scrollToTopLeft();
}

// The row's FileSize follows the file shown, should a save have ended
// between replacing the file and committing the row.
void frmPageView::refreshFileSize(const QString &path)
{
    if (addMode())
        return;
    try {
        Pages::refreshPageFileSize(m_place.pageId, path);
    } catch (const AppError &) {
        // Viewing goes on; the next view tries again.
    }
}

// The whole image of the page shown could not be decoded after all: the
// display is empty, and nothing can be saved or edited.
void frmPageView::wholeImageFailed(const AppError &error)
{
    Prompt::instance().error(loadMessage(m_loadedFilename, error));
    LoadError = true;
    m_loadedFilename.clear();
    updateCommands();
}

void frmPageView::PreResolveDbId(const QString &key)
{
    guard([&] {
        const bool placed = m_place.folderId != 0 && m_place.documentId != 0;
        const RecordId cabinetId = placed ? m_place.cabinetId : PageContext::cabinetOfKey(key);
        m_storage = PageContext::cabinetStorage(cabinetId);
    });
    if (addMode() && m_ui->txtFilename->text().isEmpty() && m_storage.usesStoragePath)
        m_ui->txtFilename->setText(PageFileNames::startOfName(m_storage.cabinetStoragePath));
    m_ui->lblSaveTo->setVisible(m_storage.usesStoragePath);
    m_ui->txtFilename->setVisible(m_storage.usesStoragePath);
}

void frmPageView::setImage(const QImage &image, const PageSave::EncodedPage &encoded)
{
    m_ui->LEAD1->setImage(image);
    m_encoded = encoded;
    updateCommands();
}

void frmPageView::replaceImage(const QImage &image)
{
    if (image.isNull())
        return;
    const double zoom = m_ui->LEAD1->zoom();
    m_ui->LEAD1->setImage(image);
    m_encoded = PageSave::EncodedPage();
    m_edited = true;
    m_ui->LEAD1->setZoom(zoom);
    updateCommands();
}

void frmPageView::updateCommands()
{
    const bool image = m_ui->LEAD1->hasImage();
    // With no image nothing can be saved, exported or edited.
    for (QWidget *w : {static_cast<QWidget *>(m_ui->cmdSaveAs), static_cast<QWidget *>(m_ui->cmdZoomIn),
                       static_cast<QWidget *>(m_ui->cmdZoomOut), static_cast<QWidget *>(m_ui->cmdZoomFitWidth),
                       static_cast<QWidget *>(m_ui->cmdZoomFitHeight)})
        w->setEnabled(image);
    m_ui->mnuEditCopy->setEnabled(image);
    // A shortcut page's file is the user's own: it can be viewed and
    // exported, never edited or saved over.
    const bool editable = image && !m_place.shortcut;
    for (QWidget *w : {m_ui->cmdCrop, m_ui->cmdRotateClockwise, m_ui->cmdAutoTrim})
        w->setEnabled(editable);
    m_ui->cmdSave->setEnabled(editable && (addMode() || m_place.pageId != 0));
    m_ui->cmdPrev->setEnabled(m_place.prevPageId != 0);
    m_ui->cmdNext->setEnabled(m_place.nextPageId != 0);
    m_ui->cmdInfo->setEnabled(m_place.pageId != 0);
    m_ui->cmdPrint->setEnabled(m_place.pageId != 0);
    m_ui->cmdEmail->setEnabled(m_place.pageId != 0);
}

void frmPageView::cmdPrev_Click()
{
    if (m_place.prevPageId == 0)
        return;
    Key = NodeKeys::keyOf(RecordLevel::Page, m_place.prevPageId);
    LoadImage();
}

void frmPageView::cmdNext_Click()
{
    if (m_place.nextPageId == 0)
        return;
    Key = NodeKeys::keyOf(RecordLevel::Page, m_place.nextPageId);
    LoadImage();
}

void frmPageView::cmdCancel_Click()
{
    reject();
}

void frmPageView::reject()
{
    if (!addMode()) {
        QDialog::reject();
        return;
    }
    if (Prompt::instance().questionYesNoCancel(QStringLiteral("Cancel saving this new page?"))
        != Prompt::Answer::Yes)
        return;
    // Only a feeder scan has saved rows while the viewer stayed open.
    if (m_place.pageId != 0 && !guard([&] { PageSave::deleteSavedPage(m_place.pageId); }))
        return;
    QDialog::reject();
}

bool frmPageView::cmdSave_Click()
{
    bool stored = false;
    guard([&] { stored = save(); });
    return stored;
}

// A level above a folder gets "Error!"; any other key that cannot take a
// page is refused without a word.
bool frmPageView::newPageTargetOk() const
{
    if (PageSave::isLevelAboveFolder(Key)) {
        Prompt::instance().warning(QStringLiteral("Error!"));
        return false;
    }
    return PageSave::isPageTarget(Key);
}

int frmPageView::saveFeederPages(const QList<PageSave::ScannedPage> &pages)
{
    if (pages.isEmpty() || !newPageTargetOk())
        return 0;
    PreResolveDbId(Key);
    std::vector<PageSave::SaveRequest> requests;
    for (const PageSave::ScannedPage &page : pages) {
        PageSave::SaveRequest request;
        request.addMode = true;
        request.key = Key;
        request.image = page.image;
        request.quality = ScannerSettings::pageQuality(true);
        // Nobody types a name for a feeder page.
        if (m_storage.usesStoragePath)
            request.nameByIdIn = m_storage.cabinetStoragePath;
        request.encoded = page.encoded;
        requests.push_back(request);
    }
    PageSave::BatchResult stored;
    {
        BusyCursor busy;
        stored = PageSave::saveScannedPages(requests);
    }
    if (!stored.saved.empty()) {
        const PageSave::SaveResult &last = stored.saved.back();
        ImagingState::instance().ScanDocumentId = last.documentId;
        m_place.pageId = last.pageId;
        Key = NodeKeys::keyOf(RecordLevel::Document, last.documentId);
    }
    if (stored.error)
        guard([&] { throw *stored.error; });
    return int(stored.saved.size());
}

void frmPageView::prepareForScan(const QString &key, bool feeder, bool nameByPageId)
{
    Mode = QStringLiteral("Add");
    Key = key;
    ADF = feeder;
    NameByPageId = nameByPageId;
    setWindowTitle(QStringLiteral("New Page"));
    m_ui->cmdInfo->hide();
    PreResolveDbId(key);
    updateCommands();
}

void frmPageView::refuseName(const QString &message, const QString &boxText)
{
    m_ui->txtFilename->setText(boxText);
    Prompt::instance().warning(message);
    if (isVisible())
        m_ui->txtFilename->setFocus();
}

// The checks of a name typed for a cabinet with its own storage path; false
// when the save must stop.
bool frmPageView::checkFileName(bool *autoAssign, bool *deleteOldFile)
{
    Prompt &prompt = Prompt::instance();
    const PageFileNames::NameCheck check =
        PageFileNames::checkFileName(m_ui->txtFilename->text(), m_storage.cabinetStoragePath);
    if (check.verdict == PageFileNames::NameVerdict::Refuse) {
        refuseName(check.message, check.boxText);
        return false;
    }
    if (check.verdict == PageFileNames::NameVerdict::AskAutoAssign) {
        if (!prompt.question(PageFileNames::autoAssignQuestion())) {
            refuseName(PageFileNames::pleaseEnterFilenameMessage(), PageFileNames::startOfName(m_storage.cabinetStoragePath));
            return false;
        }
        *autoAssign = true;
        *deleteOldFile = true;
        return true;
    }
    const QString name = check.boxText;
    m_ui->txtFilename->setText(name);
    if (!PageFileNames::sameFileName(name, m_loadedFilename) && QFileInfo::exists(name)
        && !prompt.question(PageFileNames::overwriteQuestion(name)))
        return false;
    if (!m_loadedFilename.isEmpty() && !PageFileNames::sameFileName(name, m_loadedFilename)
        && prompt.question(PageFileNames::renameQuestion(m_loadedFilename)))
        *deleteOldFile = true;
    return true;
}

bool frmPageView::save()
{
    if (!m_ui->LEAD1->hasImage() || (!addMode() && m_place.pageId == 0)) {
        Prompt::instance().warning(QStringLiteral("There is no image to save."));
        return false;
    }
    if (addMode() && !newPageTargetOk())
        return false;
    if (!addMode() && m_place.shortcut) {
        Prompt::instance().warning(QStringLiteral("A shortcut page cannot be saved."));
        return false;
    }
    bool autoAssign = false;
    bool deleteOldFile = false;
    PreResolveDbId(Key);
    const bool nameById = addMode() && NameByPageId && m_storage.usesStoragePath;
    if (nameById) {
        m_ui->txtFilename->clear();
    } else if (m_storage.usesStoragePath) {
        if (!checkFileName(&autoAssign, &deleteOldFile))
            return false;
    } else if (addMode()) {
        m_ui->txtFilename->clear();
    }

    PageSave::SaveRequest request;
    request.addMode = addMode();
    request.key = Key;
    request.pageId = m_place.pageId;
    request.image = m_ui->LEAD1->image();
    request.filename = autoAssign ? QString() : m_ui->txtFilename->text();
    request.autoAssignName = autoAssign;
    request.quality = ScannerSettings::pageQuality(addMode());
    if (nameById)
        request.nameByIdIn = m_storage.cabinetStoragePath;
    request.encoded = m_encoded;
    if (!addMode() && !m_edited)
        request.unchangedFile = m_loadedFilename;
    PageSave::SaveResult saved;
    {
        BusyCursor busy;
        saved = PageSave::SavePage(request);
        if (deleteOldFile)
            PageSave::deleteOldFiles(m_loadedFilename, saved);
    }
    // The saved page is the one selected in the page pane.
    NavigationSink::instance().selectPageInListView(saved.pageId);
    ImagingState::instance().ScanDocumentId = saved.documentId;
    if (ADF) {
        m_place.pageId = saved.pageId;
        Key = NodeKeys::keyOf(RecordLevel::Document, saved.documentId);
        return true;
    }
    accept();
    return true;
}

void frmPageView::cmdSaveAs_Click()
{
    guard([this] {
        if (!m_ui->LEAD1->hasImage())
            return;
        Prompt &prompt = Prompt::instance();
        const std::optional<QString> chosen = prompt.saveFileName(
            QStringLiteral("Save As"), SaveAs::proposedName(m_place.pageId),
            QStringLiteral("JPEG files (*.jpg);;All files (*)"));
        if (!chosen || chosen->isEmpty())
            return;
        const QString name = SaveAs::withDefaultExtension(*chosen);
        if (SaveAs::isInsideDataFolder(name)) {
            prompt.warning(SaveAs::insideDataFolderMessage());
            return;
        }
        if (QFileInfo::exists(name)
            && prompt.questionYesNoCancel(SaveAs::overwriteQuestion(name)) != Prompt::Answer::Yes)
            return;
        BusyCursor busy;
        if (auto error = SaveAs::exportImage(m_ui->LEAD1->image(), name, ScannerSettings::pageQuality(addMode())))
            throw *error;
    });
}

void frmPageView::cmdZoomIn_Click()
{
    m_ui->LEAD1->setZoom(ImageOps::zoomIn(m_ui->LEAD1->zoom()));
}

void frmPageView::cmdZoomOut_Click()
{
    m_ui->LEAD1->setZoom(ImageOps::zoomOut(m_ui->LEAD1->zoom()));
}

void frmPageView::cmdZoomFitWidth_Click()
{
    m_ui->LEAD1->setZoom(
        ImageOps::fitZoom(m_ui->LEAD1->displaySize().width(), m_ui->LEAD1->imageSize().width()));
}

void frmPageView::cmdZoomFitHeight_Click()
{
    m_ui->LEAD1->setZoom(
        ImageOps::fitZoom(m_ui->LEAD1->displaySize().height(), m_ui->LEAD1->imageSize().height()));
}

void frmPageView::cmdRotateClockwise_Click()
{
    BusyCursor busy;
    // The display hands its image over, so the turn never holds the page
    // twice over in memory.
    const double zoom = m_ui->LEAD1->zoom();
    QImage page = m_ui->LEAD1->takeImage();
    const QImage turned = ImageOps::rotate(std::move(page), 90);
    if (turned.isNull() && !page.isNull()) {
        // No memory for the turned page: the page stays as it was.
        m_ui->LEAD1->setImage(page);
        m_ui->LEAD1->setZoom(zoom);
        return;
    }
    replaceImage(turned);
}

// Crops to the selection; a selection under one pixel, or one outside the
// image, leaves the image as it is.
void frmPageView::cmdCrop_Click()
{
    if (!m_ui->LEAD1->selecting())
        return;
    const QImage cropped = ImageOps::crop(m_ui->LEAD1->image(), m_ui->LEAD1->selectionInImage());
    m_ui->LEAD1->clearSelection();
    BusyCursor busy;
    replaceImage(cropped);
}

void frmPageView::cmdAutoTrim_Click()
{
    BusyCursor busy;
    replaceImage(ImageOps::autoTrim(m_ui->LEAD1->image()));
}

void frmPageView::cmdInfo_Click()
{
    if (m_place.pageId != 0)
        frmPage::showPageProperties(this, {m_place.pageId});
}

void frmPageView::mnuEditCopy_Click()
{
    if (!m_ui->LEAD1->hasImage())
        return;
    BusyCursor busy;
    QGuiApplication::clipboard()->setImage(m_ui->LEAD1->image());
}

void frmPageView::mnuEditPaste_Click()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    BusyCursor busy;
    replaceImage(QGuiApplication::clipboard()->image());
}
