#include "navigation/ui/RenameDelegate.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTimer>

RenameDelegate::RenameDelegate(int keyRole, int nameRole, QObject *parent)
    : QStyledItemDelegate(parent), m_keyRole(keyRole), m_nameRole(nameRole)
{
}

RenameDelegate::~RenameDelegate() = default;

QWidget *RenameDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    // No length limit here: a long name is refused with a message when it
    // is stored, not cut short while it is typed or pasted.
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    Q_EMIT editStarted();
    return editor;
}

void RenameDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    QStyledItemDelegate::destroyEditor(editor, index);
    Q_EMIT editEnded();
}

void RenameDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QVariant name = index.data(m_nameRole);
    if (!m_reopenText.isNull())
        line->setText(m_reopenText);
    else
        line->setText(name.isValid() ? name.toString() : index.data(Qt::DisplayRole).toString());
    m_reopenText.clear();
    line->selectAll();
}

void RenameDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line || !m_commit || m_committing)
        return;
    m_committing = true;
    const QString typed = line->text();
    const Outcome outcome = m_commit(index.data(m_keyRole).toString(), typed);
    m_committing = false;
    auto *view = qobject_cast<QAbstractItemView *>(parent());
    if (outcome != Outcome::Refused || !view)
        return;
    // The editor is being closed; open a new one once it is gone.
    const QPersistentModelIndex at(index);
    QTimer::singleShot(0, view, [this, view, at, typed] {
        if (!at.isValid())
            return;
        m_reopenText = typed;
        view->setCurrentIndex(at);
        view->edit(at);
        // Still set when the view did not open an editor.
        m_reopenText.clear();
    });
}
