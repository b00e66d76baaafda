#pragma once

#include <QLoggingCategory>

// The model area's log: "varnisto.model". Warnings and notes are on by default, debug lines off.
Q_DECLARE_LOGGING_CATEGORY(lcModel)
