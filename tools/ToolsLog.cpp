#include "tools/ToolsLog.h"

Q_LOGGING_CATEGORY(lcTools, "vlm.tools")
