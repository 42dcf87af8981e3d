#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "core/RecordId.h"

class FakePrompt;
class QAction;
class LevelList;
class NavTree;
class QWidget;
class frmNavTree;

// The navigation window over a fresh database, as a base for the window's
// test classes. Each case starts from an empty database, no unlocked
// cabinet and a scripted prompt; it lays out its records, then loads the
// window.
class NavWindowFixture : public QObject
{
    Q_OBJECT

public:
    explicit NavWindowFixture(QObject *parent = nullptr);
    ~NavWindowFixture() override;

protected Q_SLOTS:
    // Protected, so that QtTest runs them around each case but not as cases.
    void init();
    void cleanup();

protected:
    // Builds, loads and shows the window; fails the case when it does not
    // appear.
    void load();
    // Makes the window the active one, so that keys reach it; false when it
    // does not become active.
    bool activate();
    NavTree *tree() const;
    LevelList *list() const;
    // Selects the node and lists its contents, as a click on it does.
    void show(const QString &key);
    // Clicks the node with the mouse.
    void clickNode(const QString &key);
    // The window's menu item of that name.
    QAction *action(const char *name) const;
    // Whether the menu of that name is visible on the menu bar.
    bool onBar(const char *menuName) const;
    // Runs an item of the node's popup, as a click on it would.
    void runPopup(const QString &source, const QString &key, const char *actionName);
    // Types a name into the name editor the view has open and presses
    // Enter; returns the text the editor offered. The view takes the name on
    // its next turn of the event loop.
    static QString typeNewName(QWidget *view, const QString &name);
    // The text of the name editor the view has open; a null string for
    // none.
    static QString openEditorText(QWidget *view);
    // A node key such as "CAB12".
    static QString key(const char *prefix, RecordId id);

    std::unique_ptr<frmNavTree> m_window;
    std::unique_ptr<FakePrompt> m_prompt;
};
