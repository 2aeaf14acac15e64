// Transparent-colour bitmaps.
#include "platform/ui/bitmaps.h"

#include <QPainter>

namespace ui {

QColor transparentColor(const QImage& bitmap) {
    if (bitmap.isNull() || bitmap.width() < 1 || bitmap.height() < 1) {
        return QColor();
    }
    return bitmap.pixelColor(0, 0);
}

QImage withTransparency(const QImage& bitmap) {
    if (bitmap.isNull()) {
        return QImage();
    }
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = out.pixel(0, 0);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            // A glyph already carrying alpha keeps it; the key colour is dropped either way.
            if (line[x] == key) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return out;
}

void drawTransparent(QPainter& painter, QPoint at, const QImage& bitmap) {
    if (bitmap.isNull()) {
        return;
    }
    painter.drawImage(at, withTransparency(bitmap));
}

QImage loadBitmap(const QString& path) {
    QImage image;
    if (!image.load(path)) {
        return QImage();
    }
    return image;
}

}  // namespace ui
