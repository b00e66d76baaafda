#include "StorageLogging.h"

Q_LOGGING_CATEGORY(lcStorage, "varnisto.storage", QtInfoMsg)
