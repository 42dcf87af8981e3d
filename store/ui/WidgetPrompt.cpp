#include "store/ui/WidgetPrompt.h"

#include "store/Common.h"
#include "store/ui/TitleWidth.h"
#include "store/ui/frmPassword.h"
#include "store/ui/frmPathSelect.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString titleOr(const QString &title)
{
    return title.isEmpty() ? Common::GetAppTitle() : title;
}

// A message box whose caption is never cut; returns the button clicked.
QMessageBox::StandardButton runBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                                   QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
{
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    TitleWidth::fit(box);
    box.exec();
    return box.standardButton(box.clickedButton());
}

std::optional<QString> nonEmpty(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace

void WidgetPrompt::message(const QString &text, const QString &title)
{
    runBox(QMessageBox::Information, titleOr(title), text, QMessageBox::Ok);
}

void WidgetPrompt::warning(const QString &text, const QString &title)
{
    runBox(QMessageBox::Warning, titleOr(title), text, QMessageBox::Ok);
}

void WidgetPrompt::error(const QString &text)
{
    runBox(QMessageBox::Critical, Common::GetAppTitle(), text, QMessageBox::Ok);
}

bool WidgetPrompt::question(const QString &text, const QString &title)
{
    return runBox(QMessageBox::Question, titleOr(title), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

Prompt::Answer WidgetPrompt::questionYesNoCancel(const QString &text, const QString &title)
{
    switch (runBox(QMessageBox::Question, titleOr(title), text,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

Prompt::DiskAnswer WidgetPrompt::insertDisk(const QString &text)
{
    QMessageBox box(QMessageBox::Information, Common::GetAppTitle(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    QPushButton *choose = box.addButton(QStringLiteral("Choose folder…"), QMessageBox::ActionRole);
    box.setEscapeButton(QMessageBox::Cancel);
    TitleWidth::fit(box);
    box.exec();
    if (box.clickedButton() == choose)
        return DiskAnswer::ChooseFolder;
    return box.clickedButton() == box.button(QMessageBox::Ok) ? DiskAnswer::Ok : DiskAnswer::Cancel;
}

std::optional<QString> WidgetPrompt::input(const QString &text, const QString &title,
                                           const QString &defaultText)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(text);
    dialog.setTextValue(defaultText);
    TitleWidth::fit(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> WidgetPrompt::password(const QString &cabinetName)
{
    return frmPassword::ask(QApplication::activeWindow(), cabinetName);
}

std::optional<QString> WidgetPrompt::chooseFolder(const QString &startPath)
{
    QString path = startPath;
    if (!frmPathSelect::SelectPath(QApplication::activeWindow(), path))
        return std::nullopt;
    return path;
}

std::optional<QString> WidgetPrompt::openFileName(const QString &title, const QString &folder,
                                                  const QString &filter)
{
    return nonEmpty(QFileDialog::getOpenFileName(QApplication::activeWindow(), titleOr(title), folder, filter));
}

std::optional<QString> WidgetPrompt::saveFileName(const QString &title, const QString &suggestedPath,
                                                  const QString &filter)
{
    return nonEmpty(
        QFileDialog::getSaveFileName(QApplication::activeWindow(), titleOr(title), suggestedPath, filter));
}
