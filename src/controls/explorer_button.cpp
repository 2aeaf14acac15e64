// The explorer button's states, click rules and drawing.
//
//                 mouseEntered                    pressStep
//     +------+ ---------------> +-----+ -----------------------> +---------+
//     | rest |                  | hot |                          | pressed |
//     +------+ <--------------- +-----+ <-- releaseStep (click,  +---------+
//        ^ ^       mouseLeft       ^        drawn as rest until     |    ^
//        | |                       |        the mouse comes back)   |    |
//        | |                       +------ releaseStep -------------+    |
//        | |                                                 mouseLeft  mouseEntered
//        | |        releaseStep (no click)          +-----------------+  |
//        | +----------------------------------------| pressed-outside |--+
//        |                                          +-----------------+
//        |   releaseStep in a group / setDown(true)   +------+
//        +------------------------------------------> | down | drawn pressed with the pattern;
//            another member goes down, setDown(false) +------+ left by goDownInGroup of a
//            AllowAllUp click, setGroupIndex(0)                peer or by releaseStep
//
// A button with a drop-down menu leaves pressed through afterMenu instead of releaseStep, so
// the mouse never clicks it. Disabled is a look over any of these, set by changeEvent; the
// keyboard focus is another, a dotted frame inside the button.
#include "controls/explorer_button.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

#include "controls/accessible.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/painting.h"
#include "platform/ui/system_colors.h"

namespace controls {
namespace {

using ui::SysColor;
using ui::sysColor;

// The 8 x 8 down pattern, shared by every explorer button; made by the first paint that
// needs it and dropped whenever a button is destroyed.
QImage& sharedDownPattern() {
    static QImage pattern;
    return pattern;
}

const QImage& downPattern() {
    QImage& pattern = sharedDownPattern();
    if (pattern.isNull()) {
        pattern = QImage(8, 8, QImage::Format_RGB32);
        const QRgb light = sysColor(SysColor::ButtonHighlight).rgb();
        const QRgb face = sysColor(SysColor::ButtonFace).rgb();
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                pattern.setPixel(x, y, (x % 2) == (y % 2) ? light : face);
            }
        }
    }
    return pattern;
}

// The popup mark: a downward triangle of single pixels whose top line is y - 1.
void drawPopupMark(QPainter& p, int x, int y, const QColor& color) {
    p.fillRect(QRect(x, y - 1, 7, 1), color);
    p.fillRect(QRect(x + 1, y, 5, 1), color);
    p.fillRect(QRect(x + 2, y + 1, 3, 1), color);
    p.fillRect(QRect(x + 3, y + 2, 1, 1), color);
}

}  // namespace

TExplorerButton::TExplorerButton(QWidget* parent)
    : QWidget(parent),
      shadowColor_(sysColor(SysColor::ButtonShadow)),
      unselectedFontColor_(sysColor(SysColor::WindowText)),
      fontColor_(sysColor(SysColor::WindowText)) {
    InstallAccessibleFactory();
    // Unlike the original, whose buttons never took the focus: keyboard and screen-reader
    // users must be able to reach them. A click still leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover, false);
    resize(50, 40);
}

TExplorerButton::~TExplorerButton() {
    sharedDownPattern() = QImage();
}

void TExplorerButton::invalidate() {
    dirty_ = true;
    update();
}

void TExplorerButton::setCaption(const QString& caption) {
    caption_ = caption;
    updateShortcut();
    Announce(this, QAccessible::NameChanged);
    if (options_.testFlag(TButtonOption::boIconOnly)) {
        setToolTip(ui::stripAccelerators(caption_));
        return;
    }
    invalidate();
}

void TExplorerButton::setOptions(TButtonOptions options) {
    options_ = options;
    const QString plain = ui::stripAccelerators(caption_);
    if (options_.testFlag(TButtonOption::boIconOnly)) {
        if (toolTip().isEmpty()) {
            setToolTip(plain);
            showHint_ = true;
        }
    } else if (!toolTip().isEmpty() && toolTip() == plain) {
        // The hint was only standing in for the hidden caption.
        setToolTip(QString());
        showHint_ = false;
    }
    invalidate();
}

void TExplorerButton::remakeShadedBitmap() {
    shadedBitmap_ = (!bitmap_.isNull() && noFocusBitmap_.isNull())
                        ? makeShadedBitmap(bitmap_, shadingType_)
                        : QImage();
}

void TExplorerButton::setBitmap(const QImage& bitmap) {
    bitmap_ = bitmap;
    remakeShadedBitmap();
    invalidate();
}

void TExplorerButton::setNoFocusBitmap(const QImage& bitmap) {
    noFocusBitmap_ = bitmap;
    remakeShadedBitmap();
    invalidate();
}

