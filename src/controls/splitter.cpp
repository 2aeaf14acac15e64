// Styles, layout, painting and dragging of the splitter.
//
// Dragging has two states:
//   idle --mousePressEvent (in the bar zone, not Locked)--> Dragging
//   Dragging --mouseMoveEvent--> Dragging (position held in range; ghost moved, or the bar
//                                          itself when AutoUpdate)
//   Dragging --mouseReleaseEvent--> idle (BarPosition written from the last held position)
#include "controls/splitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "controls/accessible.h"
#include "platform/ui/painting.h"
#include "platform/ui/system_colors.h"

namespace controls {

using ui::SysColor;
using ui::sysColor;

// ---------------------------------------------------------------------------------------------
// ToxScrollPane

ToxScrollPane::ToxScrollPane(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
}

// ---------------------------------------------------------------------------------------------
// ToxCustomSplit

ToxCustomSplit::ToxCustomSplit(QWidget* parent)
    : QWidget(parent), barColor_(sysColor(SysColor::ButtonFace)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
}

ToxScrollPane* ToxCustomSplit::pane(int index) const {
    if (index < 0 || index >= panes_.size()) {
        return nullptr;
    }
    return panes_[index];
}

void ToxCustomSplit::addPane(ToxScrollPane* pane) {
    panes_.append(pane);
    pane->setVerticalScrollBarPolicy(autoScroll_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    pane->setHorizontalScrollBarPolicy(autoScroll_ ? Qt::ScrollBarAsNeeded
                                                   : Qt::ScrollBarAlwaysOff);
    connect(pane->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this, pane](int v) { syncFrom(pane, Qt::Horizontal, v); });
    connect(pane->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this, pane](int v) { syncFrom(pane, Qt::Vertical, v); });
}

void ToxCustomSplit::syncFrom(ToxScrollPane* source, Qt::Orientation orientation, int value) {
    if (!syncScroll_) {
        return;
    }
    for (const QPointer<ToxScrollPane>& other : panes_) {
        if (other == nullptr || other == source) {
            continue;
        }
        QScrollBar* bar = orientation == Qt::Horizontal ? other->horizontalScrollBar()
                                                        : other->verticalScrollBar();
        bar->setValue(value);
    }
}

void ToxCustomSplit::applyStyle() {
    effectiveStyle_ = style_ == TSplitStyle::oxsAuto ? TSplitStyle::oxsWin95 : style_;
    switch (effectiveStyle_) {
        case TSplitStyle::oxsWin31:
            inset_ = 0;
            break;
        case TSplitStyle::oxsWin95:
            inset_ = 2;
            break;
        case TSplitStyle::oxsInset:
            inset_ = 1;
            break;
        case TSplitStyle::oxsGroove:
            // Keeps the inset of the style written before; a new splitter has none.
            if (!styleWritten_) {
                inset_ = 0;
            }
            break;
        case TSplitStyle::oxsAuto:
            break;
    }
    const bool none = borderStyle_ == TBorderStyle::bsNone;
    if (none) {
        inset_ = 0;
    }
    const bool boxed = !none && effectiveStyle_ == TSplitStyle::oxsWin31;
    for (const QPointer<ToxScrollPane>& pane : panes_) {
        if (pane != nullptr) {
            pane->setFrameShape(boxed ? QFrame::Box : QFrame::NoFrame);
            pane->setFrameShadow(QFrame::Plain);
            pane->setLineWidth(1);
        }
    }
    invalidate();
    layoutPanes();
}

void ToxCustomSplit::setStyle(TSplitStyle style) {
    style_ = style;
    applyStyle();
    styleWritten_ = true;
}

void ToxCustomSplit::setBorderStyle(TBorderStyle style) {
    if (style == borderStyle_) {
        return;
    }
    borderStyle_ = style;
    applyStyle();
}

void ToxCustomSplit::setBarWidth(int width) {
    barWidth_ = std::max(0, width);
    layoutPanes();
    invalidate();
}

void ToxCustomSplit::setBarColor(const QColor& color) {
    if (color == barColor_) {
        return;
    }
    barColor_ = color;
    invalidate();
}

void ToxCustomSplit::setAutoScroll(bool on) {
    autoScroll_ = on;
    const Qt::ScrollBarPolicy policy = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    for (const QPointer<ToxScrollPane>& pane : panes_) {
        if (pane != nullptr) {
            pane->setVerticalScrollBarPolicy(policy);
            pane->setHorizontalScrollBarPolicy(policy);
        }
    }
}

