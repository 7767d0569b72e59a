#pragma once

#include <QLoggingCategory>

// Receipts handed to the printer, and those that could not be.
Q_DECLARE_LOGGING_CATEGORY(lcPrint)
