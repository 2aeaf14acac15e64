// Drawing the magnifier pointer.
#include "report/magnifier_cursor.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr int kSide = 32;  // logical pixels
constexpr QPointF kLens(12, 12);
constexpr qreal kLensRadius = 8;

}  // namespace

QCursor MagnifierCursor(qreal devicePixelRatio) {
    const qreal ratio = std::clamp<qreal>(devicePixelRatio, 1, 4);
    const int dots = static_cast<int>(std::ceil(kSide * ratio));
    QPixmap pixmap(dots, dots);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The glass itself, faintly tinted so that the lens reads as one.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 96));
    painter.drawEllipse(kLens, kLensRadius - 1, kLensRadius - 1);
    // A white rim around every stroke keeps the pointer visible over black print.
    const std::pair<QColor, qreal> strokes[] = {{Qt::white, 2}, {Qt::black, 0}};
    for (const auto& [color, extra] : strokes) {
        painter.setPen(QPen(color, 2 + extra, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(kLens, kLensRadius, kLensRadius);
        painter.setPen(QPen(color, 4 + extra, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(18, 18), QPointF(27, 27));
    }
    painter.end();
    return QCursor(pixmap, static_cast<int>(kLens.x()), static_cast<int>(kLens.y()));
}

}  // namespace report
