#pragma once

#include <QLoggingCategory>

// The application layer's log: "varnisto.app". Warnings are on by default, notes and debug lines off.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
