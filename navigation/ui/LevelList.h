#pragma once

#include <QListWidget>

#include <functional>

// The list of the selected level's children (cabinets, drawers, folders,
// documents or found items), shown as large icons and sorted by text
// without regard to case. Items carry their node key and image key.
class LevelList : public QListWidget
{
    Q_OBJECT

public:
    enum Role { KeyRole = Qt::UserRole, IconKeyRole };

    explicit LevelList(QWidget *parent = nullptr);
    ~LevelList() override;

    void addEntry(const QString &key, const QString &text, const QString &iconKey);
    QListWidgetItem *entry(const QString &key) const;
    bool setEntryText(const QString &key, const QString &text);
    QStringList keys() const;
    QString iconKeyOf(const QString &key) const;

    static QString keyOf(const QListWidgetItem *item);
    QString selectedKey() const;
    QString selectedText() const;

    // Decides whether an item's name may be edited in place.
    void setRenameAllowed(std::function<bool(const QString &key)> allowed) { m_renameAllowed = std::move(allowed); }
    void renameEntry(const QString &key);

Q_SIGNALS:
    void mouseReleased(Qt::MouseButton button);
    void contextMenuRequested(const QString &key, const QPoint &globalPos);
    // Insert or Delete with the selected item's key.
    void keyCommandRequested(int key, int modifiers, const QString &itemKey);
    // Any key pressed in the list, before it is handled.
    void keyPressed();
    // Double-click or Enter on an item.
    void entryOpened(const QString &key);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    std::function<bool(const QString &)> m_renameAllowed;
};
