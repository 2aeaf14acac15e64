// Painting primitives the controls share: pixel-exact 3-D frames, captions with accelerator
// letters, and the exclusive-or combination of images.
#pragma once

#include <QChar>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;

namespace ui {

// Horizontal placement of a caption.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Draws a 3-D frame `width` pixels wide just inside `rect` and returns what is left inside it.
// Each ring draws its left and top edges in `top` and its right and bottom edges in `bottom`;
// the top-right and bottom-left corner pixels belong to the bottom colour. A width of 0 or
// less draws nothing.
QRect frame3D(QPainter& painter, QRect rect, const QColor& top, const QColor& bottom,
              int width = 1);

// A one-pixel frame in one colour just inside `rect`.
void frameRect(QPainter& painter, const QRect& rect, const QColor& color);

// The caption as shown: each single "&" dropped, a doubled "&&" reduced to one "&".
QString stripAccelerators(const QString& caption);

// The accelerator letter of a caption (the character after a single "&"), or a null QChar.
QChar acceleratorChar(const QString& caption);

// Qt text flags for a caption: alignment, accelerator underlining, and line breaking at words
// when `wordBreak` is set (a single line otherwise).
int captionFlags(TAlignment alignment, bool wordBreak);

// Bounding size of a caption drawn with `flags` in a box `width` pixels wide.
QRect measureCaption(const QFontMetrics& metrics, int width, int flags, const QString& caption);

// Draws a caption in `rect` with `flags` in one colour on a transparent background.
void drawCaption(QPainter& painter, const QRect& rect, int flags, const QString& caption,
                 const QColor& color);

// dst ^= overlay, pixel by pixel over the colour bits; the images must have the same size
// (a size mismatch combines only the common area).
void xorInto(QImage& dst, const QImage& overlay);

// The image a control caches its picture in: `size` pixels (at least 1 by 1) on a screen of
// `ratio` dots per pixel, painted in the control's own coordinates, so that at a scale factor
// of 2 it has dots of its own rather than being blown up.
QImage cacheImage(QSize size, qreal ratio, QImage::Format format);

// Whether `cache` is what cacheImage makes for this size and ratio.
bool cacheFits(const QImage& cache, QSize size, qreal ratio);

}  // namespace ui
