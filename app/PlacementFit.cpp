#include "app/PlacementFit.h"

#include <algorithm>

namespace {

// Overlap of [a, a + aLength) and [b, b + bLength) in 64 bits: stored numbers may be
// anything up to 0x7fffffff, and a sum of two of them does not fit an int.
qint64 overlap(qint64 a, qint64 aLength, qint64 b, qint64 bLength)
{
    return std::max<qint64>(0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

int fitInto(int position, int length, int areaStart, int areaLength)
{
    // A window larger than the area keeps its start at the area's start.
    const int last = areaStart + std::max(0, areaLength - length);
    return std::clamp(position, areaStart, last);
}

} // namespace

QRect FitPlacement(int left, int top, int width, int height, QSize minimum, const QList<QRect>& areas)
{
    // Qt's own bound for a window's size; positions get the same, so a rectangle's far edge
    // never overflows.
    constexpr int largest = (1 << 24) - 1;
    left = std::min(left, largest);
    top = std::min(top, largest);
    width = std::clamp(width, minimum.width(), largest);
    height = std::clamp(height, minimum.height(), largest);
    if (areas.isEmpty())
        return {left, top, width, height};

    const QRect* area = &areas.first();
    qint64 best = 0;
    for (const QRect& candidate : areas) {
        const qint64 shared = overlap(left, width, candidate.x(), candidate.width())
            * overlap(top, height, candidate.y(), candidate.height());
        if (shared > best) {
            best = shared;
            area = &candidate;
        }
    }
    width = std::max(std::min(width, area->width()), minimum.width());
    height = std::max(std::min(height, area->height()), minimum.height());
    return {fitInto(left, width, area->x(), area->width()), fitInto(top, height, area->y(), area->height()),
        width, height};
}
