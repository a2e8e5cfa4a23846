#include "common/DesignScale.h"

#include <algorithm>
#include <cmath>

TDesignScale::TDesignScale(double factor)
    : m_factor(std::max(1.0, factor))
{
}

TDesignScale TDesignScale::FromMetrics(const std::array<int, ReferenceTexts.size()>& widths, int textHeight)
{
    double factor = double(textHeight) / DesignTextHeight;
    for (std::size_t i = 0; i < ReferenceTexts.size(); ++i)
        factor = std::max(factor, double(widths[i]) / ReferenceTexts[i].designWidth);
    return TDesignScale(factor);
}

int TDesignScale::operator()(int designPixels) const
{
    // Rounded to the nearest pixel; at factor 1 every number stays exactly as drawn.
    return int(std::lround(designPixels * m_factor));
}

QSize TDesignScale::operator()(const QSize& design) const
{
    return {(*this)(design.width()), (*this)(design.height())};
}

QRect TDesignScale::operator()(const QRect& design) const
{
    return {(*this)(design.x()), (*this)(design.y()), (*this)(design.width()), (*this)(design.height())};
}
