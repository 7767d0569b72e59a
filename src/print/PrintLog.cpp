#include "print/PrintLog.h"

Q_LOGGING_CATEGORY(lcPrint, "cashier.print", QtInfoMsg)
