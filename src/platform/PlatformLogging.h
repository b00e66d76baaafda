#pragma once

#include <QLoggingCategory>

// The platform area's log: "varnisto.platform". Warnings and notes are on by default, debug lines off.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
