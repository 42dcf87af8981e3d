#include "core/ui/FormPosition.h"

#include <optional>

#include <QWidget>

#include "core/AppSettings.h"

namespace {

using AppSettings::Placement;

const Qt::WindowStates StateFlags = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

QString keyName(const QWidget *window, const QString &name)
{
    return name.isEmpty() ? window->objectName() : name;
}

} // namespace

namespace FormPosition {

void SaveFormPosition(QWidget *window, const QString &name)
{
    const QString base = keyName(window, name);
    const Qt::WindowStates states = window->windowState();
    int state = 0;
    if (states & Qt::WindowMinimized)
        state = 1;
    else if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        state = 2;
    if (state == 0) {
        AppSettings::setPlacement(base, Placement::Top, window->y());
        AppSettings::setPlacement(base, Placement::Left, window->x());
        AppSettings::setPlacement(base, Placement::Height, window->height());
        AppSettings::setPlacement(base, Placement::Width, window->width());
    }
    AppSettings::setPlacement(base, Placement::WindowState, state);
}

void RestoreFormPosition(QWidget *window, const QString &name)
{
    const QString base = keyName(window, name);
    const std::optional<int> state = AppSettings::placement(base, Placement::WindowState);
    const bool knownState = state && *state >= 0 && *state <= 2;

    // The window system does not move a maximised window, so the normal
    // placement goes in first and the state after it; a maximised window
    // then returns to this placement when the user restores it.
    if (knownState)
        window->setWindowState(window->windowState() & ~StateFlags);

    const std::optional<int> top = AppSettings::placement(base, Placement::Top);
    const std::optional<int> left = AppSettings::placement(base, Placement::Left);
    if (top || left)
        window->move(left.value_or(window->x()), top.value_or(window->y()));

    if (window->minimumSize() != window->maximumSize()) {
        std::optional<int> height = AppSettings::placement(base, Placement::Height);
        std::optional<int> width = AppSettings::placement(base, Placement::Width);
        // A size of nothing would leave no window to see.
        if (height && *height <= 0)
            height.reset();
        if (width && *width <= 0)
            width.reset();
        if (height || width)
            window->resize(width.value_or(window->width()), height.value_or(window->height()));
    }

    // A window left minimised opens in the normal state.
    if (knownState && *state == 2)
        window->setWindowState((window->windowState() & ~StateFlags) | Qt::WindowMaximized);
}

void SetTopMost(QWidget *window, bool topMost)
{
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topMost)
        return;
    // Changing a window flag hides the window; show it again if it was shown.
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (visible)
        window->show();
}

} // namespace FormPosition
