#pragma once

#include <QLoggingCategory>

// The one logging category of the tools library ("vlm.tools"): diagnostics for
// developers, never shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcTools)
