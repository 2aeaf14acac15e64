// Drawing and mouse events of the graphic panel.
#include "controls/graphic_panel.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/accessible.h"
#include "platform/ui/painting.h"
#include "platform/ui/system_colors.h"

namespace controls {

using ui::SysColor;
using ui::sysColor;

TGraphicPanel::TGraphicPanel(QWidget* parent)
    : QWidget(parent),
      color_(sysColor(SysColor::ButtonFace)),
      fontColor_(sysColor(SysColor::WindowText)) {
    InstallAccessibleFactory();
    setFocusPolicy(Qt::NoFocus);
    resize(185, 41);
}

void TGraphicPanel::invalidate() {
    dirty_ = true;
    update();
}

void TGraphicPanel::setCaption(const QString& caption) {
    caption_ = caption;
    Announce(this, QAccessible::NameChanged);
    invalidate();
}

void TGraphicPanel::setAlignment(ui::TAlignment alignment) {
    alignment_ = alignment;
    invalidate();
}

void TGraphicPanel::setBevelInner(TPanelBevel bevel) {
    bevelInner_ = bevel;
    invalidate();
}

void TGraphicPanel::setBevelOuter(TPanelBevel bevel) {
    bevelOuter_ = bevel;
    invalidate();
}

void TGraphicPanel::setBevelWidth(int width) {
    bevelWidth_ = std::max(0, width);
    invalidate();
}

void TGraphicPanel::setBorderWidth(int width) {
    borderWidth_ = std::max(0, width);
    invalidate();
}

void TGraphicPanel::setBorderStyle(TBorderStyle style) {
    borderStyle_ = style;
    invalidate();
}

void TGraphicPanel::setColor(const QColor& color) {
    if (color == color_) {
        return;
    }
    color_ = color;
    invalidate();
}

void TGraphicPanel::setFontColor(const QColor& color) {
    fontColor_ = color;
    invalidate();
}

void TGraphicPanel::paintEvent(QPaintEvent*) {
    if (dirty_ || !ui::cacheFits(cache_, size(), devicePixelRatioF())) {
        render();
    }
    QPainter p(this);
    p.drawImage(0, 0, cache_);
    if (hasFocus()) {
        p.setPen(QPen(fontColor_, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void TGraphicPanel::resizeEvent(QResizeEvent* event) {
    dirty_ = true;
    QWidget::resizeEvent(event);
}

void TGraphicPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange) {
        invalidate();
    }
    QWidget::changeEvent(event);
}

void TGraphicPanel::render() {
    dirty_ = false;
    cache_ = ui::cacheImage(size(), devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    cache_.fill(Qt::transparent);
    QPainter p(&cache_);
    const QColor light = sysColor(SysColor::ButtonHighlight);
    const QColor dark = sysColor(SysColor::ButtonShadow);
    const auto bevel = [&](QRect r, TPanelBevel kind) {
        if (kind == TPanelBevel::bvNone) {
            return r;
        }
        const bool raised = kind == TPanelBevel::bvRaised;
        return ui::frame3D(p, r, raised ? light : dark, raised ? dark : light, bevelWidth_);
    };

    QRect r = rect();
    if (borderStyle_ == TBorderStyle::bsSingle) {
        r = ui::frame3D(p, r, Qt::black, Qt::black, 1);
    }
    r = bevel(r, bevelOuter_);
    r = ui::frame3D(p, r, color_, color_, borderWidth_);
    r = bevel(r, bevelInner_);
    if (r.isValid()) {
        p.fillRect(r, color_);
    }
    if (!caption_.isEmpty() && r.isValid()) {
        p.setFont(font());
        const int lineHeight = p.fontMetrics().boundingRect(QLatin1Char('W')).height();
        const QRect band(r.left(), r.top() + (r.height() - lineHeight) / 2, r.width(), lineHeight);
        int flags = Qt::TextExpandTabs | Qt::TextSingleLine | Qt::AlignVCenter;
        switch (alignment_) {
            case ui::TAlignment::taLeftJustify:
                flags |= Qt::AlignLeft;
                break;
            case ui::TAlignment::taRightJustify:
                flags |= Qt::AlignRight;
                break;
            case ui::TAlignment::taCenter:
                flags |= Qt::AlignHCenter;
                break;
        }
        p.setPen(isEnabled() ? fontColor_ : sysColor(SysColor::GrayText));
        p.drawText(band, flags | Qt::TextDontClip, caption_);
    }
}

void TGraphicPanel::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        pressedInside_ = true;
    }
    Q_EMIT mouseDown(event->button(), at);
    event->accept();
}

void TGraphicPanel::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT mouseMoved(event->position().toPoint());
    event->accept();
}

void TGraphicPanel::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && pressedInside_ && rect().contains(at);
    if (event->button() == Qt::LeftButton) {
        pressedInside_ = false;
    }
    Q_EMIT mouseUp(event->button(), at);
    if (click) {
        Q_EMIT clicked();
    }
    event->accept();
}

void TGraphicPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedInside_ = true;
        Q_EMIT doubleClicked();
    }
    event->accept();
}

// A panel takes no focus unless its owner lets it (the report's colour panel does, so the
// keyboard reaches the colour); Space and Enter then click it.
void TGraphicPanel::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int key = event->key();
    if (plain && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        if (!event->isAutoRepeat()) {
            Q_EMIT clicked();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void TGraphicPanel::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void TGraphicPanel::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

}  // namespace controls
