#pragma once

#include <QLoggingCategory>

// The one logging category of the platform library ("vlm.platform"): diagnostics for
// developers, never shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
