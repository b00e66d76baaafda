#pragma once

#include <QLoggingCategory>

// The shell's log: "varnisto.shell". Warnings are on by default, notes and debug lines off.
Q_DECLARE_LOGGING_CATEGORY(lcShell)
