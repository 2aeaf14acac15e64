// Bitmaps whose top-left pixel names their transparent colour: loading, masking and drawing.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>

class QPainter;

namespace ui {

// The transparent colour of a bitmap: the colour of its top-left pixel. Invalid for an empty
// image.
QColor transparentColor(const QImage& bitmap);

// A copy with an alpha channel in which every pixel of the transparent colour is fully
// transparent and every other pixel opaque. An empty image gives an empty image.
QImage withTransparency(const QImage& bitmap);

// Draws a bitmap at a position with its transparent colour left out.
void drawTransparent(QPainter& painter, QPoint at, const QImage& bitmap);

// Loads a bitmap (any format Qt reads, resources included); an empty image when the file is
// missing or unreadable.
QImage loadBitmap(const QString& path);

}  // namespace ui
