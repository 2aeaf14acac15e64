// Shaded and embossed glyphs.
#include "controls/glyph_effects.h"

#include "platform/ui/system_colors.h"

namespace controls {

ShadingThresholds shadingThresholds(TShadingType type) {
    switch (type) {
        case TShadingType::stLight:
            return {205, 127, 68};
        case TShadingType::stMedium:
            return {553, 231, 57};
        case TShadingType::stDark:
            return {335, 274, 175};
    }
    return {553, 231, 57};
}

QImage makeShadedBitmap(const QImage& bitmap, TShadingType type) {
    if (bitmap.isNull()) {
        return QImage();
    }
    const QImage src = bitmap.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.setDevicePixelRatio(src.devicePixelRatio());
    const QRgb key = src.pixel(0, 0);
    const ShadingThresholds t = shadingThresholds(type);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb highlight = ui::sysColor(ui::SysColor::ButtonHighlight).rgb();
    const QRgb shadow = ui::sysColor(ui::SysColor::ButtonShadow).rgb();
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < src.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            if (s[x] == key || qAlpha(s[x]) == 0) {
                d[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            const int sum = qRed(s[x]) + qGreen(s[x]) + qBlue(s[x]);
            if (sum > t.high) {
                d[x] = white;
            } else if (sum > t.middle) {
                d[x] = highlight;
            } else if (sum > t.low) {
                d[x] = shadow;
            } else {
                d[x] = black;
            }
        }
    }
    return out;
}

QImage darkPixelMask(const QImage& bitmap) {
    if (bitmap.isNull()) {
        return QImage();
    }
    const QImage src = bitmap.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.setDevicePixelRatio(src.devicePixelRatio());
    const QRgb key = src.pixel(0, 0);
    constexpr int kFaceSum = 3 * 192;
    for (int y = 0; y < src.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const bool dark = s[x] != key && qAlpha(s[x]) != 0 &&
                              qRed(s[x]) + qGreen(s[x]) + qBlue(s[x]) < kFaceSum;
            d[x] = dark ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0);
        }
    }
    return out;
}

QImage tintMask(const QImage& mask, const QColor& color) {
    if (mask.isNull()) {
        return QImage();
    }
    QImage out(mask.size(), QImage::Format_ARGB32);
    out.setDevicePixelRatio(mask.devicePixelRatio());
    const QRgb c = color.rgb();
    for (int y = 0; y < mask.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            d[x] = qAlpha(s[x]) != 0 ? c : qRgba(0, 0, 0, 0);
        }
    }
    return out;
}

}  // namespace controls
