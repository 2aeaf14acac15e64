// The gauge's value rules and its exclusive-or drawing.
#include "controls/gauge.h"

#include <QEvent>
#include <QPainter>
#include <cmath>
#include <numbers>

#include "controls/accessible.h"
#include "platform/ui/painting.h"
#include "platform/ui/system_colors.h"
#include "rtl/rounding.h"

namespace controls {
namespace {

// The part of z pixels that y percent fills.
int fillSize(int y, int z) {
    return static_cast<int>(std::trunc(z * (y * 0.01)));
}

QString rangeMessage(std::int64_t low, std::int64_t high) {
    return QStringLiteral("Value must be between %1 and %2").arg(low).arg(high);
}

// Rectangles here follow the drawing rules: right and bottom are exclusive.
QRect spanRect(int left, int top, int right, int bottom) {
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// The angle, in degrees counter-clockwise from three o'clock, of a point seen from a centre.
double angleOf(double cx, double cy, double x, double y) {
    return std::atan2(cy - y, x - cx) * 180.0 / std::numbers::pi;
}

}  // namespace

TBltBitmap::TBltBitmap(QSize size, qreal ratio)
    : image_(ui::cacheImage(size, ratio, QImage::Format_RGB32)) {
    image_.fill(ui::sysColor(ui::SysColor::WindowFrame));
}

void TBltBitmap::MakeLike(const TBltBitmap& other) {
    image_ = QImage(other.image_.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.setDevicePixelRatio(other.image_.devicePixelRatio());
    image_.fill(ui::sysColor(ui::SysColor::WindowFrame));
}

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    InstallAccessibleFactory();
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

int TGauge::percentDone() const {
    if (maxValue_ == minValue_) {
        return 0;
    }
    const double done = (static_cast<double>(progress_) - minValue_) * 100.0 /
                        (static_cast<double>(maxValue_) - minValue_);
    return static_cast<int>(std::trunc(done));
}

TGaugeResult TGauge::setMinValue(std::int32_t value) {
    if (value == minValue_) {
        return {};
    }
    if (value > maxValue_) {
        return {false, rangeMessage(-2147483647, static_cast<std::int64_t>(maxValue_) - 1)};
    }
    minValue_ = value;
    if (progress_ < value) {
        progress_ = value;
    }
    invalidate();
    return {};
}

TGaugeResult TGauge::setMaxValue(std::int32_t value) {
    if (value == maxValue_) {
        return {};
    }
    if (value < minValue_) {
        return {false, rangeMessage(static_cast<std::int64_t>(minValue_) + 1, 2147483647)};
    }
    maxValue_ = value;
    if (progress_ > value) {
        progress_ = value;
    }
    invalidate();
    return {};
}

void TGauge::setProgress(std::int32_t value) {
    const std::int32_t clamped = std::clamp(value, minValue_, maxValue_);
    if (clamped == progress_) {
        return;
    }
    const int before = percentDone();
    progress_ = clamped;
    Announce(this, QAccessible::ValueChanged);
    if (percentDone() != before) {
        invalidate();
    }
}

void TGauge::setKind(TGaugeKind kind) {
    if (kind != kind_) {
        kind_ = kind;
        invalidate();
    }
}

void TGauge::setShowText(bool on) {
    if (on != showText_) {
        showText_ = on;
        invalidate();
    }
}

void TGauge::setBorderStyle(TBorderStyle style) {
    if (style != borderStyle_) {
        borderStyle_ = style;
        invalidate();
    }
}

void TGauge::setForeColor(const QColor& color) {
    if (color != foreColor_) {
        foreColor_ = color;
        invalidate();
    }
}

void TGauge::setBackColor(const QColor& color) {
    if (color != backColor_) {
        backColor_ = color;
        invalidate();
    }
}

QColor TGauge::color() const {
    if (color_.has_value()) {
        return *color_;
    }
    if (parentWidget() != nullptr) {
        return parentWidget()->palette().color(QPalette::Window);
    }
    return ui::sysColor(ui::SysColor::ButtonFace);
}

void TGauge::setColor(const QColor& color) {
    color_ = color;
    invalidate();
}

void TGauge::invalidate() {
    dirty_ = true;
    update();
}

const QImage& TGauge::image() {
    if (dirty_ || !ui::cacheFits(cache_, size(), devicePixelRatioF())) {
        render();
    }
    return cache_;
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image());
}

void TGauge::resizeEvent(QResizeEvent* event) {
    dirty_ = true;
    QWidget::resizeEvent(event);
}

void TGauge::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ParentChange ||
        event->type() == QEvent::PaletteChange) {
        invalidate();
    }
    QWidget::changeEvent(event);
}

