#pragma once

#include <QLoggingCategory>

// The one logging category of the exchange library ("vlm.exchange"): diagnostics for
// developers, never shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcExchange)
