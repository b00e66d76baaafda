#include "ModelLogging.h"

Q_LOGGING_CATEGORY(lcModel, "varnisto.model", QtInfoMsg)
