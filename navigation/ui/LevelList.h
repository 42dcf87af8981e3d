#pragma once

#include <QListWidget>

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
};
