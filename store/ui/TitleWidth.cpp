#include "store/ui/TitleWidth.h"

#include <QApplication>
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
    dialog->setMinimumWidth(qMax(dialog->minimumWidth(), needed(dialog)));
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
