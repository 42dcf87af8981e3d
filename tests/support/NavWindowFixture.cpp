#include "tests/support/NavWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include "core/RecordId.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavTree.h"
#include "navigation/ui/frmNavTree.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"

NavWindowFixture::NavWindowFixture(QObject *parent) : QObject(parent) {}

NavWindowFixture::~NavWindowFixture() = default;

void NavWindowFixture::init()
{
    TestEnvironment::openFreshDatabase();
    m_prompt = std::make_unique<FakePrompt>();
}

void NavWindowFixture::cleanup()
{
    m_window.reset();
    m_prompt.reset();
}

void NavWindowFixture::load()
{
    m_window = std::make_unique<frmNavTree>();
    m_window->Form_Load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

bool NavWindowFixture::activate()
{
    QApplication::setActiveWindow(m_window.get());
    return QTest::qWaitForWindowActive(m_window.get());
}

NavTree *NavWindowFixture::tree() const
{
    return m_window->tvwMain();
}

LevelList *NavWindowFixture::list() const
{
    return m_window->lvwMain();
}

void NavWindowFixture::show(const QString &key)
{
    tree()->selectNode(key);
    m_window->ShowNodeContents(key);
}

void NavWindowFixture::clickNode(const QString &key)
{
    QTreeWidgetItem *item = tree()->node(key);
    QVERIFY2(item, qPrintable(key));
    tree()->scrollToItem(item);
    const QPoint at = tree()->visualItemRect(item).center();
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

QAction *NavWindowFixture::action(const char *name) const
{
    auto *found = m_window->findChild<QAction *>(QLatin1String(name));
    if (!found)
        qFatal("no menu item %s", name);
    return found;
}

bool NavWindowFixture::onBar(const char *menuName) const
{
    auto *menu = m_window->findChild<QMenu *>(QLatin1String(menuName));
    if (!menu)
        qFatal("no menu %s", menuName);
    return menu->menuAction()->isVisible();
}

void NavWindowFixture::runPopup(const QString &source, const QString &key, const char *actionName)
{
    m_window->runPopupCommand(source, key, action(actionName));
}

namespace {

QLineEdit *visibleEditor(QWidget *view)
{
    for (QLineEdit *e : view->findChildren<QLineEdit *>()) {
        if (e->isVisible())
            return e;
    }
    return nullptr;
}

} // namespace

QString NavWindowFixture::openEditorText(QWidget *view)
{
    const QLineEdit *editor = visibleEditor(view);
    return editor ? editor->text() : QString();
}

QString NavWindowFixture::typeNewName(QWidget *view, const QString &name)
{
    auto *editor = visibleEditor(view);
    if (!QTest::qVerify(editor != nullptr, "editor", "no name editor open", __FILE__, __LINE__))
        return QString();
    const QString offered = editor->text();
    editor->setText(name);
    QTest::keyClick(editor, Qt::Key_Return);
    return offered;
}

QString NavWindowFixture::key(const char *prefix, RecordId id)
{
    return QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(id);
}
