#include "imaging/ui/Scanning.h"

#include "core/AppSettings.h"
#include "core/Changes.h"
#include "core/Guard.h"
#include "core/NavigationSink.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "imaging/ImagingState.h"
#include "imaging/ScanPlan.h"
#include "imaging/ScanSetup.h"
#include "imaging/ScannerSettings.h"
#include "imaging/ui/ScanAcquisition.h"
#include "imaging/ui/frmPageView.h"
#include "imaging/ui/frmScanSettings.h"
#include "store/NodeKeys.h"
#include "store/PageBirth.h"
#include "store/Records.h"
#include "store/ui/frmDocument.h"
#include "store/ui/frmDocumentNew.h"

namespace {

bool isFolderKey(const QString &key)
{
    return NodeKeys::isKeyOf(RecordLevel::Folder, key);
}

// The details typed before the scan go to the document it made; its node
// joins the tree only now, under that name (or as "New document" when the
// details could not be stored).
void storeDetailsBefore(RecordId documentId, const NewDocInfo &info)
{
    NavigationSink &tree = NavigationSink::instance();
    const bool stored = guard([&] { ScanPlan::storeDetails(documentId, info); });
    guard([&] {
        const RecordId folderId = Records::GetFolderIdOfDocument(documentId);
        if (stored)
            tree.AddDocumentToNavTree(folderId, documentId, info.NewDocName, info.NewDocDate);
        else
            tree.AddDocumentToNavTree(folderId, documentId, QStringLiteral("New document"), QDate());
    });
}

// Without the feeder: the one page, edited in the viewer or saved at once.
void keepSinglePage(frmPageView &viewer, const QImage &image, bool showEditor)
{
    if (image.isNull())
        return;
    viewer.setImage(image);
    if (showEditor)
        viewer.exec();
    else
        viewer.cmdSave_Click();
}

// Runs the device: feeder pages are saved as they come (their files
// encoded meanwhile), a single page is put in *single.
// A batch that ends early is reported, with the pages it kept.
void acquire(QWidget *parent, const ScanPlan::Plan &plan, frmPageView &viewer, QImage *single)
{
    const bool feeder = plan.request.feeder;
    const int encodeQuality = feeder ? ScannerSettings::pageQuality(true) : 0;
    int saved = 0;
    // The whole run is one batch of notices: a mail server that fails
    // holds the scan once, not once a sheet.
    const NoticeBatch notices;
    const ScanEnd end = ScanAcquisition::run(parent, plan.request, encodeQuality,
                                             [&](const QList<PageSave::ScannedPage> &pages) {
        if (!feeder) {
            *single = pages.front().image;
            return 1;
        }
        const int stored = viewer.saveFeederPages(pages);
        saved += stored;
        return stored;
    });
    ScanPlan::rememberSource(plan, end.usedSource);
    const QString stopped = ScanPlan::stoppedMessage(plan, end, saved);
    if (!stopped.isEmpty())
        Prompt::instance().warning(stopped);
}

} // namespace

namespace Scanning {

void ScanIntoDocument(QWidget *parent, const QString &key)
{
    ImagingState &state = ImagingState::instance();
    state.ScanTargetKey = key;
    state.ScanDocumentId = -1;
    if (!ScanSetup::wasShown()) {
        frmScanSettings::showScanSettings(parent);
        if (!ScanSetup::wasShown())
            return;
    }
    const ScanPlan::Plan plan = ScanPlan::read();
    if (!ScanPlan::hasSource(plan)) {
        Prompt::instance().warning(ScanPlan::noSourceMessage(plan));
        return;
    }
    // A cabinet whose disk is not connected takes no page: said before the
    // scanner runs.
    const std::optional<NodeKeys::NodeKey> target = NodeKeys::parseKey(key);
    if (target && target->level && !guard([&] {
            if (target->level == RecordLevel::Folder)
                PageBirth::requireStorageOfFolder(target->id);
            else
                PageBirth::requireStorageOfDocument(target->id);
        }))
        return;
    const bool feeder = plan.request.feeder;

    // A fresh viewer for every scan: nothing of an earlier page carries over.
    frmPageView viewer(parent);
    viewer.prepareForScan(key, feeder, feeder || !plan.showEditor);

    NewDocInfo before;
    const bool askBefore = isFolderKey(key) && plan.docInfo == QLatin1String("beforescan");
    if (askBefore) {
        before = frmDocumentNew::ask(parent);
        if (before.NewDocCancelled)
            return;
    }

    QImage single;
    acquire(parent, plan, viewer, &single);
    if (!feeder)
        keepSinglePage(viewer, single, plan.showEditor);

    // The details of the document the scan made, if it made one.
    const RecordId documentId = state.ScanDocumentId;
    if (!isFolderKey(key) || documentId <= 0)
        return;
    if (askBefore)
        storeDetailsBefore(documentId, before);
    else if (plan.docInfo == QLatin1String("afterscan"))
        frmDocument::editDocument(parent, documentId);
}

void scanSelected(QWidget *parent, const QString &imageType, const QString &selectedKey)
{
    AppSettings::TWAINImageType.write(imageType);
    if (NodeKeys::isKeyOf(RecordLevel::Folder, selectedKey) || NodeKeys::isKeyOf(RecordLevel::Document, selectedKey))
        ScanIntoDocument(parent, selectedKey);
    else
        Prompt::instance().warning(QStringLiteral("Please click on a folder or document to scan to."));
}

} // namespace Scanning
