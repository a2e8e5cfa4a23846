#include "common/DesignFont.h"

#include <QFontMetrics>

TDesignScale DesignScaleOf(const QFont& font)
{
    // Whole-pixel metrics, as the controls size themselves with them.
    const QFontMetrics metrics(font);
    std::array<int, ReferenceTexts.size()> widths {};
    for (std::size_t i = 0; i < ReferenceTexts.size(); ++i)
        widths[i] = metrics.horizontalAdvance(QLatin1String(ReferenceTexts[i].text));
    return TDesignScale::FromMetrics(widths, metrics.height());
}
