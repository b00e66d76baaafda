#pragma once

#include <QLoggingCategory>

// The services area's log: "varnisto.services". Warnings and notes are on by default, debug lines off.
Q_DECLARE_LOGGING_CATEGORY(lcServices)
