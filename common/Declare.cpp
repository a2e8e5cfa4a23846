#include "common/Declare.h"

qint32 ActivationKey = 0;
bool AutoAppend = false;
QString AutoAppendStr;
bool CompactMode = false;