void TExplorerButton::setDisabledBitmap(const QImage& bitmap) {
    disabledBitmap_ = bitmap;
    if (!isEnabled()) {
        invalidate();
    }
}

void TExplorerButton::setLayout(TButtonLayout layout) {
    layout_ = layout;
    invalidate();
}

void TExplorerButton::setAlignment(ui::TAlignment alignment) {
    alignment_ = alignment;
    invalidate();
}

void TExplorerButton::setShadingType(TShadingType type) {
    if (type == shadingType_) {
        return;
    }
    shadingType_ = type;
    if (!bitmap_.isNull() && noFocusBitmap_.isNull()) {
        remakeShadedBitmap();
        invalidate();
    }
}

void TExplorerButton::setBevelStyle(TBevelStyle style) {
    bevelStyle_ = style;
    invalidate();
}

void TExplorerButton::setShadowColor(const QColor& color) {
    shadowColor_ = color;
    invalidate();
}

void TExplorerButton::setUnselectedFontColor(const QColor& color) {
    unselectedFontColor_ = color;
    invalidate();
}

void TExplorerButton::setFontColor(const QColor& color) {
    fontColor_ = color;
    invalidate();
}

void TExplorerButton::setWordWrap(bool on) {
    wordWrap_ = on;
    invalidate();
}

QMenu* TExplorerButton::dropDownMenu() const {
    return dropDownMenu_;
}
QMenu* TExplorerButton::popupMenu() const {
    return popupMenu_;
}
void TExplorerButton::setPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
}

void TExplorerButton::setDropDownMenu(QMenu* menu) {
    dropDownMenu_ = menu;
    if (options_.testFlag(TButtonOption::boPopupMark)) {
        invalidate();
    }
}

QList<TExplorerButton*> TExplorerButton::groupPeers() const {
    QList<TExplorerButton*> peers;
    if (groupIndex_ == 0 || parentWidget() == nullptr) {
        return peers;
    }
    const auto siblings =
        parentWidget()->findChildren<TExplorerButton*>(Qt::FindDirectChildrenOnly);
    for (TExplorerButton* b : siblings) {
        if (b != this && b->groupIndex_ == groupIndex_) {
            peers.append(b);
        }
    }
    return peers;
}

void TExplorerButton::goDownInGroup() {
    down_ = true;
    invalidate();
    for (TExplorerButton* peer : groupPeers()) {
        if (peer->down_) {
            peer->down_ = false;
            peer->invalidate();
        }
    }
}

void TExplorerButton::setGroupIndex(int index) {
    if (index == 0 && down_) {
        down_ = false;
        invalidate();
    }
    groupIndex_ = index;
}

void TExplorerButton::setDown(bool down) {
    if (down == down_ || groupIndex_ == 0) {
        return;
    }
    if (down) {
        goDownInGroup();
    } else {
        down_ = false;
        invalidate();
    }
}

void TExplorerButton::setAllowAllUp(bool on) {
    allowAllUp_ = on;
    for (TExplorerButton* peer : groupPeers()) {
        peer->allowAllUp_ = on;
    }
}

void TExplorerButton::setShowDownPattern(bool on) {
    showDownPattern_ = on;
    invalidate();
}

void TExplorerButton::click() {
    if (isEnabled() && isVisible()) {
        Q_EMIT clicked();
    }
}

void TExplorerButton::press() {
    accelerate();
}

void TExplorerButton::updateShortcut() {
    const QChar letter = ui::acceleratorChar(caption_);
    if (letter.isNull()) {
        if (shortcut_ != nullptr) {
            shortcut_->setKey(QKeySequence());
        }
        return;
    }
    const QKeySequence keys(QKeySequence(QStringLiteral("Alt+") + letter.toUpper()));
    if (shortcut_ == nullptr) {
        shortcut_ = new QShortcut(keys, this);
        shortcut_->setContext(Qt::WindowShortcut);
        connect(shortcut_, &QShortcut::activated, this, &TExplorerButton::accelerate);
    } else {
        shortcut_->setKey(keys);
    }
}

bool TExplorerButton::cursorInside() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

// Left-button-down step, shared by the mouse and the accelerator.
void TExplorerButton::pressStep() {
    if (window() != nullptr && !window()->isActiveWindow()) {
        window()->activateWindow();
    }
    if (!isEnabled() || !isVisible()) {
        return;
    }
    pressed_ = true;
    mouseInside_ = true;
    invalidate();
    if (dropDownMenu_ != nullptr) {
        QPointer<TExplorerButton> self(this);
        QPointer<QMenu> menu = dropDownMenu_;
        menu->exec(mapToGlobal(QPoint(0, height())));
        if (self != nullptr) {
            afterMenu();
        }
    }
}

