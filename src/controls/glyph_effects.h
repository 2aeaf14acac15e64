// The explorer button's derived glyphs: the grey-shaded rest glyph and the embossed
// disabled glyph.
#pragma once

#include <QColor>
#include <QImage>

namespace controls {

enum class TShadingType { stLight, stMedium, stDark };

struct ShadingThresholds {
    int high;
    int middle;
    int low;
};

ShadingThresholds shadingThresholds(TShadingType type);

// The shaded copy of a glyph. Pixels of the transparent colour (the top-left pixel's) stay
// transparent; every other pixel becomes white, button highlight, button shadow or black by
// its red + green + blue sum against the thresholds (strictly greater moves up a class).
// The result carries an alpha channel so that no shaded pixel can turn transparent by
// chance of matching the key colour.
QImage makeShadedBitmap(const QImage& bitmap, TShadingType type);

// The pixels of a glyph that count as dark for its embossed picture: those that are not the
// transparent colour and are darker than the button face (red + green + blue below 576).
// The mask is an alpha image: opaque where dark.
QImage darkPixelMask(const QImage& bitmap);

// The mask painted in one colour (opaque where the mask is opaque).
QImage tintMask(const QImage& mask, const QColor& color);

}  // namespace controls
