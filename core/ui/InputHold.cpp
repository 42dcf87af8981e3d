#include "core/ui/InputHold.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

bool isUserInput(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

InputHold::InputHold(const std::function<bool(const QWidget *)> &isFree, QObject *parent) : QObject(parent)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !isFree(window))
            m_windows.append(window);
    }
    QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool InputHold::holds(const QObject *receiver) const
{
    if (!receiver)
        return false;
    // The window system's events reach a window's QWindow before its widgets.
    if (receiver->isWindowType()) {
        for (const QPointer<QWidget> &w : m_windows) {
            if (w && w->windowHandle() == receiver)
                return true;
        }
        return false;
    }
    // A shortcut or an action belongs to the widget it was made for.
    for (const QObject *o = receiver; o; o = o->parent()) {
        if (o->isWidgetType())
            return m_windows.contains(static_cast<const QWidget *>(o)->window());
    }
    return false;
}

bool InputHold::eventFilter(QObject *watched, QEvent *event)
{
    // Closing by the frame is refused; the program may still close a window
    // itself.
    if (event->type() == QEvent::Close && event->spontaneous() && holds(watched)) {
        event->ignore();
        return true;
    }
    return isUserInput(event) && holds(watched);
}
