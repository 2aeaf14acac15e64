// The two form kinds: event signals, key preview, Enter/Escape roles and the modal loop.
#include "platform/ui/forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

#include "platform/ui/application.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/fonts.h"

namespace ui {
namespace detail {

bool FormCore::TakeForPreview(const QWidget* form, QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride &&
        type != QEvent::KeyRelease) {
        return false;
    }
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != form) {
        return false;
    }
    // Every key press of this form is preceded by its shortcut check and followed by its
    // release; either one ends the press remembered below. Keys of another window (a
    // message box opened by a key handler) leave it alone.
    if (type != QEvent::KeyPress) {
        previewedKey = nullptr;
        return false;
    }
    // An ignored key travels on to the parents of the control as the same event object; the
    // form previews it at its first stop only.
    if (event == previewedKey) {
        return false;
    }
    previewedKey = event;
    return true;
}

// Runs the preview: the key arrives ignored, and a handler that accepts it keeps it from the
// control. Returns true when the key is consumed.
template <class Form>
bool PreviewKey(Form* form, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool wasAccepted = key->isAccepted();
    key->ignore();
    Q_EMIT form->keyDown(key);
    if (key->isAccepted()) {
        return true;
    }
    key->setAccepted(wasAccepted);
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
    if (core_.keyPreview && core_.TakeForPreview(this, watched, event)) {
        return detail::PreviewKey(this, event);
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
    detail::EmitFormEvent(this, event);
    return QDialog::event(event);
}

bool TDialog::eventFilter(QObject* watched, QEvent* event) {
    if (core_.keyPreview && core_.TakeForPreview(this, watched, event)) {
        return detail::PreviewKey(this, event);
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
