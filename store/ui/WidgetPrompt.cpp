#include "WidgetPrompt.h"

#include "Common.h"
#include "frmPassword.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString titleOr(const QString &title)
{
    return title.isEmpty() ? Common::GetAppTitle() : title;
}

} // namespace

void WidgetPrompt::message(const QString &text, const QString &title)
{
    QMessageBox::information(QApplication::activeWindow(), titleOr(title), text);
}

void WidgetPrompt::error(const QString &text)
{
    QMessageBox::warning(QApplication::activeWindow(), Common::GetAppTitle(), text);
}

bool WidgetPrompt::question(const QString &text, const QString &title)
{
    return QMessageBox::question(QApplication::activeWindow(), titleOr(title), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

std::optional<QString> WidgetPrompt::password(const QString &cabinetName)
{
    Q_UNUSED(cabinetName);
    return frmPassword::ask(QApplication::activeWindow());
}
