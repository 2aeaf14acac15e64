// The two form kinds: event signals, key preview, Enter/Escape roles and the modal loop.
#include "platform/ui/forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

#include "platform/fonts/fonts.h"
#include "platform/ui/application.h"
#include "platform/ui/dialog_keys.h"

namespace ui {
namespace detail {

namespace {

// A key press, its shortcut check or its release, delivered to a widget of `window`.
bool IsKeyEventOf(const QWidget* window, QObject* watched, const QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride &&
        type != QEvent::KeyRelease) {
        return false;
    }
    return window != nullptr && watched->isWidgetType() &&
           static_cast<QWidget*>(watched)->window() == window;
}

// An accepted shortcut check keeps the key from every shortcut; the press that follows is
// then swallowed as well.
bool Swallow(QEvent* event) {
    event->accept();
    return true;
}

}  // namespace

KeyRoute FormCore::RouteKey(const QWidget* form, QObject* watched, QEvent* event) {
    // Keys of another window (a message box opened by a key handler) pass.
    if (!IsKeyEventOf(form, watched, event)) {
        return KeyRoute::Pass;
    }
    if (keyHandlers > 0) {
        return KeyRoute::Swallow;
    }
    // Every key press of this form is preceded by its shortcut check and followed by its
    // release; either one ends the press remembered below.
    if (event->type() != QEvent::KeyPress) {
        previewedKey = nullptr;
        return KeyRoute::Pass;
    }
    // An ignored key travels on to the parents of the control as the same event object; the
    // form previews it at its first stop only.
    if (event == previewedKey) {
        return KeyRoute::Pass;
    }
    previewedKey = event;
    return KeyRoute::Preview;
}

OpenerKeyHold::OpenerKeyHold(QWidget* opener, QObject* parent) : QObject(parent), opener_(opener) {
    QCoreApplication::instance()->installEventFilter(this);
}

OpenerKeyHold::~OpenerKeyHold() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

bool OpenerKeyHold::eventFilter(QObject* watched, QEvent* event) {
    return IsKeyEventOf(opener_.data(), watched, event) && Swallow(event);
}

// Runs the preview: the key arrives ignored, and a handler that accepts it keeps it from the
// control. Returns true when the key is consumed.
template <class Form>
bool PreviewKey(Form* form, FormCore& core, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool wasAccepted = key->isAccepted();
    key->ignore();
    ++core.keyHandlers;
    Q_EMIT form->keyDown(key);
    --core.keyHandlers;
    if (key->isAccepted()) {
        return true;
    }
    key->setAccepted(wasAccepted);
    return false;
}

// Key routing for both form kinds' application-wide filter; true when the event is consumed.
template <class Form>
bool FilterKey(Form* form, FormCore& core, QObject* watched, QEvent* event) {
    switch (core.RouteKey(form, watched, event)) {
        case KeyRoute::Preview:
            return PreviewKey(form, core, event);
        case KeyRoute::Swallow:
            return Swallow(event);
        case KeyRoute::Pass:
            break;
    }
    return false;
}

// The window events both form kinds announce as signals.
template <class Form>
void EmitFormEvent(Form* form, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
            // A spontaneous show is the platform restoring the window, not a new showing.
            if (!event->spontaneous()) {
                Q_EMIT form->shown();
            }
            break;
        case QEvent::WindowActivate:
            Q_EMIT form->activated();
            break;
        case QEvent::Resize:
            Q_EMIT form->resized();
            break;
        default:
            break;
    }
}

void SetPreview(FormCore& core, QObject* form, bool on) {
    if (on == core.keyPreview) {
        return;
    }
    core.keyPreview = on;
    core.previewedKey = nullptr;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        if (on) {
            app->installEventFilter(form);
        } else {
            app->removeEventFilter(form);
        }
    }
}

}  // namespace detail

// --- TForm -----------------------------------------------------------------------------------

TForm::TForm(QWidget* parent) : QMainWindow(parent) {}

TForm::~TForm() {
    detail::SetPreview(core_, this, false);
}

void TForm::SetKeyPreview(bool on) {
    detail::SetPreview(core_, this, on);
}

