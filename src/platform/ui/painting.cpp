// Shared painting primitives.
#include "platform/ui/painting.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ui {

QRect frame3D(QPainter& painter, QRect rect, const QColor& top, const QColor& bottom, int width) {
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        const int l = rect.left();
        const int t = rect.top();
        const int r = rect.right();   // inclusive
        const int b = rect.bottom();  // inclusive
        // Left column and top row, up to but not including the corners that the bottom
        // colour owns.
        painter.fillRect(QRect(l, t, 1, std::max(0, b - t)), top);
        painter.fillRect(QRect(l, t, std::max(0, r - l), 1), top);
        painter.fillRect(QRect(r, t, 1, b - t + 1), bottom);
        painter.fillRect(QRect(l, b, r - l + 1, 1), bottom);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

void frameRect(QPainter& painter, const QRect& rect, const QColor& color) {
    if (rect.width() <= 0 || rect.height() <= 0) {
        return;
    }
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), color);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), color);
}

QString stripAccelerators(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

QChar acceleratorChar(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) {
            continue;
        }
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return QChar();
}

int captionFlags(TAlignment alignment, bool wordBreak) {
    int flags = Qt::TextShowMnemonic | Qt::AlignTop;
    switch (alignment) {
        case TAlignment::taLeftJustify:
            flags |= Qt::AlignLeft;
            break;
        case TAlignment::taRightJustify:
            flags |= Qt::AlignRight;
            break;
        case TAlignment::taCenter:
            flags |= Qt::AlignHCenter;
            break;
    }
    flags |= wordBreak ? Qt::TextWordWrap : Qt::TextSingleLine;
    return flags;
}

QRect measureCaption(const QFontMetrics& metrics, int width, int flags, const QString& caption) {
    return metrics.boundingRect(QRect(0, 0, std::max(0, width), 1 << 16), flags, caption);
}

void drawCaption(QPainter& painter, const QRect& rect, int flags, const QString& caption,
                 const QColor& color) {
    painter.save();
    painter.setPen(color);
    painter.setBrush(Qt::NoBrush);
    painter.drawText(rect, flags, caption);
    painter.restore();
}

void xorInto(QImage& dst, const QImage& overlay) {
    if (dst.isNull() || overlay.isNull()) {
        return;
    }
    if (dst.format() != QImage::Format_RGB32) {
        dst = dst.convertToFormat(QImage::Format_RGB32);
    }
    const QImage src = overlay.convertToFormat(QImage::Format_RGB32);
    const int w = std::min(dst.width(), src.width());
    const int h = std::min(dst.height(), src.height());
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            d[x] = 0xff000000u | ((d[x] ^ s[x]) & 0x00ffffffu);
        }
    }
}

namespace {

qreal usableRatio(qreal ratio) {
    return ratio > 0 && ratio <= 8 ? ratio : 1;
}

QSize cacheDots(QSize size, qreal ratio) {
    const QSize logical = size.expandedTo(QSize(1, 1));
    return QSize(static_cast<int>(std::ceil(logical.width() * ratio)),
                 static_cast<int>(std::ceil(logical.height() * ratio)));
}

}  // namespace

QImage cacheImage(QSize size, qreal ratio, QImage::Format format) {
    ratio = usableRatio(ratio);
    QImage image(cacheDots(size, ratio), format);
    image.setDevicePixelRatio(ratio);
    return image;
}

bool cacheFits(const QImage& cache, QSize size, qreal ratio) {
    ratio = usableRatio(ratio);
    return cache.devicePixelRatio() == ratio && cache.size() == cacheDots(size, ratio);
}

}  // namespace ui
