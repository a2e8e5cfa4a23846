#include "platform/PlatformLog.h"

Q_LOGGING_CATEGORY(lcPlatform, "pastewise.platform")
