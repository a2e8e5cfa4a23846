#include "common/Declare.h"

QString CurTable;
quint32 TargetWindow = 0;