void TForm::NotifyCreated() {
    if (!core_.createdSent) {
        core_.createdSent = true;
        Q_EMIT created();
    }
}

void TForm::NotifyDestroying() {
    if (!core_.destroyingSent) {
        core_.destroyingSent = true;
        Q_EMIT destroying();
    }
}

bool TForm::event(QEvent* event) {
    detail::EmitFormEvent(this, event);
    return QMainWindow::event(event);
}

bool TForm::eventFilter(QObject* watched, QEvent* event) {
    if (core_.keyPreview && detail::FilterKey(this, core_, watched, event)) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    Q_EMIT closeQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    Q_EMIT closing();
    event->accept();
}

void TForm::keyPressEvent(QKeyEvent* event) {
    if (HandleDialogKey(this, event->key(), event->modifiers(), core_.defaultButton,
                        core_.cancelButton)) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// --- TDialog ---------------------------------------------------------------------------------

TDialog::TDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setFont(dialogFont());  // Arial 8 point, mapped to its installed twin
    setSizeGripEnabled(false);
    QWidget* opener = parent != nullptr ? parent->window() : QApplication::activeWindow();
    if (opener != nullptr) {
        openerKeyHold_ = new detail::OpenerKeyHold(opener, this);
    }
}

TDialog::~TDialog() {
    detail::SetPreview(core_, this, false);
}

void TDialog::SetKeyPreview(bool on) {
    detail::SetPreview(core_, this, on);
}

void TDialog::NotifyCreated() {
    if (!core_.createdSent) {
        core_.createdSent = true;
        Q_EMIT created();
    }
}

void TDialog::NotifyDestroying() {
    if (!core_.destroyingSent) {
        core_.destroyingSent = true;
        Q_EMIT destroying();
    }
}

int TDialog::ShowModal() {
    modalResult_ = kModalNone;
    if (isVisible()) {
        return kModalNone;  // already shown; a second modal loop would nest on itself
    }
    // The border is fixed at the size the layout gave the dialog.
    setFixedSize(size());
    exec();
    return modalResult_;
}

void TDialog::SetModalResult(int result) {
    modalResult_ = result;
    // Inside closeQuery a handler may choose the result (an OK action); the close that is
    // already under way then finishes with it.
    if (result == kModalNone || inCloseQuery_ || !isVisible()) {
        return;
    }
    FinishModal();
}

void TDialog::done(int result) {
    SetModalResult(result == kModalNone ? kModalCancel : result);
}

void TDialog::FinishModal() {
    inCloseQuery_ = true;
    bool canClose = true;
    Q_EMIT closeQuery(canClose);
    inCloseQuery_ = false;
    if (!canClose) {
        modalResult_ = kModalNone;
        return;
    }
    if (!isVisible()) {
        return;  // a handler closed the dialog already
    }
    if (modalResult_ == kModalNone) {
        modalResult_ = kModalCancel;
    }
    Q_EMIT closing();
    finishing_ = true;
    QDialog::done(modalResult_);
    finishing_ = false;
}

bool TDialog::event(QEvent* event) {
    if (event->type() == QEvent::Show) {
        // Shown, the dialog takes the keys itself.
        delete openerKeyHold_.data();
    }
    detail::EmitFormEvent(this, event);
    return QDialog::event(event);
}

bool TDialog::eventFilter(QObject* watched, QEvent* event) {
    if (core_.keyPreview && detail::FilterKey(this, core_, watched, event)) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TDialog::closeEvent(QCloseEvent* event) {
    // QDialog::done may close the window itself once the close was allowed.
    if (finishing_) {
        event->accept();
        return;
    }
    // Closing by the window manager or close(): the handlers see no result chosen yet.
    event->ignore();
    if (!isVisible() || inCloseQuery_) {
        return;
    }
    FinishModal();
}

void TDialog::keyPressEvent(QKeyEvent* event) {
    if (HandleDialogKey(this, event->key(), event->modifiers(), core_.defaultButton,
                        core_.cancelButton)) {
        event->accept();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // Without a role widget these keys do nothing; QDialog would reject or press a
            // push button of its own choosing.
            event->ignore();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace ui
