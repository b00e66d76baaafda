#pragma once

#include <QLoggingCategory>

// The storage area's log: "varnisto.storage". Warnings and notes are on by default, debug lines off.
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
