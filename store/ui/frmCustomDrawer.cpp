#include "store/ui/frmCustomDrawer.h"
#include "ui_frmCustomDrawer.h"

#include <algorithm>

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QTreeWidgetItem>

#include "core/Guard.h"
#include "core/Prompt.h"
#include "platform/AppError.h"
#include "store/DrawerTemplates.h"
#include "store/NameChars.h"
#include "store/NodeKeys.h"
#include "store/RecordRules.h"

namespace {

// The node key ("ROOT", "DRW7", ...), the number of its key (the order in
// which siblings were added) and the last label the dialog accepted.
constexpr int KeyRole = Qt::UserRole;
constexpr int OrderRole = Qt::UserRole + 1;
constexpr int AcceptedTextRole = Qt::UserRole + 2;

const QString &kRoo = NodeKeys::Root;
const QString &kDrw = NodeKeys::Drawer;
const QString &kFld = NodeKeys::Folder;
const QString &kDoc = NodeKeys::Document;

// Siblings are shown sorted by text, letter case aside.
class SortedItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        return text(0).compare(other.text(0), Qt::CaseInsensitive) < 0;
    }
};

QString kindOf(const QTreeWidgetItem *item)
{
    return item ? NodeKeys::typeOf(item->data(0, KeyRole).toString()) : kRoo;
}

QIcon themeIcon(const QString &kind, const QStyle *style)
{
    if (kind == kFld)
        return QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
    if (kind == kDoc)
        return QIcon::fromTheme(QStringLiteral("text-x-generic"), style->standardIcon(QStyle::SP_FileIcon));
    return QIcon::fromTheme(QStringLiteral("drawer"), style->standardIcon(QStyle::SP_DriveHDIcon));
}

QList<QTreeWidgetItem *> childrenInAddedOrder(const QTreeWidgetItem *parent)
{
    QList<QTreeWidgetItem *> children;
    for (int i = 0; i < parent->childCount(); ++i)
        children.append(parent->child(i));
    std::sort(children.begin(), children.end(), [](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        return a->data(0, OrderRole).toInt() < b->data(0, OrderRole).toInt();
    });
    return children;
}

QList<DrawerTemplates::TemplateDrawer> templatesOf(const QTreeWidgetItem *root)
{
    QList<DrawerTemplates::TemplateDrawer> drawers;
    for (const QTreeWidgetItem *drawerItem : childrenInAddedOrder(root)) {
        DrawerTemplates::TemplateDrawer drawer{drawerItem->text(0), {}};
        for (const QTreeWidgetItem *folderItem : childrenInAddedOrder(drawerItem)) {
            DrawerTemplates::TemplateFolder folder{folderItem->text(0), {}};
            for (const QTreeWidgetItem *documentItem : childrenInAddedOrder(folderItem))
                folder.documents.append(documentItem->text(0));
            drawer.folders.append(folder);
        }
        drawers.append(drawer);
    }
    return drawers;
}

} // namespace

frmCustomDrawer::frmCustomDrawer(QWidget *parent, NodeIcons nodeIcons)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmCustomDrawer>()), m_nodeIcons(std::move(nodeIcons))
{
    m_ui->setupUi(this);
    m_ui->tvwMain->setSortingEnabled(true);
    m_ui->tvwMain->sortByColumn(0, Qt::AscendingOrder);
    connect(m_ui->cmdAddChild, &QPushButton::clicked, this, &frmCustomDrawer::cmdAddChild_Click);
    connect(m_ui->cmdRemoveSibling, &QPushButton::clicked, this, &frmCustomDrawer::cmdRemoveSibling_Click);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmCustomDrawer::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->tvwMain, &QTreeWidget::currentItemChanged, this, &frmCustomDrawer::setButtons);
    connect(m_ui->tvwMain, &QTreeWidget::itemChanged, this, &frmCustomDrawer::handleItemChanged);
    LoadTemplateTree();
    m_ui->tvwMain->setCurrentItem(m_root);
    setButtons();
}

frmCustomDrawer::~frmCustomDrawer() = default;

QIcon frmCustomDrawer::nodeIcon(const QString &kind) const
{
    if (!m_nodeIcons)
        return themeIcon(kind, style());
    if (kind == kFld)
        return m_nodeIcons(QStringLiteral("folder"));
    if (kind == kDoc)
        return m_nodeIcons(QStringLiteral("document"));
    return m_nodeIcons(QStringLiteral("drawer"));
}

void frmCustomDrawer::LoadTemplateTree()
{
    m_settingText = true;
    m_ui->tvwMain->clear();
    m_root = new SortedItem(QStringList(QStringLiteral("Drawers")));
    m_root->setData(0, KeyRole, NodeKeys::Root);
    m_root->setIcon(0, nodeIcon(kDrw));
    m_ui->tvwMain->addTopLevelItem(m_root);
    m_root->setExpanded(true);
    m_settingText = false;

    QString text;
    bool read = false;
    guard([&] { read = DrawerTemplates::readTemplateFile(&text); });
    if (!read)
        return;
    for (const DrawerTemplates::TemplateDrawer &drawer : DrawerTemplates::readTemplateTree(text)) {
        QTreeWidgetItem *drawerItem = addNode(m_root, kDrw, drawer.name);
        for (const DrawerTemplates::TemplateFolder &folder : drawer.folders) {
            QTreeWidgetItem *folderItem = addNode(drawerItem, kFld, folder.name);
            for (const QString &document : folder.documents)
                addNode(folderItem, kDoc, document);
        }
    }
}