void TExplorerButton::afterMenu() {
    if (!cursorInside()) {
        mouseInside_ = false;
    }
    pressed_ = false;
    invalidate();
}

// Left-button-up step, shared by the mouse and the accelerator.
void TExplorerButton::releaseStep() {
    if (!isEnabled() || !isVisible() || !pressed_) {
        return;
    }
    pressed_ = false;
    if (mouseInside_ && groupIndex_ != 0) {
        if (!down_) {
            goDownInGroup();
        } else if (allowAllUp_) {
            down_ = false;
        }
    }
    if (mouseInside_) {
        mouseInside_ = false;
        invalidate();
        if (dropDownMenu_ == nullptr) {
            Q_EMIT clicked();
        }
    } else {
        invalidate();
    }
}

void TExplorerButton::mouseEntered() {
    if (mouseInside_) {
        return;
    }
    mouseInside_ = true;
    if (!down_ && isEnabled()) {
        invalidate();
    }
}

void TExplorerButton::mouseLeft() {
    if (!mouseInside_) {
        return;
    }
    mouseInside_ = false;
    if (!down_ && isEnabled()) {
        invalidate();
    }
}

void TExplorerButton::accelerate() {
    if (!isEnabled() || !isVisible()) {
        return;
    }
    QPointer<TExplorerButton> self(this);
    mouseInside_ = true;
    pressed_ = false;
    invalidate();
    QApplication::processEvents();
    if (self == nullptr) {
        return;
    }
    pressStep();
    if (self == nullptr) {
        return;
    }
    QApplication::processEvents();
    if (self == nullptr) {
        return;
    }
    releaseStep();
    if (self != nullptr && !cursorInside() && mouseInside_) {
        mouseInside_ = false;
        invalidate();
    }
}

void TExplorerButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    pressStep();
}

void TExplorerButton::mouseMoveEvent(QMouseEvent* event) {
    // While the button is held the widget keeps the mouse, so entering and leaving are
    // read from the position.
    if (pressed_) {
        if (rect().contains(event->position().toPoint())) {
            mouseEntered();
        } else {
            mouseLeft();
        }
    }
    event->accept();
}

void TExplorerButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (pressed_ && !rect().contains(event->position().toPoint())) {
        mouseLeft();
    }
    releaseStep();
}

void TExplorerButton::enterEvent(QEnterEvent* event) {
    mouseEntered();
    QWidget::enterEvent(event);
}

void TExplorerButton::leaveEvent(QEvent* event) {
    mouseLeft();
    QWidget::leaveEvent(event);
}

void TExplorerButton::contextMenuEvent(QContextMenuEvent* event) {
    if (popupMenu_ == nullptr) {
        QWidget::contextMenuEvent(event);
        return;
    }
    QPointer<TExplorerButton> self(this);
    popupMenu_->exec(event->globalPos());
    if (self != nullptr) {
        afterMenu();
    }
}

void TExplorerButton::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int key = event->key();
    if (plain && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        if (!event->isAutoRepeat()) {
            accelerate();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void TExplorerButton::focusInEvent(QFocusEvent* event) {
    invalidate();
    QWidget::focusInEvent(event);
}

void TExplorerButton::focusOutEvent(QFocusEvent* event) {
    invalidate();
    QWidget::focusOutEvent(event);
}

void TExplorerButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (groupIndex_ == 0) {
            down_ = false;
        }
        mouseInside_ = false;
        pressed_ = false;
        invalidate();
    } else if (event->type() == QEvent::FontChange) {
        invalidate();
    }
    QWidget::changeEvent(event);
}

bool TExplorerButton::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !showHint_) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void TExplorerButton::resizeEvent(QResizeEvent* event) {
    dirty_ = true;
    QWidget::resizeEvent(event);
}

