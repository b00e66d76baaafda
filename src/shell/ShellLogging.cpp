#include "ShellLogging.h"

Q_LOGGING_CATEGORY(lcShell, "varnisto.shell", QtWarningMsg)