void ToxCustomSplit::setLocked(bool on) {
    locked_ = on;
    if (on) {
        unsetCursor();
    }
}

void ToxCustomSplit::setCtl3D(bool on) {
    if (on == ctl3D_) {
        return;
    }
    ctl3D_ = on;
    invalidate();
}

void ToxCustomSplit::setPaneColor(const QColor& color) {
    for (const QPointer<ToxScrollPane>& pane : panes_) {
        if (pane == nullptr) {
            continue;
        }
        QPalette pal = pane->palette();
        pal.setColor(QPalette::Window, color);
        pane->setPalette(pal);
        pane->viewport()->setAutoFillBackground(true);
    }
}

void ToxCustomSplit::invalidate() {
    dirty_ = true;
    update();
}

void ToxCustomSplit::resizeEvent(QResizeEvent* event) {
    dirty_ = true;
    layoutPanes();
    QWidget::resizeEvent(event);
    Q_EMIT resized();
}

void ToxCustomSplit::paintEvent(QPaintEvent*) {
    if (dirty_ || !ui::cacheFits(cache_, size(), devicePixelRatioF())) {
        render();
    }
    QPainter p(this);
    p.drawImage(0, 0, cache_);
}

void ToxCustomSplit::render() {
    dirty_ = false;
    cache_ = ui::cacheImage(size(), devicePixelRatioF(), QImage::Format_RGB32);
    cache_.fill(barColor_);
    if (borderStyle_ == TBorderStyle::bsNone) {
        return;
    }
    QPainter p(&cache_);
    const QColor shadow = sysColor(SysColor::ButtonShadow);
    const QColor light = sysColor(SysColor::ButtonHighlight);
    const QColor face = sysColor(SysColor::ButtonFace);
    const QColor frame = sysColor(SysColor::WindowFrame);
    for (const QPointer<ToxScrollPane>& pane : panes_) {
        if (pane == nullptr) {
            continue;
        }
        const QRect g = pane->geometry();
        switch (effectiveStyle_) {
            case TSplitStyle::oxsWin31:
                if (ctl3D_) {
                    ui::frame3D(p, g.adjusted(-1, -1, 1, 1), shadow, light);
                }
                break;
            case TSplitStyle::oxsWin95: {
                const QRect inner = ui::frame3D(p, g.adjusted(-2, -2, 2, 2), shadow, light);
                ui::frame3D(p, inner, frame, face);
                break;
            }
            case TSplitStyle::oxsInset:
                ui::frame3D(p, g.adjusted(-1, -1, 1, 1), shadow, light);
                break;
            case TSplitStyle::oxsGroove: {
                const int grow = barWidth_ / 2;
                const QRect outer = g.translated(1, 1).adjusted(-grow, -grow, grow, grow);
                const QRect inner = ui::frame3D(p, outer, light, frame);
                ui::frame3D(p, inner, face, shadow);
                break;
            }
            case TSplitStyle::oxsAuto:
                break;
        }
    }
    if (effectiveStyle_ == TSplitStyle::oxsWin31) {
        ui::frameRect(p, rect(), frame);
    }
}

// ---------------------------------------------------------------------------------------------
// ToxSplit

// The ghost bar: the splitter's own picture, inverted, over the band where the bar would go.
class ToxSplit::GhostBar : public QWidget {
  public:
    GhostBar(QWidget* parent, QImage picture) : QWidget(parent), picture_(std::move(picture)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        picture_.invertPixels();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(QPoint(0, 0), picture_, geometry());
    }

  private:
    QImage picture_;
};

ToxSplit::ToxSplit(QWidget* parent) : ToxCustomSplit(parent) {
    InstallAccessibleFactory();
    setMouseTracking(true);
    addPane(new ToxScrollPane(this));
    addPane(new ToxScrollPane(this));
    applyStyle();
}

ToxSplit::~ToxSplit() = default;

int ToxSplit::clientSizeAlongAxis() const {
    return orientation_ == TSplitOrientation::oxsVert ? width() : height();
}

int ToxSplit::maxBarPosition() const {
    return clientSizeAlongAxis() - 2 * inset() - barWidth();
}

