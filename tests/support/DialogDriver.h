#pragma once

#include <QMetaType>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;

class QDialog;
class QLineEdit;

// Drives dialogs offscreen the way a user would: finds their controls by
// objectName, clicks, types, and answers modal dialogs that a command opens
// and waits on.
namespace DialogDriver {

// The named child; a missing one ends the run, as every step after it
// would only crash.
template<class T>
T *child(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

QLineEdit *box(QWidget *window, const char *name);

// Clicks the named button with the mouse.
void click(QWidget *window, const char *name);

// Clicks the widget through the window system, as a user does: a window
// that a modal one blocks does not get the click.
void clickAsUser(QWidget *target);

// Types any text, also characters that are no ASCII key.
void typeText(QWidget *widget, const QString &text);

// Shows a dialog the test drives itself and makes it the active window, so
// that focus can be checked. False when it never becomes active.
bool showActive(QDialog *dialog);

// Runs the steps once the modal dialog with this objectName shows. When it
// does not show, every modal window is closed so that a broken case fails
// instead of hanging; a step that failed half-way leaves no dialog waiting
// either.
void whenShown(const char *name, std::function<void(QDialog *)> steps);

// The same for a dialog that opens only after other work has run its own
// event loops (a scan reading its pages first): waits for the dialog to
// open, and when it has not after ten seconds, closes every modal window
// and warns, so that a broken case fails instead of hanging.
void whenOpened(const char *name, std::function<void(QDialog *)> steps);

// What a modal box looked like while it was up.
struct SeenBox
{
    bool seen = false;
    QPointer<QWidget> parent;
    bool onTop = false;
    // A click on its button through the window system closed it.
    bool tookClick = false;
};

// Watches for the next modal box, notes how it stands and closes it: a
// message box by a click on its first button through the window system,
// as a user would, any other box by Cancel.
void watchNextBox(SeenBox *seen);

// The ways a user leaves a dialog without OK.
enum class CancelWay { Button, Escape, Frame };

struct CancelWayRow
{
    const char *name;
    CancelWay way;
};
inline constexpr CancelWayRow kCancelWays[] = {
    {"Cancel button", CancelWay::Button}, {"Esc", CancelWay::Escape}, {"frame", CancelWay::Frame}};

// Cancels by the Cancel button, by Esc pressed in keyBox, or by the window
// frame.
void cancel(QDialog *dialog, CancelWay way, QWidget *keyBox);

// Adds the data column "how" (a CancelWay) with a row for each way.
void addCancelRows();

// The push button and the combo box of that object name in the window; null
// when there is none.
QPushButton *button(QWidget *window, const char *name);
QComboBox *combo(QWidget *window, const char *name);

} // namespace DialogDriver

Q_DECLARE_METATYPE(DialogDriver::CancelWay)
