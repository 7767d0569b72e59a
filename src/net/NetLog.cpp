#include "net/NetLog.h"

Q_LOGGING_CATEGORY(lcGateway, "cashier.gateway", QtInfoMsg)
