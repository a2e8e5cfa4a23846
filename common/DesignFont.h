#pragma once
// The design scale of a window, from the font it draws with.

#include "common/DesignScale.h"

class QFont;

TDesignScale DesignScaleOf(const QFont& font);
