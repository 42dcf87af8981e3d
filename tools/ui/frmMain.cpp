#include "tools/ui/frmMain.h"
#include "ui_frmMain.h"

#include "core/ui/BusyCursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QVersionNumber>

#include "core/Guard.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "tools/Compaction.h"
#include "tools/LinkRepair.h"
#include "tools/PageFileSweep.h"
#include "tools/ToolsFiles.h"
#include "tools/ui/ToolsIcon.h"
#include "tools/ui/frmAdvanced.h"
#include "tools/ui/frmScanDPI.h"
#include "tools/ui/frmToolsProgress.h"

namespace {

const char *const kNotes[] = {
    "Modify the scanning resolution used for scanning documents and pictures.  "
    "Running this option will cause no loss of data.",
    "Attempt to shrink wasted space and repair any problems in the database.  "
    "Running this option should cause no loss of data.",
    "Attempt to find orphaned data that is no longer accessible.  "
    "Running this option will cause no loss of data.",
    "Delete all thumbnail images.  This will not delete the original page.  "
    "Running this option will cause no loss of data.",
    "Delete all pages & thumbnails and start over.  "
    "WARNING: this option will delete everything and force you to start over.",
};
const char *const kDefaultNote = "Select an option above or click on Close to exit.";

// The note number of each tool button, the property the hover reads.
const char *const kNoteProperty = "note";

} // namespace

frmMain::frmMain(QWidget *parent) : QWidget(parent), m_ui(std::make_unique<Ui::frmMain>())
{
    m_ui->setupUi(this);
    setWindowIcon(ToolsIcon::appIcon());
    setWindowTitle(caption(QStringLiteral(VLM_VERSION)));
    m_progress = new frmToolsProgress(this);
    Progress::setView(m_progress);

    const QList<QPushButton *> noted{m_ui->cmdScanRes, m_ui->cmdCompactDb, m_ui->cmdFixLinks,
                                     m_ui->cmdDeleteThumbs, m_ui->cmdStartOver};
    for (int n = 0; n < noted.size(); ++n) {
        noted[n]->setProperty(kNoteProperty, n);
        noted[n]->installEventFilter(this);
    }

    connect(m_ui->cmdScanRes, &QPushButton::clicked, this, &frmMain::cmdScanRes_Click);
    connect(m_ui->cmdAdvanced, &QPushButton::clicked, this, &frmMain::cmdAdvanced_Click);
    connect(m_ui->cmdCompactDb, &QPushButton::clicked, this, &frmMain::cmdCompactDb_Click);
    connect(m_ui->cmdDeleteThumbs, &QPushButton::clicked, this, &frmMain::cmdDeleteThumbs_Click);
    connect(m_ui->cmdFixLinks, &QPushButton::clicked, this, &frmMain::cmdFixLinks_Click);
    connect(m_ui->cmdStartOver, &QPushButton::clicked, this, &frmMain::cmdStartOver_Click);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    ShowNote(-1);
}

frmMain::~frmMain() = default;

QString frmMain::caption(const QString &version)
{
    const QVersionNumber v = QVersionNumber::fromString(version);
    return QStringLiteral("Vellumark Tools (version %1.%2.%3)")
        .arg(v.majorVersion())
        .arg(v.minorVersion())
        .arg(v.microVersion());
}

QString frmMain::noteText(int n)
{
    if (n >= 0 && n < int(std::size(kNotes)))
        return QLatin1String(kNotes[n]);
    return QLatin1String(kDefaultNote);
}

void frmMain::ShowNote(int n)
{
    m_ui->lblNote->setText(noteText(n));
}

void frmMain::DisableToolButtons()
{
    setToolButtonsEnabled(false);
}

void frmMain::EnableToolButtons()
{
    setToolButtonsEnabled(true);
}

void frmMain::setToolButtonsEnabled(bool enabled)
{
    for (QPushButton *button : {m_ui->cmdScanRes, m_ui->cmdClose, m_ui->cmdCompactDb, m_ui->cmdDeleteThumbs,
                                m_ui->cmdFixLinks, m_ui->cmdStartOver})
        button->setEnabled(enabled);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter) {
        const QVariant n = watched->property(kNoteProperty);
        if (n.isValid())
            ShowNote(n.toInt());
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Close is disabled during a run, but the frame's close box is not:
    // the window must outlive the tool that runs inside its click.
    if (m_busy)
        event->ignore();
    else
        event->accept();
}

void frmMain::cmdScanRes_Click()
{
    frmScanDPI dialog(this);
    dialog.exec();
}

void frmMain::cmdAdvanced_Click()
{
    frmAdvanced dialog(this);
    dialog.exec();
}

void frmMain::cmdCompactDb_Click()
{
    if (refuseWhileVlmRuns())
        return;
    confirmAndRun(QStringLiteral("Compact the database?"), &Compaction::CompactDb);
}

void frmMain::cmdDeleteThumbs_Click()
{
    confirmAndRun(QStringLiteral("Delete all thumbnails?"), &PageFileSweep::DeleteThumbnails);
}

void frmMain::cmdFixLinks_Click()
{
    if (refuseWhileVlmRuns())
        return;
    confirmAndRun(QStringLiteral("Repair broken links?"), &LinkRepair::FixBrokenLinks);
}

void frmMain::cmdStartOver_Click()
{
    if (refuseWhileVlmRuns())
        return;
    if (confirmStartOver() && confirmDatabaseRemoval())
        runTool(&PageFileSweep::StartOver);
}

void frmMain::confirmAndRun(const QString &question, const std::function<ToolResult()> &tool)
{
    if (Prompt::instance().questionYesNoCancel(question) == Prompt::Answer::Yes)
        runTool(tool);
}

void frmMain::runTool(const std::function<ToolResult()> &tool)
{
    m_busy = true;
    DisableToolButtons();
    ToolResult result;
    {
        BusyCursor busy;
        guard([&] { result = tool(); });
    }
    result.show();
    EnableToolButtons();
    m_busy = false;
}

bool frmMain::confirmStartOver()
{
    Prompt &prompt = Prompt::instance();
    if (prompt.questionYesNoCancel(QStringLiteral("Start over with no data?")) != Prompt::Answer::Yes)
        return false;
    // Cancel counts as an empty reply: the sentence was not typed.
    const QString reply = prompt
                              .input(QStringLiteral("Please type the sentence, I WANT TO START OVER, to confirm "
                                                    "your intention to erase all of your data."),
                                     QStringLiteral("Verification"))
                              .value_or(QString());
    if (!PageFileSweep::isStartOverConfirmed(reply)) {
        prompt.message(QStringLiteral("'Start Over' was cancelled."));
        return false;
    }
    return prompt.questionYesNoCancel(QStringLiteral("Are you sure?")) == Prompt::Answer::Yes;
}

bool frmMain::confirmDatabaseRemoval()
{
    // A file that is not a usable database of ours may be something else
    // the user keeps (another program's file, a damaged database to be
    // rescued, a journal without its database): it is named and asked for
    // on its own.
    QString question;
    if (!guard([&] { question = PageFileSweep::databaseQuestion(); }))
        return false;
    return question.isEmpty() || Prompt::instance().questionYesNoCancel(question) == Prompt::Answer::Yes;
}

bool frmMain::refuseWhileVlmRuns()
{
    // The tool checks again when it takes the lock: vlm may start while the
    // questions are open.
    const QString refusal = ToolsFiles::lockRefusal();
    if (refusal.isEmpty())
        return false;
    Prompt::instance().warning(refusal);
    return true;
}
