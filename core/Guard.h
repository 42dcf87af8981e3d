#pragma once

#include <functional>

// Runs the work of one event handler. An AppError (or any other exception)
// that escapes it is shown through the prompt as "Error # <code> <text>"
// and false is returned, so no exception crosses the event loop. A cabinet
// whose storage folder is not available (ErrorCode::StorageUnavailable) is
// a warning of its text alone.
bool guard(const std::function<void()> &work);
