#include "store/ui/frmDocument.h"
#include "ui_frmDocument.h"

#include "core/Guard.h"
#include "core/NavigationSink.h"
#include "core/RecordId.h"
#include "platform/AppError.h"
#include "store/Dates.h"
#include "store/Records.h"
#include "store/ui/RecordDialog.h"

namespace {
constexpr int kStatisticsTab = 1;
const QString kAdd = QStringLiteral("Add");
} // namespace

frmDocument::frmDocument(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmDocument>())
{
    m_ui->setupUi(this);
    m_ui->txtName->setFocus();  // before the tab bar, which comes first in the chain
    RecordDialog::connectTodayButton(m_ui->imgNow, m_ui->txtDateOnDocument);
    connect(m_ui->tabMain, &QTabWidget::currentChanged, this, &frmDocument::tabMain_Change);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmDocument::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmDocument::~frmDocument() = default;

void frmDocument::UpdateCaption()
{
    const bool add = Mode == kAdd;
    setWindowTitle(add ? QStringLiteral("Add Document")
                       : QStringLiteral("Document Properties (%1)").arg(DocumentId));
    m_ui->tabMain->setTabVisible(kStatisticsTab, !add);
}

void frmDocument::setValues(const RecordRules::DocumentValues &values)
{
    FolderId = values.folderId;
    RecordDialog::setWholeText(m_ui->txtName, values.name, RecordRules::MaxNameLength);
    m_ui->txtDescription->setPlainText(values.description);
    m_ui->txtDateOnDocument->setText(Dates::formatDate(values.dateOnDocument));
    m_shownAmount = {RecordRules::formatAmountForEdit(values.amount), values.amount};
    RecordDialog::setWholeText(m_ui->txtAmount, m_shownAmount->text, RecordRules::MaxAmountLength);
}

bool frmDocument::addDocument(QWidget *parent, RecordId folderId)
{
    frmDocument dialog(parent);
    dialog.Mode = kAdd;
    dialog.FolderId = folderId;
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

bool frmDocument::editDocument(QWidget *parent, RecordId documentId)
{
    std::optional<RecordRules::DocumentValues> values;
    const bool read = guard([&] {
        values = Records::readDocument(documentId);
        if (!values)
            throw RecordDialog::missingRecord(RecordLevel::Document);
    });
    if (!read)
        return false;
    frmDocument dialog(parent);
    dialog.DocumentId = documentId;
    dialog.setValues(*values);
    dialog.Mode = QStringLiteral("Edit");
    dialog.UpdateCaption();
    return dialog.exec() == QDialog::Accepted;
}

void frmDocument::tabMain_Change(int index)
{
    if (index == kStatisticsTab)
        ShowStatistics();
}

void frmDocument::ShowStatistics()
{
    if (StatisticsLoaded)
        return;
    const RecordId id = DocumentId;
    RecordDialog::StatisticsLabels labels;
    labels.pages = m_ui->lblPAGCount;
    labels.bytes = m_ui->lblByteCount;
    StatisticsLoaded = RecordDialog::showStatistics([id] { return RecordRules::documentStatistics(id); }, labels);
}

void frmDocument::cmdOK_Click()
{
    RecordRules::DocumentValues values;
    values.folderId = FolderId;
    values.description = m_ui->txtDescription->toPlainText();
    if (!RecordDialog::checkDocumentBoxes(
            {m_ui->txtName, m_ui->txtDateOnDocument, m_ui->txtAmount, m_ui->tabMain}, &values,
            m_shownAmount ? &*m_shownAmount : nullptr))
        return;
    if (guard([&] { save(values); }))
        accept();
}

// Writes the row (a blank date as Null) and mirrors it in the tree. Throws
// AppError, also when the folder (or, in Edit mode, the document) is gone.
void frmDocument::save(const RecordRules::DocumentValues &values)
{
    const bool add = Mode == kAdd;
    if (add)
        RecordDialog::requireRecord(RecordLevel::Folder, FolderId);
    else
        RecordDialog::requireRecord(RecordLevel::Document, DocumentId);
    NavigationSink &tree = NavigationSink::instance();
    if (!add) {
        Records::updateDocument(DocumentId, values);
        RecordDialog::mirror([&] { tree.UpdateDocumentName(DocumentId, values.name, values.dateOnDocument); });
        return;
    }
    const RecordId id = Records::insertDocument(values);
    RecordDialog::mirror([&] { tree.AddDocumentToNavTree(FolderId, id, values.name, values.dateOnDocument); });
}
