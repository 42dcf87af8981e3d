#include "store/ui/frmPathSelect.h"
#include "ui_frmPathSelect.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QScrollBar>
#include <QTimer>

#include "core/AppSettings.h"
#include "core/Prompt.h"
#include "core/ui/FormPosition.h"
#include "core/ui/frmProgress.h"
#include "platform/PathFacts.h"
#include "store/RecordRules.h"

namespace {

bool g_cancelled = false;

// An absolute, cleaned folder path; relative text is taken from the home
// folder, as storage paths are.
QString absoluteFolder(const QString &text)
{
    const QString t = text.trimmed();
    return t.isEmpty() ? QString() : QDir::cleanPath(RecordRules::absoluteStoragePath(t));
}

bool isUnder(const QString &path, const QString &root)
{
    return path == root || PathFacts::isInside(path, root);
}

} // namespace

frmPathSelect::frmPathSelect(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPathSelect>()), m_model(new QFileSystemModel(this))
{
    m_ui->setupUi(this);
    resize(420, 440);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QStringLiteral("/"));
    m_ui->dirBox->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_ui->dirBox->hideColumn(column);
    fillVolumes();
    connect(m_ui->drvBox, &QComboBox::activated, this, &frmPathSelect::drvBox_Click);
    connect(m_ui->dirBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmPathSelect::dirBox_Change);
    connect(m_ui->dirBox, &QTreeView::clicked, this, &frmPathSelect::dirBox_Click);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &frmPathSelect::handleModelChanged);
    connect(m_model, &QFileSystemModel::layoutChanged, this, &frmPathSelect::handleModelChanged);
    connect(m_ui->dirBox->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_scrollPending = false; });
    connect(m_ui->txtPath, &QLineEdit::textEdited, this, [this] { m_scrollPending = false; });
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmPathSelect::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    FormPosition::RestoreFormPosition(this);
}

frmPathSelect::~frmPathSelect() = default;

bool frmPathSelect::showPath(const QString &path)
{
    const QString folder = absoluteFolder(path);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    const QModelIndex index = m_model->index(folder);
    if (index.isValid()) {
        m_ui->dirBox->setCurrentIndex(index);
        m_ui->dirBox->scrollTo(index);
        m_scrollPending = true;
    }
    // A hidden folder has no row in the tree; the path box still holds it.
    m_ui->txtPath->setText(folder);
    selectVolumeOf(folder);
    return true;
}

QString frmPathSelect::path() const
{
    return absoluteFolder(m_ui->txtPath->text());
}

bool frmPathSelect::SelectPath(QWidget *parent, QString &path)
{
    g_cancelled = false;
    frmPathSelect dialog(parent);
    frmProgress::keepAbove(&dialog);
    const QString start = path.trimmed().isEmpty() ? AppSettings::PathSelect.read() : path;
    if (!dialog.showPath(start))
        dialog.showPath(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted) {
        g_cancelled = true;
        return false;
    }
    path = dialog.path();
    return true;
}

bool frmPathSelect::PathSelectCancelled()
{
    return g_cancelled;
}

void frmPathSelect::done(int result)
{
    // Every way out (OK, Cancel, Esc, the frame) passes here.
    FormPosition::SaveFormPosition(this);
    QDialog::done(result);
}

void frmPathSelect::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A hidden view cannot scroll: bring the start folder into view now.
    scrollToCurrentLater();
}

void frmPathSelect::drvBox_Click(int index)
{
    const QString root = m_ui->drvBox->itemData(index).toString();
    const QSignalBlocker block(m_ui->drvBox);
    if (!QDir(root).isReadable() || !showPath(root)) {
        Prompt::instance().warning(QStringLiteral("Device is not ready."));
        m_ui->drvBox->setCurrentIndex(m_volume);
        return;
    }
    // The entry chosen stays shown, also when another entry holds it closer.
    m_ui->drvBox->setCurrentIndex(index);
    m_volume = index;
}

// The model reads and sorts folders in the background, so the rows above
// the chosen folder keep moving for a moment: follow it until the user
// takes over.
void frmPathSelect::handleModelChanged()
{
    if (m_scrollPending)
        scrollToCurrentLater();
}

// After the model's own delayed sort, so the row no longer moves.
void frmPathSelect::scrollToCurrentLater()
{
    QTimer::singleShot(0, this, [this] {
        m_ui->dirBox->scrollTo(m_ui->dirBox->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void frmPathSelect::dirBox_Change(const QModelIndex &current)
{
    if (current.isValid())
        m_ui->txtPath->setText(m_model->filePath(current));
}

void frmPathSelect::dirBox_Click(const QModelIndex &index)
{
    m_scrollPending = false;
    m_ui->dirBox->expand(index);
}

void frmPathSelect::cmdOK_Click()
{
    const QString folder = path();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        Prompt::instance().warning(QStringLiteral("The folder '%1' does not exist.").arg(m_ui->txtPath->text()));
        m_ui->txtPath->setFocus();
        return;
    }
    AppSettings::PathSelect.write(folder);
    accept();
}

// Linux has no drive letters: the list offers the home folder, the root and
// the mounted volumes, each standing for its top folder.
void frmPathSelect::fillVolumes()
{
    const QSignalBlocker block(m_ui->drvBox);
    m_ui->drvBox->clear();
    const QString home = QDir::homePath();
    m_ui->drvBox->addItem(QStringLiteral("Home (%1)").arg(home), home);
    m_ui->drvBox->addItem(QStringLiteral("/"), QStringLiteral("/"));
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.rootPath() != QLatin1String("/") && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    roots.sort();
    for (const QString &root : roots)
        m_ui->drvBox->addItem(root, root);
}

// The entry whose folder holds the path most closely.
void frmPathSelect::selectVolumeOf(const QString &path)
{
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < m_ui->drvBox->count(); ++i) {
        const QString root = m_ui->drvBox->itemData(i).toString();
        if (isUnder(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker block(m_ui->drvBox);
    m_ui->drvBox->setCurrentIndex(best);
    m_volume = best;
}
