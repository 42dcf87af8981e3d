#pragma once

#include <QLoggingCategory>

// The one logging category of the imaging library ("vlm.imaging"): diagnostics for
// developers, never shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcImaging)
