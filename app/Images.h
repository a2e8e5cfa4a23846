#pragma once
// The command images 0..22 and the application icon. The pictures ship as SVG
// resources; where the desktop's icon theme has a standard icon of the same meaning,
// that one is preferred so the window matches the rest of the desktop.

#include <QIcon>
#include <QString>

// Resource path of the shipped picture of image `index`, or an empty string when the
// index is not one of 0..22 (-1 means "no image" in the command table).
QString CommandImagePath(int index);

// Standard theme icon names tried for image `index`, best first; empty when the
// picture has no standard counterpart.
QStringList CommandImageThemeNames(int index);

// The theme's icon when it has one, else the shipped picture; a null icon for an
// index outside 0..22.
QIcon CommandImage(int index);

// The shipped picture only, never the theme's: for places that must look the same
// everywhere, and for checking the resources themselves.
QIcon CommandImageResource(int index);

QString AppIconPath();
QIcon AppIcon();
