#pragma once

#include <QLoggingCategory>

// The one logging category of the navigation library ("vlm.navigation"): diagnostics for
// developers, never shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcNavigation)
