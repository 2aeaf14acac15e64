// Forms: windows whose layout is a Designer .ui file and whose behaviour sits in handlers
// named after a control and an event. TForm is a main-window kind, TDialog a modal dialog.
//
// Form events are signals that a .ui file connects to the form's own slots by name, e.g.
//   <connection><sender>TFilterForm</sender><signal>activated()</signal>
//               <receiver>TFilterForm</receiver><slot>FormActivate()</slot></connection>
// Signals: created() once, after construction (see CreateForm); shown() each time the form
// is shown; activated() each time it becomes the active window; closeQuery(bool&) may refuse
// a close by clearing its argument; closing() once a close is allowed; destroying() just
// before the form is deleted by its FormPtr; resized(); keyDown(QKeyEvent*) with KeyPreview,
// before the focused control sees the key (accept() the event to keep it from the control).
//
// Keys typed while a form's key handler runs (it may open a dialog, or let pending messages
// be processed) and keys typed at a window between the creation of a dialog it opens and
// the dialog's showing are swallowed: they were meant for what the window showed before,
// and reaching it now could start the same command a second time.
#pragma once

#include <QDialog>
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <utility>

class QKeyEvent;

namespace ui {

// Modal results, as the dialogs' callers read them.
inline constexpr int kModalNone = 0;
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

namespace detail {

enum class KeyRoute { Pass, Preview, Swallow };

// What the two form kinds share: key preview, the chosen default and cancel widgets and the
// once-only creation and destruction notices.
class FormCore {
  public:
    QPointer<QWidget> defaultButton;
    QPointer<QWidget> cancelButton;
    bool keyPreview = false;
    bool createdSent = false;
    bool destroyingSent = false;
    // The key press now travelling up from the focused control: the form previews it once.
    const QEvent* previewedKey = nullptr;
    // Key handlers of the form now running (one may run another's nested event loop).
    int keyHandlers = 0;

    // Decides what becomes of `event`, delivered to `watched`, while the form previews keys.
    KeyRoute RouteKey(const QWidget* form, QObject* watched, QEvent* event);
};

// Swallows the keys typed at `opener` until it is deleted: a dialog holds one from its
// creation until it shows.
class OpenerKeyHold : public QObject {
  public:
    OpenerKeyHold(QWidget* opener, QObject* parent);
    ~OpenerKeyHold() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> opener_;
};

}  // namespace detail

// A main window. Its .ui file is a "Main Window" form; menus and shortcuts live there.
class TForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    // The form sees key presses before the control with the focus (see keyDown).
    void SetKeyPreview(bool on);
    bool KeyPreview() const { return core_.keyPreview; }

    // Widgets that Enter and Escape press; unset, the widget marked Default / Cancel counts.
    void SetDefaultButton(QWidget* widget) { core_.defaultButton = widget; }
    void SetCancelButton(QWidget* widget) { core_.cancelButton = widget; }

    // Called by CreateForm and FormPtr; each emits its signal at most once.
    void NotifyCreated();
    void NotifyDestroying();

  Q_SIGNALS:
    void created();
    void shown();
    void activated();
    void closeQuery(bool& canClose);
    void closing();
    void destroying();
    void resized();
    void keyDown(QKeyEvent* event);

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    detail::FormCore core_;
};

// A dialog: created for one use, centred by its caller, shown modally with ShowModal and
// discarded. Fixed border without title-bar buttons, Arial 8 point. Its .ui file is a
// "Dialog" form (top-level class QDialog).
class TDialog : public QDialog {
    Q_OBJECT

  public:
    explicit TDialog(QWidget* parent = nullptr);
    ~TDialog() override;

    // Shows the dialog modally; returns its modal result (kModalOk, kModalCancel, ...).
    int ShowModal();

    // Setting a result other than kModalNone closes a shown dialog with it, after closeQuery
    // allowed the close; a refused close sets the result back to kModalNone.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);

    void SetKeyPreview(bool on);
    bool KeyPreview() const { return core_.keyPreview; }
    void SetDefaultButton(QWidget* widget) { core_.defaultButton = widget; }
    void SetCancelButton(QWidget* widget) { core_.cancelButton = widget; }

    void NotifyCreated();
    void NotifyDestroying();

    // QDialog's accept/reject/done route through SetModalResult.
    void done(int result) override;

  Q_SIGNALS:
    void created();
    void shown();
    void activated();
    void closeQuery(bool& canClose);
    void closing();
    void destroying();
    void resized();
    void keyDown(QKeyEvent* event);

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FinishModal();

    detail::FormCore core_;
    QPointer<detail::OpenerKeyHold> openerKeyHold_;
    int modalResult_ = kModalNone;
    bool inCloseQuery_ = false;
    bool finishing_ = false;
};

// Owning pointer to a form: announces destroying() before the form is deleted.
struct FormDeleter {
    template <class Form>
    void operator()(Form* form) const {
        form->NotifyDestroying();
        std::default_delete<Form>()(form);
    }
};
template <class Form>
using FormPtr = std::unique_ptr<Form, FormDeleter>;

// Builds a form (its constructor runs setupUi) and then announces created(), so that the
// create handler sees every control in place, as the constructor of a base could not.
template <class Form, class... Args>
FormPtr<Form> CreateForm(Args&&... args) {
    FormPtr<Form> form(std::make_unique<Form>(std::forward<Args>(args)...).release());
    form->NotifyCreated();
    return form;
}

}  // namespace ui
