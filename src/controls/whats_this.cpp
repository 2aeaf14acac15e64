// Showing a control's help text, help mode and its mask, and the keys and menu that reach them.
#include "controls/whats_this.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QSet>
#include <QShortcut>

#include "controls/explorer_button.h"
#include "controls/help_cursor.h"
#include "controls/help_popup.h"
#include "controls/ods_help.h"
#include "platform/ui/application.h"

namespace controls {

namespace {

const QString kMaskName = QStringLiteral("ODSMask");

void HelpDone(const TODSHelp* help) {
    if (help != nullptr && help->OnHelpDone) {
        help->OnHelpDone();
    }
}

QString PlainText(const QString& text) {
    QString plain = text;
    return plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Shows the popup for the first of `control` and its parents with a text; false (and no
// OnHelpDone) when none has one.
bool TryShow(QWidget* control) {
    if (control == nullptr) {
        return false;
    }
    QWidget* form = control->window();
    const TODSHelp* help = TODSHelp::Of(form);
    if (help == nullptr) {
        return false;
    }
    const std::optional<TODSHelp::Found> found = help->Find(control);
    if (!found || found->control == nullptr) {
        return false;
    }
    form->raise();
    form->activateWindow();
    THelpRequest request;
    request.text = found->text;
    request.context = found->context;
    request.control = QRect(found->control->mapToGlobal(QPoint(0, 0)), found->control->size());
    request.color = help->Color();
    request.font = help->PopupFont();
    request.maxWidth = help->MaxWidth();
    request.moreText = help->MoreText();
    const QPointer<const TODSHelp> owner(help);
    TODSHelpPopup::Instance()->ShowHelp(request, [owner] { HelpDone(owner); });
    return true;
}

// The invisible, zero-sized control that holds the focus and the mouse while help mode lasts.
//
//   Start --> capturing --(left press: mousePressEvent)--> the popup, or OnHelpDone
//                 |-------(Esc, focus lost: Cancel)-------> OnHelpDone
//   either way Restore gives the focus back and deletes the mask.
class THelpModeMask : public QWidget {
  public:
    explicit THelpModeMask(QWidget* form) : QWidget(form), form_(form) {
        setObjectName(kMaskName);
        setGeometry(0, 0, 0, 0);
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
    }

    void Start() {
        previous_ = QApplication::focusWidget();
        ui::SetScreenCursor(HelpCursor(devicePixelRatioF()));
        show();
        setFocus(Qt::OtherFocusReason);
        ui::SetMouseCapture(this);
        capturing_ = true;
    }

  protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!capturing_) {
            return;
        }
        if (ProgramControlAt(event->globalPosition().toPoint()) != nullptr) {
            ui::SetScreenCursor(HelpCursor(devicePixelRatioF()));
        } else {
            ui::SetScreenCursor(ui::ScreenCursor::Arrow);
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (!capturing_ || event->button() != Qt::LeftButton) {
            return;
        }
        const QPoint at = event->globalPosition().toPoint();
        End();
        // Disabled controls answer too; a form that is disabled (behind a modal dialog) does
        // not, and neither does another program's window, where no control of ours lies.
        QWidget* control = QApplication::widgetAt(at);
        if (control == this) {
            control = form_;
        }
        const bool shown = control != nullptr && control->window()->isEnabled() && TryShow(control);
        if (!shown) {
            HelpDone(TODSHelp::Of(form_));
        }
        Restore(shown);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (capturing_ && event->key() == Qt::Key_Escape) {
            Cancel();
        }
    }

    void focusOutEvent(QFocusEvent*) override {
        if (capturing_) {
            Cancel();
        }
    }

  private:
    // The program's enabled control under `at`, or null (another program's window there).
    static QWidget* ProgramControlAt(const QPoint& at) {
        for (QWidget* widget = QApplication::widgetAt(at); widget != nullptr;
             widget = widget->parentWidget()) {
            if (widget->isEnabled()) {
                return widget;
            }
        }
        return nullptr;
    }

    void End() {
        capturing_ = false;
        ui::SetMouseCapture(nullptr);
        ui::SetScreenCursor(ui::ScreenCursor::Default);
    }

    void Cancel() {
        End();
        HelpDone(TODSHelp::Of(form_));
        Restore(false);
    }

    // The popup, when one was shown, keeps the focus until it closes.
    void Restore(bool popupShown) {
        if (previous_ != nullptr && previous_ != this && !popupShown) {
            previous_->setFocus(Qt::OtherFocusReason);
        }
        hide();
        deleteLater();
    }

    QPointer<QWidget> form_;
    QPointer<QWidget> previous_;
    bool capturing_ = false;
};

}  // namespace

bool ShowHelpFor(QWidget* form, QWidget* control) {
    if (TryShow(control)) {
        return true;
    }
    HelpDone(TODSHelp::Of(form));
    return false;
}

void EnterHelpMode(QWidget* form) {
    if (form == nullptr || HelpModeMask(form) != nullptr) {
        return;
    }
    (new THelpModeMask(form))->Start();  // the form owns it; it deletes itself when done
}

QWidget* HelpModeMask(const QWidget* form) {
    // A mask that has ended is hidden until its deletion comes round.
    for (QWidget* mask : form->findChildren<QWidget*>(kMaskName, Qt::FindDirectChildrenOnly)) {
        if (mask->isVisible()) {
            return mask;
        }
    }
    return nullptr;
}

TODSHelp* InstallHelp(QWidget* form) {
    TODSHelp* help = TODSHelp::Install(form, form->objectName());
    auto* key = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), form);
    QObject::connect(key, &QShortcut::activated, form, [form] { EnterHelpMode(form); });
    for (QWidget* control : form->findChildren<QWidget*>()) {
        const std::optional<TODSHelp::Found> found = help->Find(control);
        if (found && found->control == control) {
            control->setAccessibleDescription(PlainText(found->text));
        }
    }
    return help;
}

QList<QWidget*> ControlsWithHelpEntries(const QWidget* form) {
    QList<QWidget*> controls;
    const TODSHelp* help = TODSHelp::Of(form);
    if (help == nullptr) {
        return controls;
    }
    QSet<QString> names;
    for (const THelpEntry& entry : help->HelpText()) {
        names.insert(entry.name);
    }
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (names.contains(control->objectName())) {
            controls.append(control);
        }
    }
    return controls;
}

QMenu* MakeWhatsThisMenu(QWidget* form, const QList<QWidget*>& controls,
                         QPointer<QWidget>& target) {
    auto* menu = new QMenu(form);
    menu->setObjectName(QStringLiteral("WhatsThisMenu"));
    menu->addAction(QStringLiteral("What's this?"));
    for (QWidget* control : controls) {
        if (auto* button = qobject_cast<TExplorerButton*>(control)) {
            QObject::connect(menu, &QMenu::aboutToShow, button, [button, &target]() {
                if (button->underMouse()) {
                    target = button;
                }
            });
            button->setPopupMenu(menu);
            continue;
        }
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(control, &QWidget::customContextMenuRequested, menu,
                         [control, menu, &target](const QPoint& at) {
                             target = control;
                             menu->popup(control->mapToGlobal(at));
                         });
    }
    return menu;
}

}  // namespace controls
