#pragma once

#include <QLoggingCategory>

// The application layer's log: "varnisto.app". Warnings are on by default, notes and debug lines off.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
// The start-up trace: "varnisto.startup", off by default. Each phase of the start writes one line with the
// monotonic clock's reading in microseconds, which a program that started us can set against its own.
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// Writes the line "startup <phase> at <microseconds>" to the start-up trace when it is on.
void traceStartup(const char *phase);