void TGauge::paintShape(QImage& overlay, const QRect& pr) {
    // pr holds the paint rectangle as left, top and exclusive right, bottom.
    const int left = pr.left();
    const int top = pr.top();
    const int right = pr.left() + pr.width();
    const int bottom = pr.top() + pr.height();
    const bool single = borderStyle_ == TBorderStyle::bsSingle;
    const int pd = percentDone();

    QPainter p(&overlay);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(QRect(QPoint(0, 0), overlay.deviceIndependentSize().toSize()));

    switch (kind_) {
        case TGaugeKind::gkText:
            p.fillRect(pr, backColor_);
            break;
        case TGaugeKind::gkHorizontalBar: {
            const int W = right - left + 1;
            const int H = bottom - top + 1;
            p.fillRect(pr, backColor_);
            const int f = std::min(fillSize(pd, W), W);
            if (f > 0) {
                p.fillRect(spanRect(left, top, f, H), foreColor_);
            }
            break;
        }
        case TGaugeKind::gkVerticalBar: {
            const int W = right - left + 1;
            const int H = bottom - top + 1;
            p.fillRect(pr, backColor_);
            // Held at the paint rectangle's top so that a full gauge without a border fills
            // its top line too.
            const int fillTop = std::max(top, H - fillSize(pd, H));
            p.fillRect(spanRect(left, fillTop, W, H), foreColor_);
            break;
        }
        case TGaugeKind::gkPie: {
            const int W = right - left + (single ? 1 : 0);
            const int H = bottom - top + (single ? 1 : 0);
            p.fillRect(pr, color());
            const QRect ellipse(left, top, W - 1 - left, H - 1 - top);
            p.setPen(foreColor_);
            p.setBrush(backColor_);
            p.drawEllipse(ellipse);
            if (pd > 0) {
                const int mx = W / 2;
                const int my = H / 2;
                const double a = std::numbers::pi * (pd / 50.0 + 0.5);
                const int sx = rtl::RoundHalfEvenInt(mx * (1 - std::cos(a)));
                const int sy = rtl::RoundHalfEvenInt(my * (1 - std::sin(a)));
                const double cx = (left + W - 1) / 2.0;
                const double cy = (top + H - 1) / 2.0;
                const double start = angleOf(cx, cy, sx, sy);
                const double end = angleOf(cx, cy, mx, 0);
                double span = end - start;
                while (span <= 1e-9) {
                    span += 360.0;
                }
                if (span > 360.0) {
                    span = 360.0;
                }
                p.setBrush(foreColor_);
                p.drawPie(ellipse, rtl::RoundHalfEvenInt(start * 16),
                          rtl::RoundHalfEvenInt(span * 16));
            }
            break;
        }
        case TGaugeKind::gkNeedle: {
            const int W = right - left + (single ? 1 : 0);
            const int H = bottom - top + (single ? 1 : 0);
            p.fillRect(pr, color());
            p.setPen(foreColor_);
            p.setBrush(backColor_);
            p.drawPie(QRect(left, top, W - 1 - left, 2 * H - 2 - top), 0, 180 * 16);
            p.drawLine(left, bottom, left + W - 1, bottom);
            if (pd > 0) {
                const int mx = width() / 2;
                const double a = std::numbers::pi * pd / 100.0;
                p.drawLine(mx, bottom - 1, rtl::RoundHalfEvenInt(mx * (1 - std::cos(a))),
                           rtl::RoundHalfEvenInt((bottom - 1) * (1 - std::sin(a))));
            }
            break;
        }
    }
}

void TGauge::render() {
    dirty_ = false;
    TBltBitmap picture(size(), devicePixelRatioF());
    const QRect client(QPoint(0, 0), size().expandedTo(QSize(1, 1)));
    const QRect pr =
        borderStyle_ == TBorderStyle::bsSingle ? client.adjusted(1, 1, -1, -1) : client;

    TBltBitmap overlay;
    overlay.MakeLike(picture);
    if (pr.isValid()) {
        paintShape(overlay.image(), pr);
    }
    ui::xorInto(picture.image(), overlay.image());

    if (showText_ && pr.isValid()) {
        TBltBitmap text;
        text.MakeLike(picture);
        QPainter p(&text.image());
        QFont f = font();
        // Crisp glyphs, so that the exclusive-or leaves only black and white.
        f.setStyleStrategy(QFont::NoAntialias);
        p.setFont(f);
        p.setPen(Qt::white);
        p.setClipRect(pr);
        const QString label = QStringLiteral("%1%").arg(percentDone());
        const QFontMetrics fm(f);
        const int tw = fm.horizontalAdvance(label);
        const int th = fm.height();
        const int x = (pr.width() + 1 - tw) / 2;
        const int y = (pr.height() + 1 - th) / 2;
        p.drawText(pr.left() + x, pr.top() + y + fm.ascent(), label);
        p.end();
        ui::xorInto(picture.image(), text.image());
    }
    cache_ = picture.image();
}

}  // namespace controls