QTreeWidgetItem *frmCustomDrawer::addNode(QTreeWidgetItem *parent, const QString &kind, const QString &text)
{
    int &counter = kind == kDrw ? m_drawerKeyCounter : kind == kFld ? m_folderKeyCounter : m_documentKeyCounter;
    ++counter;
    auto *item = new SortedItem(QStringList(text));
    item->setData(0, KeyRole, kind + QString::number(counter));
    item->setData(0, OrderRole, counter);
    item->setData(0, AcceptedTextRole, text);
    item->setIcon(0, nodeIcon(kind));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_settingText = true;
    parent->addChild(item);
    parent->setExpanded(true);
    item->setExpanded(true);
    m_settingText = false;
    return item;
}

void frmCustomDrawer::setButtons()
{
    const QString kind = kindOf(m_ui->tvwMain->currentItem());
    m_ui->cmdAddSibling->hide();
    m_ui->cmdAddChild->setVisible(kind != kDoc);
    if (kind == kRoo)
        m_ui->cmdAddChild->setText(QStringLiteral("Add Drawer"));
    else if (kind == kDrw)
        m_ui->cmdAddChild->setText(QStringLiteral("Add Folder"));
    else if (kind == kFld)
        m_ui->cmdAddChild->setText(QStringLiteral("Add Document"));
    m_ui->cmdRemoveSibling->setVisible(kind != kRoo);
    if (kind == kRoo)
        m_ui->cmdRemoveSibling->setText(QString());
    else if (kind == kDrw)
        m_ui->cmdRemoveSibling->setText(QStringLiteral("Remove Drawer"));
    else if (kind == kFld)
        m_ui->cmdRemoveSibling->setText(QStringLiteral("Remove Folder"));
    else
        m_ui->cmdRemoveSibling->setText(QStringLiteral("Remove Document"));
}

void frmCustomDrawer::cmdAddChild_Click()
{
    QTreeWidgetItem *parent = m_ui->tvwMain->currentItem();
    if (!parent)
        return;
    const QString kind = kindOf(parent);
    QTreeWidgetItem *item = nullptr;
    if (kind == kRoo)
        item = addNode(parent, kDrw, QStringLiteral("New Drawer"));
    else if (kind == kDrw)
        item = addNode(parent, kFld, QStringLiteral("New Folder"));
    else if (kind == kFld)
        item = addNode(parent, kDoc, QStringLiteral("New Document"));
    if (!item)
        return;
    m_ui->tvwMain->setCurrentItem(item);
    setButtons();
    m_ui->tvwMain->editItem(item, 0);
}

void frmCustomDrawer::cmdRemoveSibling_Click()
{
    QTreeWidgetItem *item = m_ui->tvwMain->currentItem();
    if (!item || item == m_root)
        return;
    delete item;  // the tree picks the next current node itself
    if (!m_ui->tvwMain->currentItem())
        m_ui->tvwMain->setCurrentItem(m_root);
    setButtons();
}

void frmCustomDrawer::handleItemChanged(QTreeWidgetItem *item, int column)
{
    if (m_settingText || column != 0 || item == m_root)
        return;
    const QString accepted = item->data(0, AcceptedTextRole).toString();
    QString text = item->text(0);
    if (text == accepted)
        return;
    // The entries become drawer, folder and document names when a template
    // is applied, so a label gets the same checks as a typed name.
    if (NameChars::HasInvalidNameChar(text)) {
        Prompt::instance().warning(RecordRules::invalidNameMessage());
        text = NameChars::StripInvalidNameChars(text);
    }
    if (text.trimmed().size() > RecordRules::MaxNameLength) {
        Prompt::instance().warning(
            QStringLiteral("A name may hold at most %1 characters.").arg(RecordRules::MaxNameLength));
        text = accepted;
    }
    if (!NameChars::hasVisibleChar(text))
        text = accepted;
    m_settingText = true;
    item->setText(0, text);
    item->setData(0, AcceptedTextRole, text);
    m_settingText = false;
    setButtons();
}

void frmCustomDrawer::cmdOK_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool saved = DrawerTemplates::saveTemplateFile(templatesOf(m_root), &error);
    if (saved)
        DrawerTemplates::LoadDrawerTemplateNames();
    QApplication::restoreOverrideCursor();
    if (!saved) {
        // The old file is still in place; the edits stay in the tree so the
        // user can try again or cancel.
        Prompt::instance().error(error);
        return;
    }
    accept();
}
