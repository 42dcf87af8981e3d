#include "exchange/ExchangeLog.h"

Q_LOGGING_CATEGORY(lcExchange, "vlm.exchange")
