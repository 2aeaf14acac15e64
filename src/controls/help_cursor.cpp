// Drawing the help-mode pointer.
#include "controls/help_cursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace controls {

namespace {

constexpr int kSide = 32;  // logical pixels
constexpr QPoint kTip(1, 1);

// The classic pointer outline, its tip at kTip.
QPainterPath Arrow() {
    QPainterPath path;
    path.moveTo(1, 1);
    path.lineTo(1, 17);
    path.lineTo(5, 13);
    path.lineTo(8, 20);
    path.lineTo(11, 19);
    path.lineTo(8, 12);
    path.lineTo(13, 12);
    path.closeSubpath();
    return path;
}

// A question mark as strokes rather than a font's glyph, so every system draws the same one.
QPainterPath QuestionMark() {
    QPainterPath path;
    path.moveTo(16, 6);
    path.cubicTo(16, 1.5, 25, 1.5, 25, 6);
    path.cubicTo(25, 9.5, 20.5, 9.5, 20.5, 13.5);
    return path;
}

}  // namespace

QImage HelpCursorImage(qreal devicePixelRatio) {
    const qreal ratio = std::clamp<qreal>(devicePixelRatio, 1, 4);
    const int dots = static_cast<int>(std::ceil(kSide * ratio));
    QImage image(dots, dots, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Black strokes on a white rim, so the pointer shows over dark and light alike.
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(Arrow());
    const QPainterPath mark = QuestionMark();
    const QPointF dot(20.5, 17.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(mark);
    painter.drawPoint(dot);
    painter.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(mark);
    painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawPoint(dot);
    painter.end();
    return image;
}

QCursor HelpCursor(qreal devicePixelRatio) {
    QPixmap pixmap = QPixmap::fromImage(HelpCursorImage(devicePixelRatio));
    return QCursor(pixmap, kTip.x(), kTip.y());
}

}  // namespace controls
