#include "core/ui/WidgetPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "core/Product.h"
#include "core/ui/TitleWidth.h"
#include "core/ui/frmProgress.h"

namespace {

QString titleOr(const QString &title)
{
    return title.isEmpty() ? Product::GetAppTitle() : title;
}

// Shows a message box whose caption is never cut; returns the button
// clicked.
QAbstractButton *showBox(QMessageBox &box)
{
    TitleWidth::fit(box);
    frmProgress::keepAbove(&box);
    box.exec();
    return box.clickedButton();
}

// A message box of standard buttons; returns the one clicked.
QMessageBox::StandardButton runBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                                   QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
{
    QMessageBox box(icon, title, text, buttons, WidgetPrompt::boxParent());
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.standardButton(showBox(box));
}

// Runs a file dialog; the file chosen, nullopt for Cancel.
std::optional<QString> chosenFile(QFileDialog &dialog)
{
    frmProgress::keepAbove(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace

// A box that opens during a long operation belongs to its progress window,
// so it opens above it rather than under it (the progress window stays on
// top of the program's other windows); any other box to the active window.
QWidget *WidgetPrompt::boxParent()
{
    if (QWidget *progress = frmProgress::shownWindow())
        return progress;
    return QApplication::activeWindow();
}

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
    runBox(QMessageBox::Critical, Product::GetAppTitle(), text, QMessageBox::Ok);
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
    QMessageBox box(QMessageBox::Information, Product::GetAppTitle(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    boxParent());
    QPushButton *choose = box.addButton(QStringLiteral("Choose folder…"), QMessageBox::ActionRole);
    box.setEscapeButton(QMessageBox::Cancel);
    QAbstractButton *clicked = showBox(box);
    if (clicked == choose)
        return DiskAnswer::ChooseFolder;
    return clicked == box.button(QMessageBox::Ok) ? DiskAnswer::Ok : DiskAnswer::Cancel;
}

std::optional<QString> WidgetPrompt::input(const QString &text, const QString &title,
                                           const QString &defaultText)
{
    QInputDialog dialog(boxParent());
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(text);
    dialog.setTextValue(defaultText);
    TitleWidth::fit(&dialog);
    frmProgress::keepAbove(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> WidgetPrompt::openFileName(const QString &title, const QString &folder,
                                                  const QString &filter)
{
    QFileDialog dialog(boxParent(), titleOr(title), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosenFile(dialog);
}

std::optional<QString> WidgetPrompt::saveFileName(const QString &title, const QString &suggestedPath,
                                                  const QString &filter)
{
    QFileDialog dialog(boxParent(), titleOr(title), suggestedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return chosenFile(dialog);
}
