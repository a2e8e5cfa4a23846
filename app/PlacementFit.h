#pragma once
// Where a restored window placement may put the window. The stored numbers come from a
// file anyone can edit, and from other machines with other screens: a width of 0 leaves
// the window unmapped for good, a huge one asks for gigabytes of window memory, and a corner
// far outside the screens leaves nothing to grab. Pure arithmetic on outer (frame) rectangles
// in screen coordinates, so it is checked without a display.

#include <QList>
#include <QRect>
#include <QSize>

// The smallest outer size the main window takes: as wide as the compact layout, and tall
// enough to keep the menu bar, the toolbar, the tabs and the search box in sight. The user
// cannot shrink the window below it either.
inline constexpr QSize MinimumOuterSize {280, 150};

// The placement that is used instead of the stored one: at least `minimum` and at most the
// size of the chosen area, moved as little as needed to lie inside it. The area is the one of
// `areas` the stored rectangle overlaps most, the first one when it overlaps none. Without
// any area the size bounds alone apply.
QRect FitPlacement(int left, int top, int width, int height, QSize minimum, const QList<QRect>& areas);
