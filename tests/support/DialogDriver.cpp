#include "tests/support/DialogDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace DialogDriver {

QLineEdit *box(QWidget *window, const char *name)
{
    return child<QLineEdit>(window, name);
}

void click(QWidget *window, const char *name)
{
    QTest::mouseClick(child<QAbstractButton>(window, name), Qt::LeftButton);
}

void clickAsUser(QWidget *target)
{
    QWidget *window = target->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      target->mapTo(window, target->rect().center()));
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

bool showActive(QDialog *dialog)
{
    dialog->show();
    QApplication::setActiveWindow(dialog);
    return QTest::qWaitForWindowActive(dialog);
}

void whenShown(const char *name, std::function<void(QDialog *)> steps)
{
    QTimer::singleShot(0, [name, steps] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String(name)) {
            qWarning("%s not shown", name);
            while (QWidget *w = QApplication::activeModalWidget())
                w->close();
            return;
        }
        steps(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

void watchNextBox(SeenBox *seen)
{
    QTimer::singleShot(0, [seen] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen->seen = true;
        seen->parent = box->parentWidget();
        seen->onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (auto *message = qobject_cast<QMessageBox *>(box)) {
            clickAsUser(message->buttons().constFirst());
            seen->tookClick = !box->isVisible();
        }
        if (box->isVisible())
            box->reject();
    });
}

void whenOpened(const char *name, std::function<void(QDialog *)> steps)
{
    auto *timer = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, name, steps] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        const bool opened = dialog && dialog->objectName() == QLatin1String(name);
        if (!opened && clock->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (!opened) {
            qWarning("%s not shown", name);
            // A progress window refuses to close while its work runs.
            for (int i = 0; i < 20 && QApplication::activeModalWidget(); ++i)
                QApplication::activeModalWidget()->close();
            return;
        }
        steps(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

void cancel(QDialog *dialog, CancelWay way, QWidget *keyBox)
{
    switch (way) {
    case CancelWay::Button:
        click(dialog, "cmdCancel");
        break;
    case CancelWay::Escape:
        QTest::keyClick(keyBox, Qt::Key_Escape);
        break;
    case CancelWay::Frame:
        dialog->close();
        break;
    }
}

void addCancelRows()
{
    QTest::addColumn<CancelWay>("how");
    for (const CancelWayRow &row : kCancelWays)
        QTest::newRow(row.name) << row.way;
}

QPushButton *button(QWidget *window, const char *name)
{
    return window->findChild<QPushButton *>(QLatin1String(name));
}

QComboBox *combo(QWidget *window, const char *name)
{
    return child<QComboBox>(window, name);
}

} // namespace DialogDriver
