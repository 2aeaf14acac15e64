// The what's-this popup: its layout, its painting over what lay below it, and its closing.
#include "controls/help_popup.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

#include <utility>

#include "platform/ui/application.h"
#include "platform/ui/help_viewer.h"

namespace controls {

namespace {

// The stored texts break lines with "\r\n"; Qt breaks them at "\n" alone.
QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

// The 8 x 8 shadow pattern, rows 10101010, 00000000, 01010101, 00000000 repeated: a set bit
// leaves the pixel below as it was, a clear bit blackens it.
bool ShadowKeeps(int x, int y) {
    switch (y % 4) {
        case 0:
            return x % 2 == 0;
        case 2:
            return x % 2 == 1;
        default:
            return false;
    }
}

QFont MoreFont(const QFont& font) {
    QFont more = font;
    more.setBold(!font.bold());
    return more;
}

}  // namespace

THelpLayout LayoutHelpPopup(const THelpRequest& request, const QRect& screen) {
    const QFontMetrics metrics(request.font);
    THelpLayout layout;
    const QRect text = metrics.boundingRect(QRect(0, 0, request.maxWidth, 10),
                                            Qt::TextWordWrap, DisplayText(request.text));
    layout.textBox = QSize(text.width() + 16, text.height() + 10);
    layout.paintBox = layout.textBox;
    if (request.context != 0) {
        layout.moreSize = QSize(metrics.horizontalAdvance(request.moreText), metrics.height());
        layout.paintBox.rheight() += 3 + layout.moreSize.height();
    }
    const QSize size = layout.paintBox + QSize(kHelpShadow, kHelpShadow);

    int left = request.control.left() - layout.textBox.width() / 2;
    if (left < screen.left()) {
        left = screen.left();
    }
    if (left + size.width() > screen.left() + screen.width()) {
        left = screen.left() + screen.width() - size.width() - kHelpScreenMargin;
    }
    int top = request.control.top() + 8;
    if (top + size.height() > screen.top() + screen.height()) {
        top = screen.top() + screen.height() - size.height() - kHelpScreenMargin;
    }
    layout.popup = QRect(QPoint(left, top), size);
    return layout;
}

void PaintHelpPopup(QPainter& painter, const THelpRequest& request, const THelpLayout& layout,
                    const QImage& backdrop) {
    const QSize size = layout.popup.size();
    const QSize box = layout.paintBox;

    // The shadow: the strips right of and below the box, dotted black over what lay there.
    QImage shadow(size, QImage::Format_RGB32);
    shadow.fill(Qt::white);
    if (!backdrop.isNull()) {
        QPainter under(&shadow);
        under.drawImage(0, 0, backdrop);
    }
    for (int y = kHelpShadow; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = kHelpShadow; x < size.width(); ++x) {
            if (!ShadowKeeps(x, y)) {
                line[x] = qRgb(0, 0, 0);
            }
        }
    }
    painter.drawImage(0, 0, shadow);

    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(request.color);
    painter.drawRect(QRect(QPoint(0, 0), box).adjusted(0, 0, -1, -1));

    painter.setFont(request.font);
    painter.drawText(QRect(8, 4, layout.textBox.width() - 16, layout.textBox.height() - 4),
                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, DisplayText(request.text));

    if (request.context != 0) {
        painter.setFont(MoreFont(request.font));
        const QSize more = layout.moreSize;
        painter.drawText(QRect(box.width() - 8 - more.width(), box.height() - 2 - more.height(),
                               more.width(), more.height()),
                         Qt::TextSingleLine | Qt::AlignRight | Qt::AlignBottom, request.moreText);
    }
}

TODSHelpPopup* TODSHelpPopup::Instance() {
    // Lives until the application goes; Qt frees the top-level window with it.
    static QPointer<TODSHelpPopup> popup;
    if (popup == nullptr) {
        popup = new TODSHelpPopup;
    }
    return popup;
}

TODSHelpPopup::TODSHelpPopup()
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::NoDropShadowWindowHint) {
    setObjectName(QStringLiteral("ODSHelpPopup"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
}

void TODSHelpPopup::ShowHelp(const THelpRequest& request, std::function<void()> onDone) {
    if (isVisible()) {
        hide();  // the one shown before ends first, with its own OnHelpDone
    }
    request_ = request;
    onDone_ = std::move(onDone);
    closedByDeactivation_ = false;

    QScreen* screen = QGuiApplication::screenAt(request.control.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    layout_ = LayoutHelpPopup(request_, screen->geometry());
    // What lies below, for the shadow to darken; a platform that will not give it (Wayland)
    // leaves the shadow over white.
    const QRect under = layout_.popup.translated(-screen->geometry().topLeft());
    backdrop_ = screen->grabWindow(0, under.x(), under.y(), under.width(), under.height())
                    .toImage()
                    .convertToFormat(QImage::Format_RGB32);
    // On a high-DPI screen the grab has the screen's dots: its size in pixels is what counts.
    if (backdrop_.deviceIndependentSize().toSize() != layout_.popup.size()) {
        backdrop_ = QImage();
    }

    // Deactivation is a signal every listener receives, so the program's own handlers keep
    // running; ours lasts only while the popup shows.
    if (ui::ApplicationEvents* events = ui::Events()) {
        deactivation_ = connect(events, &ui::ApplicationEvents::deactivated, this, [this] {
            closedByDeactivation_ = true;
            hide();
        });
    }
    setGeometry(layout_.popup);
    show();
    raise();
    activateWindow();
    setFocus(Qt::PopupFocusReason);
    update();
}

QRect TODSHelpPopup::MoreArea() const {
    const QSize box = layout_.paintBox;
    const QSize more = layout_.moreSize;
    return {QPoint(box.width() - more.width(), box.height() - more.height()), more};
}

void TODSHelpPopup::OpenMore() {
    ui::ShowHelp(ui::ProgramHelpFile(), static_cast<int>(request_.context));
}

void TODSHelpPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintHelpPopup(painter, request_, layout_, backdrop_);
}

void TODSHelpPopup::mousePressEvent(QMouseEvent* event) {
    const bool onPopup = rect().contains(event->position().toPoint());
    if (onPopup && event->button() != Qt::LeftButton) {
        return;
    }
    if (onPopup && request_.context != 0 && MoreArea().contains(event->position().toPoint())) {
        OpenMore();
    }
    // A press anywhere else lands here too while the popup holds the mouse: it closes the
    // popup like the deactivation it stands for.
    hide();
}

void TODSHelpPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && request_.context != 0) {
        OpenMore();
    }
    hide();
}

void TODSHelpPopup::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    CloseHelp();
}

void TODSHelpPopup::CloseHelp() {
    disconnect(deactivation_);
    request_.text.clear();
    backdrop_ = QImage();
    // Taken out first: the handler may show the next popup.
    if (std::function<void()> done = std::exchange(onDone_, nullptr)) {
        done();
    }
}

}  // namespace controls
