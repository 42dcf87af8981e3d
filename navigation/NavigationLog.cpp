#include "navigation/NavigationLog.h"

Q_LOGGING_CATEGORY(lcNavigation, "vlm.navigation")
