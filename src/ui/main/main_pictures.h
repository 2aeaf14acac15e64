// The pictures of the main window's buttons, drawn once at start; each has its transparent
// colour in the top-left pixel, as the flat buttons expect, and is 16 pixels square in the
// dots of the screen it is drawn for.
#pragma once

#include <QImage>

enum class MainPicture {
    Edit,
    New,
    Clone,
    Delete,
    Filter,
    Sort,
    Done,
    Report,
    Calendar,
    Show,
    Hide
};

// For a screen of `devicePixelRatio` dots per pixel; 0 for the highest of the screens'.
QImage MainPictureImage(MainPicture picture, qreal devicePixelRatio = 0);
