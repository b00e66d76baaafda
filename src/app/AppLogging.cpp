#include "AppLogging.h"

Q_LOGGING_CATEGORY(lcApp, "varnisto.app", QtWarningMsg)
