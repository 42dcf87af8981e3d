#include "RenameDelegate.h"

#include <QLineEdit>

namespace {
constexpr int kNameMaxLength = 80;
}

RenameDelegate::RenameDelegate(int keyRole, int nameRole, QObject *parent)
    : QStyledItemDelegate(parent), m_keyRole(keyRole), m_nameRole(nameRole)
{
}

RenameDelegate::~RenameDelegate() = default;

QWidget *RenameDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setMaxLength(kNameMaxLength);
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
    line->setText(name.isValid() ? name.toString() : index.data(Qt::DisplayRole).toString());
    line->selectAll();
}

void RenameDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line || !m_commit || m_committing)
        return;
    m_committing = true;
    m_commit(index.data(m_keyRole).toString(), line->text());
    m_committing = false;
}
