#pragma once

#include <QStyledItemDelegate>

#include <functional>

// In-place renaming of tree nodes and list items. The editor opens on the
// bare name (a document's node text may carry its date); the new text is
// handed to the window, which checks and stores it and sets the shown texts
// itself, so a refused name leaves the label as it was and the editor opens
// again on what was typed.
class RenameDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // What became of a new name: stored, dropped (empty, unchanged or a
    // failure already reported) or refused with a message, in which case
    // the editor opens again on what was typed.
    enum class Outcome { Stored, Dropped, Refused };
    using CommitHandler = std::function<Outcome(const QString &key, const QString &text)>;

    RenameDelegate(int keyRole, int nameRole, QObject *parent);
    ~RenameDelegate() override;

    void setCommitHandler(CommitHandler handler) { m_commit = std::move(handler); }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

Q_SIGNALS:
    void editStarted() const;
    void editEnded() const;

private:
    int m_keyRole;
    int m_nameRole;
    CommitHandler m_commit;
    // A message box shown while committing takes the focus from the editor,
    // which would commit a second time.
    mutable bool m_committing = false;
    // The text the next editor opens on, after a refusal.
    mutable QString m_reopenText;
};