void ToxSplit::setBarPosition(int position) {
    // Held at 0 also when the splitter is too small for any bar position, so that neither a
    // pane nor a saved position can turn negative.
    barPosition_ = std::max(0, std::min(position, maxBarPosition()));
    layoutPanes();
    invalidate();
    Q_EMIT resized();
}

void ToxSplit::setOrientation(TSplitOrientation orientation) {
    orientation_ = orientation;
    unsetCursor();
    layoutPanes();
    setBarPosition(barPosition_);
}

int ToxSplit::percent() const {
    const int max = maxBarPosition();
    if (max <= 0) {
        return 0;
    }
    return std::min(100, barPosition_ * 100 / max);
}

void ToxSplit::setPercent(int percent) {
    const int p = std::clamp(percent, 0, 100);
    setBarPosition(p == 0 ? 0 : p * maxBarPosition() / 100);
}

void ToxSplit::layoutPanes() {
    ToxScrollPane* one = pane(0);
    ToxScrollPane* two = pane(1);
    if (one == nullptr || two == nullptr) {
        return;
    }
    const QRect r = rect().adjusted(inset(), inset(), -inset(), -inset());
    const int bar = barWidth();
    if (orientation_ == TSplitOrientation::oxsHorz) {
        one->setGeometry(r.left(), r.top(), std::max(0, r.width()), std::max(0, barPosition_));
        const int top = r.top() + barPosition_ + bar;
        two->setGeometry(r.left(), top, std::max(0, r.width()),
                         std::max(0, r.top() + r.height() - top));
    } else {
        one->setGeometry(r.left(), r.top(), std::max(0, barPosition_), std::max(0, r.height()));
        const int left = r.left() + barPosition_ + bar;
        two->setGeometry(left, r.top(), std::max(0, r.left() + r.width() - left),
                         std::max(0, r.height()));
    }
    invalidate();
}

QRect ToxSplit::barZone() const {
    if (orientation_ == TSplitOrientation::oxsHorz) {
        return QRect(0, barPosition_ + inset(), width(), barWidth());
    }
    return QRect(barPosition_ + inset(), 0, barWidth(), height());
}

int ToxSplit::axisOf(QPoint at) const {
    return orientation_ == TSplitOrientation::oxsHorz ? at.y() : at.x();
}

void ToxSplit::updateCursor(QPoint at) {
    if (!locked() && (dragging_ || barZone().contains(at))) {
        setCursor(orientation_ == TSplitOrientation::oxsHorz ? Qt::SplitVCursor : Qt::SplitHCursor);
    } else {
        unsetCursor();
    }
}

void ToxSplit::showGhost() {
    if (autoUpdate()) {
        return;
    }
    if (ghost_ == nullptr) {
        ghost_ = new GhostBar(this, grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
    const int at = lastP_ - grabOffset_;
    const int span = clientSizeAlongAxis() - 2 * inset();
    QRect band = orientation_ == TSplitOrientation::oxsHorz ? QRect(inset(), at, span, barWidth())
                                                            : QRect(at, inset(), barWidth(), span);
    ghost_->setGeometry(band);
    ghost_->raise();
    ghost_->show();
    ghost_->update();
}

void ToxSplit::hideGhost() {
    if (ghost_ != nullptr) {
        ghost_->hide();
        ghost_->deleteLater();
        ghost_ = nullptr;
    }
}

void ToxSplit::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || locked()) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (!barZone().contains(at)) {
        return;
    }
    dragging_ = true;
    lastP_ = axisOf(at);
    grabOffset_ = lastP_ - barPosition_ - inset();
    showGhost();
}

void ToxSplit::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        const int low = inset() + grabOffset_;
        const int high = clientSizeAlongAxis() + grabOffset_ - barWidth() - 2;
        lastP_ = std::max(low, std::min(axisOf(at), high));
        showGhost();
        if (autoUpdate()) {
            setBarPosition(lastP_ - grabOffset_ - inset());
        }
    }
    updateCursor(at);
    QWidget::mouseMoveEvent(event);
}

void ToxSplit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    hideGhost();
    dragging_ = false;
    setBarPosition(lastP_ - grabOffset_ - inset());
    updateCursor(event->position().toPoint());
}

void ToxSplit::leaveEvent(QEvent* event) {
    if (!dragging_) {
        unsetCursor();
    }
    QWidget::leaveEvent(event);
}

}  // namespace controls
