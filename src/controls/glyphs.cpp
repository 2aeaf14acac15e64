// Resource names of the glyphs.
#include "controls/glyphs.h"

#include <QString>

namespace controls {

QImage glyphImage(Glyph glyph) {
    const char* name = "check";
    switch (glyph) {
        case Glyph::Check:
            name = "check";
            break;
        case Glyph::Cross:
            name = "cross";
            break;
        case Glyph::Question:
            name = "question";
            break;
        case Glyph::WhatsThis:
            name = "pointer";
            break;
        case Glyph::Key:
            name = "key";
            break;
        case Glyph::Calendar:
            name = "calendar";
            break;
        case Glyph::Clock:
            name = "clock";
            break;
        case Glyph::TriangleLeft:
            name = "left1";
            break;
        case Glyph::TrianglesLeft:
            name = "left2";
            break;
        case Glyph::TriangleRight:
            name = "right1";
            break;
        case Glyph::TrianglesRight:
            name = "right2";
            break;
    }
    QImage image(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name)));
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace controls
