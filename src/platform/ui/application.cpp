// The application services of the windowing layer on Qt: title, main form, event processing,
// the screen cursor, capture, keyboard state, screen metrics and window placement.
#include "platform/ui/application.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace ui {
namespace {

struct ApplicationState {
    QString title;
    QPointer<QWidget> mainForm;
    ScreenCursor cursor = ScreenCursor::Default;
    bool cursorOverridden = false;  // one override of ours is on Qt's cursor stack
    std::optional<ScreenMetrics> metricsOverride;
};

ApplicationState& State() {
    static ApplicationState state;
    return state;
}

QMargins FrameMargins(const QWidget* form) {
    const QRect frame = form->frameGeometry();
    const QRect client = form->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

}  // namespace

ApplicationEvents* Events() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr) {
        return nullptr;
    }
    // A child of the application, so it goes with it; made on first use.
    auto* events = app->findChild<ApplicationEvents*>(QString(), Qt::FindDirectChildrenOnly);
    if (events == nullptr) {
        events = new ApplicationEvents(app);
        QObject::connect(app, &QGuiApplication::applicationStateChanged, events,
                         [events](Qt::ApplicationState state) {
                             if (state == Qt::ApplicationActive) {
                                 Q_EMIT events->activated();
                             } else {
                                 Q_EMIT events->deactivated();
                             }
                         });
    }
    return events;
}

void SetApplicationTitle(const QString& title) {
    State().title = title;
}

QString ApplicationTitle() {
    return State().title;
}

void SetMainForm(QWidget* form) {
    State().mainForm = form;
}

QWidget* MainForm() {
    return State().mainForm.data();
}

void MinimizeApplication() {
    if (QWidget* form = MainForm()) {
        form->showMinimized();
    }
}

void ProcessMessages() {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SetScreenCursor(ScreenCursor cursor) {
    ApplicationState& state = State();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    if (cursor == ScreenCursor::Default || cursor == ScreenCursor::Custom) {
        // Custom needs a picture: without one it means the widgets' own cursors again.
        if (state.cursorOverridden) {
            QGuiApplication::restoreOverrideCursor();
            state.cursorOverridden = false;
        }
        state.cursor = ScreenCursor::Default;
        return;
    }
    SetScreenCursor(QCursor(cursor == ScreenCursor::HourGlass ? Qt::WaitCursor : Qt::ArrowCursor));
    state.cursor = cursor;
}

void SetScreenCursor(const QCursor& cursor) {
    ApplicationState& state = State();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    // One level of Qt's override stack is ours; changing it keeps others' levels intact.
    if (state.cursorOverridden) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        state.cursorOverridden = true;
    }
    state.cursor = ScreenCursor::Custom;
}

ScreenCursor CurrentScreenCursor() {
    return State().cursor;
}

void SetMouseCapture(QWidget* widget) {
    if (widget == nullptr) {
        if (QWidget* grabber = QWidget::mouseGrabber()) {
            grabber->releaseMouse();
        }
        return;
    }
    widget->grabMouse();
}

QWidget* MouseCapture() {
    return QWidget::mouseGrabber();
}

KeyboardState CurrentKeyboardState() {
    KeyboardState state;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return state;
    }
    const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    state.shift = modifiers.testFlag(Qt::ShiftModifier);
    state.control = modifiers.testFlag(Qt::ControlModifier);
    state.alt = modifiers.testFlag(Qt::AltModifier);
    state.leftButton = buttons.testFlag(Qt::LeftButton);
    state.rightButton = buttons.testFlag(Qt::RightButton);
    state.middleButton = buttons.testFlag(Qt::MiddleButton);
    return state;
}

ScreenMetrics CurrentScreenMetrics() {
    if (State().metricsOverride) {
        return *State().metricsOverride;
    }
    ScreenMetrics metrics;
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    if (screen == nullptr) {
        return metrics;
    }
    metrics.width = screen->geometry().width();
    metrics.height = screen->geometry().height();
    metrics.dotsPerInch = qRound(screen->logicalDotsPerInch());
    return metrics;
}

void OverrideScreenMetrics(std::optional<ScreenMetrics> metrics) {
    State().metricsOverride = metrics;
}

QRect FormBounds(const QWidget* form) {
    return form == nullptr ? QRect() : form->frameGeometry();
}

void SetFormPosition(QWidget* form, QPoint topLeft) {
    if (form != nullptr) {
        form->move(topLeft);  // a top-level move places the frame's corner
    }
}

void SetFormBounds(QWidget* form, const QRect& bounds) {
    if (form == nullptr) {
        return;
    }
    const QMargins margins = FrameMargins(form);
    const QSize client(bounds.width() - margins.left() - margins.right(),
                       bounds.height() - margins.top() - margins.bottom());
    form->resize(client.expandedTo(QSize(0, 0)));
    form->move(bounds.topLeft());
}

QPoint CentredPosition(QSize size, const QRect& area) {
    // Integer division truncates towards zero, which is the rule the stored layouts assume.
    return {area.left() + (area.width() - size.width()) / 2,
            area.top() + (area.height() - size.height()) / 2};
}

WindowPlacement FormPlacement(const QWidget* form) {
    WindowPlacement placement;
    if (form == nullptr) {
        return placement;
    }
    placement.maximized = form->isMaximized();
    placement.minimized = form->isMinimized();
    QRect normal = form->normalGeometry();
    if (!normal.isValid()) {
        normal = form->geometry();
    }
    placement.normalBounds = normal.marginsAdded(FrameMargins(form));
    return placement;
}

void CentreForm(QWidget* form) {
    if (form == nullptr) {
        return;
    }
    const QWidget* main = MainForm();
    const bool overMain = main != nullptr &&
                          QString::fromLatin1(form->metaObject()->className()).toUpper() !=
                              QStringLiteral("TMAINFORM") &&
                          !main->isMaximized();
    QRect area;
    if (overMain) {
        area = FormBounds(main);
    } else {
        const ScreenMetrics screen = CurrentScreenMetrics();
        area = QRect(0, 0, screen.width, screen.height);
    }
    SetFormPosition(form, CentredPosition(FormBounds(form).size(), area));
    // A dialog that can be maximised keeps its system menu with it.
    if (form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) {
        form->setWindowFlag(Qt::WindowSystemMenuHint, true);
    }
}

void BringFormToFront(QWidget* form) {
    if (form == nullptr) {
        return;
    }
    if (form->isMinimized()) {
        form->showNormal();
    } else if (!form->isVisible()) {
        form->show();
    }
    form->raise();
    form->activateWindow();
}

void SetTopmost(QWidget* window, bool topmost) {
    if (window == nullptr || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) {
        return;
    }
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) {
        window->show();  // changing flags hides the window
    }
}

bool IsTopmost(const QWidget* window) {
    return window != nullptr && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

}  // namespace ui
