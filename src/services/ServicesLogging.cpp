#include "ServicesLogging.h"

Q_LOGGING_CATEGORY(lcServices, "varnisto.services", QtInfoMsg)
