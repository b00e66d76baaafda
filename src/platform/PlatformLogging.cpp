#include "PlatformLogging.h"

Q_LOGGING_CATEGORY(lcPlatform, "varnisto.platform", QtInfoMsg)
