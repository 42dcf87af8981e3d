#pragma once

#include <QLoggingCategory>

// The one logging category of the store library ("vlm.store"): diagnostics for
// developers, never shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcStore)
