// The program's icon and application id: the window icon, the About box's picture and the name
// the desktop knows the program by (its desktop entry, metainfo and icon files carry it too).
#pragma once

#include <QIcon>
#include <QPixmap>

inline constexpr char kApplicationId[] = "org.quillet.Quillet";

// The icon at every size the icon theme is given.
QIcon ApplicationIcon();

// The About box's picture, 96 pixels square, drawn for a screen of `devicePixelRatio`.
QPixmap AboutPicture(qreal devicePixelRatio);