void TExplorerButton::paintEvent(QPaintEvent*) {
    if (dirty_ || !ui::cacheFits(cache_, size(), devicePixelRatioF())) {
        render();
    }
    QPainter p(this);
    p.drawImage(0, 0, cache_);
    if (hasFocus()) {
        // Drawn in the caption's hot colour, which the form has chosen to show on its
        // background; inside the frame, so the hot and pressed looks stay as they were.
        p.setPen(QPen(fontColor_, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void TExplorerButton::render() {
    dirty_ = false;
    const int W = width();
    const int H = height();
    cache_ = ui::cacheImage(size(), devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    cache_.fill(Qt::transparent);
    QPainter p(&cache_);
    p.setFont(font());

    const QColor light = sysColor(SysColor::ButtonHighlight);
    const bool iconOnly = options_.testFlag(TButtonOption::boIconOnly);
    const bool showCaption = !iconOnly && !caption_.isEmpty();
    const bool mark = options_.testFlag(TButtonOption::boPopupMark) && dropDownMenu_ != nullptr;
    const int flags = ui::captionFlags(alignment_, wordWrap_);

    ExplorerLayoutInput in;
    in.width = W;
    in.height = H;
    in.hasCaption = showCaption;
    if (showCaption) {
        const QString measured = wordWrap_ ? caption_ + QLatin1Char(' ') : caption_;
        const QRect r = ui::measureCaption(p.fontMetrics(), W - 4, flags, measured);
        in.textWidth = r.width();
        in.textHeight = r.height();
    }
    // A picture drawn for a high-DPI screen has more dots than pixels: it is laid out by its
    // size in pixels.
    const QSize glyphSize = bitmap_.deviceIndependentSize().toSize();
    in.bitmapWidth = bitmap_.isNull() ? 0 : glyphSize.width();
    in.bitmapHeight = bitmap_.isNull() ? 0 : glyphSize.height();
    in.popupMark = mark;
    in.layout = layout_;
    in.alignment = alignment_;
    in.wordWrap = wordWrap_;
    const ExplorerLayout lay = layoutExplorerButton(in);
    const bool hasGlyph = !bitmap_.isNull();
    const QRect textRect(lay.textLeft, lay.textTop, lay.textWidth, lay.textHeight);
    const QPoint glyphAt(lay.glyphLeft, lay.glyphTop);

    // Raised is the hot frame and sunken the pressed one; a lowered bevel swaps the looks.
    const bool lowered = bevelStyle_ == TBevelStyle::bsLowered;
    const auto frame = [&](bool sunken) {
        const bool topIsLight = sunken == lowered;
        ui::frame3D(p, rect(), topIsLight ? light : shadowColor_,
                    topIsLight ? shadowColor_ : light);
    };
    const auto markAt = [&](int extra, const QColor& color) {
        if (!mark) {
            return;
        }
        if (hasGlyph) {
            drawPopupMark(p, lay.glyphLeft + glyphSize.width() + 3 + extra,
                          lay.glyphTop + lay.glyphHeight / 2 + extra, color);
        } else {
            drawPopupMark(p, lay.textLeft + lay.textWidth + 3 + extra,
                          lay.textTop + lay.textHeight / 2 + extra, color);
        }
    };

    if (down_ && showDownPattern_) {
        p.fillRect(rect(), QBrush(downPattern()));
    }

    if (!isEnabled()) {
        if (down_) {
            frame(true);
        }
        if (!disabledBitmap_.isNull()) {
            ui::drawTransparent(p, glyphAt, disabledBitmap_);
        } else if (hasGlyph) {
            const QImage mask = darkPixelMask(bitmap_);
            p.drawImage(glyphAt + QPoint(1, 1), tintMask(mask, light));
            p.drawImage(glyphAt, tintMask(mask, sysColor(SysColor::ButtonShadow)));
        }
        if (showCaption) {
            ui::drawCaption(p, textRect.translated(1, 1), flags, caption_, light);
            ui::drawCaption(p, textRect, flags, caption_, sysColor(SysColor::ButtonShadow));
        }
        return;
    }

    if ((pressed_ && mouseInside_) || down_) {
        frame(true);
        if (showCaption) {
            const int shift = lowered ? 0 : 1;
            ui::drawCaption(p, textRect.translated(shift, shift), flags, caption_, fontColor_);
        }
        if (hasGlyph) {
            ui::drawTransparent(p, glyphAt + QPoint(1, 1), bitmap_);
        }
        markAt(1, fontColor_);
        return;
    }

    QColor captionColor = fontColor_;
    if (mouseInside_) {
        frame(false);
    } else {
        captionColor = unselectedFontColor_;
    }
    if (showCaption) {
        const int shift = lowered ? 1 : 0;
        ui::drawCaption(p, textRect.translated(shift, shift), flags, caption_, captionColor);
    }
    if (hasGlyph) {
        if (!mouseInside_ && options_.testFlag(TButtonOption::boMonoDisplay)) {
            if (!noFocusBitmap_.isNull()) {
                ui::drawTransparent(p, glyphAt, noFocusBitmap_);
            } else {
                p.drawImage(glyphAt, shadedBitmap_);
            }
        } else {
            ui::drawTransparent(p, glyphAt, bitmap_);
        }
    }
    markAt(0, captionColor);
}

}  // namespace controls
