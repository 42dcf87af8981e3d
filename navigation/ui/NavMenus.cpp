#include "NavMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

struct Item
{
    const char *name;
    const char *caption;  // "-" for a separator
    const char *shortcut;
};

struct MenuDef
{
    const char *name;
    const char *caption;
    std::initializer_list<Item> items;
};

const MenuDef kMenus[] = {
    {"mnuFile", "&File",
     {{"mnuFileScanPage", "&Scan Page", "Ctrl+S"},
      {"mnuFileScanPicture", "Scan &Picture", "Ctrl+P"},
      {"mnuFileFind", "&Find...", "Ctrl+F"},
      {"mnuFileSep1", "-", ""},
      {"mnuScanSettings", "&Scanner Settings...", ""},
      {"mnuPrintSettings", "&Print Settings...", ""},
      {"mnuEmailSettings", "&Email Settings...", ""},
      {"mnuViewSettings", "&View Settings...", ""},
      {"mnuFileDash1", "-", ""},
      {"mnuFileExit", "E&xit", ""}}},
    {"mnuPopupRoot", "&Cabinets",
     {{"mnuPopupRootNewFileCabinet", "&New File Cabinet", ""},
      {"mnuPopupRootRefresh", "&Refresh", ""}}},
    {"mnuPopupCabinet", "&Cabinet",
     {{"mnuPopupCabinetNewCabinet", "&New File Cabinet", ""},
      {"mnuPopupCabinetNewDrawer", "New &Drawer", ""},
      {"mnuPopupCabinetRename", "&Rename", ""},
      {"mnuPopupCabinetDelete", "Delete", ""},
      {"mnuPopupCabinetDash1", "-", ""},
      {"mnuPopupCabinetExport", "Export Cabinet", ""},
      {"mnuPopupCabinetImport", "Import Cabinet", ""},
      {"mnuPopupCabinetDash2", "-", ""},
      {"mnuPopupCabinetProperties", "&Properties", ""}}},
    {"mnuPopupDrawer", "&Drawer",
     {{"mnuPopupDrawerNewDrawer", "&New Drawer", ""},
      {"mnuPopupDrawerNewFolder", "New &Folder", ""},
      {"mnuPopupDrawerRename", "&Rename", ""},
      {"mnuPopupDrawerDelete", "Delete", ""},
      {"mnuPopupDrawerDash1", "-", ""},
      {"mnuPopupDrawerProperties", "&Properties", ""}}},
    {"mnuPopupFolder", "F&older",
     {{"mnuPopupFolderNewFolder", "&New Folder", ""},
      {"mnuPopupFolderNewDocument", "New &Document", ""},
      {"mnuPopupFolderImportFiles", "&Import Files", ""},
      {"mnuPopupFolderRename", "&Rename", ""},
      {"mnuPopupFolderDelete", "Delete", ""},
      {"mnuPopupFolderDash1", "-", ""},
      {"mnuPopupFolderProperties", "&Properties", ""}}},
    {"mnuPopupDocument", "&Document",
     {{"mnuPopupDocumentNewDocument", "&New Document", ""},
      {"mnuPopupDocumentScanPage", "&Scan New Page", ""},
      {"mnuPopupDocumentDash1", "-", ""},
      {"mnuPopupDocumentPrint", "Print Document", ""},
      {"mnuPopupDocumentRepaginate", "Renumber Pages", ""},
      {"mnuPopupDocumentImportFiles", "&Import Files", ""},
      {"mnuPopupDocumentRename", "Rename", ""},
      {"mnuPopupDocumentDelete", "Delete", ""},
      {"mnuPopupDocumentDash2", "-", ""},
      {"mnuPopupDocumentPaste", "Paste", ""},
      {"mnuPopupDocumentDash3", "-", ""},
      {"mnuPopupDocumentProperties", "&Properties", ""}}},
    {"mnuPopupPage", "&Page",
     {{"mnuPopupPageOpen", "&Open", ""},
      {"mnuPopupPagePrint", "&Print", ""},
      {"mnuPopupPageRenumber", "&Renumber", ""},
      {"mnuPopupPageDelete", "Delete", ""},
      {"mnuPopupPageDash1", "-", ""},
      {"mnuPopupPageCut", "Cut", ""},
      {"mnuPopupPageCopy", "Copy", ""},
      {"mnuPopupPagePaste", "Paste", ""},
      {"mnuPopupPageDash2", "-", ""},
      {"mnuPopupPageProperties", "&Properties", ""}}},
    {"mnuTools", "&Tools",
     {{"mnuToolsImportFiles", "&Import File Cabinet...", ""},
      {"mnuToolsExportCabinet", "&Export File Cabinet...", ""},
      {"mnuToolsDash1", "-", ""},
      {"mnuToolsDrawerTemplates", "&Drawer Templates...", ""},
      {"mnuToolsDash2", "-", ""},
      {"mnuToolsCreateSampleCabinet", "Create &Sample Cabinet...", ""}}},
    {"mnuHelp", "&Help",
     {{"mnuHelpHelpTopics", "&Help Topics...", "F1"},
      {"mnuHelpDash1", "-", ""},
      {"mnuHelpAbout", "&About...", ""}}},
    {"mnuPopupFound", "PopupFound",
     {{"mnuPopupFoundClear", "Clear Results", ""},
      {"mnuPopupFoundDash1", "-", ""},
      {"mnuPopupFoundProperties", "&Properties", ""}}},
};

} // namespace

