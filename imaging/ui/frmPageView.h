#pragma once

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

#include "core/RecordId.h"
#include "imaging/PageContext.h"
#include "imaging/PageSave.h"
#include "platform/AppError.h"

class QTimer;

namespace Ui {
class frmPageView;
}

// The page viewer: one page at a time, modal and maximised, with paging
// through its document, zoom, rotate, crop, trim, the clipboard, Save (into
// the filing store) and Save As (to a file of the user's choice).
//
// "Edit" mode shows a stored page ("PAG" key); the 50 ms timer loads it
// once the window is up. "Add" mode holds a new image for a folder,
// document or page key; its rows are made only when it is saved.
class frmPageView : public QDialog
{
    Q_OBJECT

public:
    explicit frmPageView(QWidget *parent = nullptr);
    ~frmPageView() override;

    // Set by the caller before the window shows.
    QString Mode = QStringLiteral("Edit");
    QString Key;
    // A feeder scan saves page after page into one document without showing
    // the viewer.
    bool ADF = false;
    // Pages saved without the viewer showing (a feeder scan, a scan stored
    // at once) are named by their page id in a cabinet with its own storage
    // path, since nobody can type a name for them.
    bool NameByPageId = false;
    // The last LoadImage failed.
    bool LoadError = false;

    // How the E-mail button mails the page shown (parent, document, file):
    // the mail window is the program's to give. Without one the button is
    // hidden.
    using SendPage = std::function<void(QWidget *parent, RecordId documentId, const QString &file)>;
    static void setSendPage(SendPage send);

    // Opens a fresh viewer modally. "Edit": key is "PAG" and the page id.
    // "Add": key is the folder, document or page the new image goes into.
    static void showPage(QWidget *parent, const QString &mode, const QString &key,
                         const QImage &image = QImage());

    // Loads the page Key names at the default zoom. The display is cleared
    // first, so a page whose file is missing or unreadable shows nothing and
    // cannot be saved with another page's image.
    void LoadImage();
    // Reads the storage of the cabinet the key leads to and prepares the
    // file-name box.
    void PreResolveDbId(const QString &key);
    // Stores the image as the page (see PageSave) and closes the viewer,
    // unless a feeder scan goes on. True when the page was stored.
    bool cmdSave_Click();
    // Stores pages of a feeder scan together (see
    // PageSave::saveScannedPages), after the ones stored before; the number
    // stored. A page that cannot be stored is reported and ends the batch.
    int saveFeederPages(const QList<PageSave::ScannedPage> &pages);
    // Readies a fresh viewer for a scanned page: Add mode for the folder or
    // document key, captioned "New Page", without page properties.
    void prepareForScan(const QString &key, bool feeder, bool nameByPageId);
    // Puts an image in the display (a scanned page in Add mode), with its
    // files when they are already encoded.
    void setImage(const QImage &image, const PageSave::EncodedPage &encoded = {});

    RecordId pageId() const { return m_place.pageId; }
    QTimer *timer() const { return m_timer; }

public Q_SLOTS:
    // Esc, the window's close box and Cancel: a new page asks first.
    void reject() override;

private:
    void timer_Timer();
    void cmdPrev_Click();
    void cmdNext_Click();
    void cmdCancel_Click();
    void cmdSaveAs_Click();
    void cmdZoomIn_Click();
    void cmdZoomOut_Click();
    void cmdZoomFitWidth_Click();
    void cmdZoomFitHeight_Click();
    void cmdRotateClockwise_Click();
    void cmdCrop_Click();
    void cmdAutoTrim_Click();
    void cmdInfo_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();

    bool save();
    bool newPageTargetOk() const;
    bool checkFileName(bool *autoAssign, bool *deleteOldFile);
    void refuseName(const QString &message, const QString &boxText);
    void showLoaded(const QString &path);
    void refreshFileSize(const QString &path);
    void wholeImageFailed(const AppError &error);
    void replaceImage(const QImage &image);
    void updateCommands();
    bool addMode() const;

    std::unique_ptr<Ui::frmPageView> m_ui;
    QTimer *m_timer = nullptr;
    PageContext::PagePlace m_place;
    PageContext::Storage m_storage;
    QString m_loadedFilename;
    PageSave::EncodedPage m_encoded;  // the files of the image as set, until it changes
    bool m_edited = false;            // the loaded image was changed since
};
