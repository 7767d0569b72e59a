#pragma once

#include <QLoggingCategory>

// Requests and replies of the gateway client. Password values never reach it.
Q_DECLARE_LOGGING_CATEGORY(lcGateway)
