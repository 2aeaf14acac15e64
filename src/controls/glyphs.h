// The small pictures the windows put on their buttons, built into the program as resources.
#pragma once

#include <QImage>

namespace controls {

enum class Glyph {
    Check,         // green check mark, 16 x 16
    Cross,         // red cross, 17 x 17
    Question,      // yellow question mark, 20 x 20
    WhatsThis,     // mouse pointer beside a question mark, 16 x 15
    Key,           // yellow key, 16 x 16
    Calendar,      // two overlapping calendar sheets, 17 x 17
    Clock,         // clock face, 16 x 16
    TriangleLeft,  // one black triangle pointing left, 15 x 12
    TrianglesLeft,
    TriangleRight,
    TrianglesRight,
};

// The glyph's bitmap; its top-left pixel is its transparent colour.
QImage glyphImage(Glyph glyph);

}  // namespace controls
