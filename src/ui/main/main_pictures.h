// The pictures of the main window's buttons, drawn once at start; each has its transparent
// colour in the top-left pixel, as the flat buttons expect.
#pragma once

#include <QImage>

enum class MainPicture { Edit, New, Clone, Delete, Filter, Sort, Done, Report, Calendar, Show, Hide };

QImage MainPictureImage(MainPicture picture);
