#include "WidgetPrompt.h"

#include "Common.h"
#include "frmPassword.h"
#include "frmPathSelect.h"

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

std::optional<QString> nonEmpty(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace

void WidgetPrompt::message(const QString &text, const QString &title)
{
    QMessageBox::information(QApplication::activeWindow(), titleOr(title), text);
}

void WidgetPrompt::warning(const QString &text, const QString &title)
{
    QMessageBox::warning(QApplication::activeWindow(), titleOr(title), text);
}

void WidgetPrompt::error(const QString &text)
{
    QMessageBox::critical(QApplication::activeWindow(), Common::GetAppTitle(), text);
}

bool WidgetPrompt::question(const QString &text, const QString &title)
{
    return QMessageBox::question(QApplication::activeWindow(), titleOr(title), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

Prompt::Answer WidgetPrompt::questionYesNoCancel(const QString &text, const QString &title)
{
    switch (QMessageBox::question(QApplication::activeWindow(), titleOr(title), text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Cancel)) {
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
    box.exec();
    if (box.clickedButton() == choose)
        return DiskAnswer::ChooseFolder;
    return box.clickedButton() == box.button(QMessageBox::Ok) ? DiskAnswer::Ok : DiskAnswer::Cancel;
}

std::optional<QString> WidgetPrompt::input(const QString &text, const QString &title,
                                           const QString &defaultText)
{
    bool ok = false;
    const QString value = QInputDialog::getText(QApplication::activeWindow(), titleOr(title), text,
                                                QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return value;
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
