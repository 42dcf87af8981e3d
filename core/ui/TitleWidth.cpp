#include "core/ui/TitleWidth.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// The window manager's icon, buttons and margins on the caption's line.
constexpr int kTitleBarAllowance = 140;

} // namespace

namespace TitleWidth {

int needed(const QWidget *window)
{
    QString caption = window->windowTitle();
    const QString program = QGuiApplication::applicationDisplayName();
    // Qt adds the program's name to every other caption.
    if (!program.isEmpty() && caption != program)
        caption += QStringLiteral(" \u2014 ") + program;
    // Title bars often use a bold face of the general font.
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(caption) + kTitleBarAllowance;
}

void fit(QWidget *dialog)
{
    const int width = needed(dialog);
    dialog->setMinimumWidth(qMax(dialog->minimumWidth(), width));
    // A layout of fixed size gives the window its own size hint whenever it
    // is laid out, over any minimum width: the layout is held open instead.
    auto *box = qobject_cast<QBoxLayout *>(dialog->layout());
    if (box && (box->direction() == QBoxLayout::TopToBottom || box->direction() == QBoxLayout::BottomToTop)) {
        const QMargins margins = box->contentsMargins();
        box->addStrut(width - margins.left() - margins.right());
    }
}

void fit(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(needed(&box), 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace TitleWidth