NavMenus::NavMenus(QMenuBar *bar, QWidget *owner)
{
    for (const MenuDef &def : kMenus) {
        auto *menu = new QMenu(QString::fromUtf8(def.caption), owner);
        menu->setObjectName(QLatin1String(def.name));
        menu->menuAction()->setObjectName(QLatin1String(def.name) + QStringLiteral("Action"));
        bar->addMenu(menu);
        m_menus.insert(QLatin1String(def.name), menu);
        for (const Item &item : def.items) {
            QAction *a = QString::fromUtf8(item.caption) == QLatin1String("-")
                             ? menu->addSeparator()
                             : menu->addAction(QString::fromUtf8(item.caption));
            a->setObjectName(QLatin1String(item.name));
            if (*item.shortcut)
                a->setShortcut(QKeySequence(QLatin1String(item.shortcut)));
            m_actions.insert(QLatin1String(item.name), a);
        }
    }
    // Hidden items of the design.
    action(QStringLiteral("mnuPopupDocumentScanPage"))->setVisible(false);
    action(QStringLiteral("mnuPopupFoundDash1"))->setVisible(false);
    action(QStringLiteral("mnuPopupFoundProperties"))->setVisible(false);
    showMenuOnBar(QStringLiteral("mnuPopupFound"), false);
    hideTypeMenus();
}

QAction *NavMenus::action(const QString &name) const
{
    return m_actions.value(name, nullptr);
}

QMenu *NavMenus::menu(const QString &name) const
{
    return m_menus.value(name, nullptr);
}

const QStringList &NavMenus::typeMenuNames()
{
    static const QStringList names = {
        QStringLiteral("mnuPopupRoot"),   QStringLiteral("mnuPopupCabinet"),
        QStringLiteral("mnuPopupDrawer"), QStringLiteral("mnuPopupFolder"),
        QStringLiteral("mnuPopupDocument"), QStringLiteral("mnuPopupPage"),
    };
    return names;
}

void NavMenus::hideTypeMenus()
{
    for (const QString &name : typeMenuNames())
        showMenuOnBar(name, false);
}

void NavMenus::showMenuOnBar(const QString &name, bool visible)
{
    if (QMenu *m = menu(name))
        m->menuAction()->setVisible(visible);
}

bool NavMenus::isOnBar(const QString &name) const
{
    const QMenu *m = menu(name);
    return m && m->menuAction()->isVisible();
}
