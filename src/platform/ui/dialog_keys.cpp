// Finding and pressing the widgets that answer Enter and Escape on a form.
#include "platform/ui/dialog_keys.h"

#include <QAbstractButton>
#include <QMetaObject>
#include <QVariant>

namespace ui {

QWidget* FindRoleWidget(const QWidget* form, DialogKeyRole role) {
    if (form == nullptr) {
        return nullptr;
    }
    const char* name = role == DialogKeyRole::Default ? kDefaultProperty : kCancelProperty;
    const QList<QWidget*> widgets = form->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        // A nested top-level window (a popup, a child dialog) has its own keys.
        if (widget->window() != form) {
            continue;
        }
        const QVariant value = widget->property(name);
        if (value.isValid() && value.toBool()) {
            return widget;
        }
    }
    return nullptr;
}

bool PressRoleWidget(QWidget* widget) {
    if (widget == nullptr || !widget->isVisible() || !widget->isEnabled()) {
        return false;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->click();
        return true;
    }
    return QMetaObject::invokeMethod(widget, "click", Qt::DirectConnection);
}

bool HandleDialogKey(QWidget* form, int key, Qt::KeyboardModifiers modifiers,
                     QWidget* chosenDefault, QWidget* chosenCancel) {
    // The keypad flag comes with Enter on the number block; it is not a held modifier.
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    QWidget* target = nullptr;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        target =
            chosenDefault != nullptr ? chosenDefault : FindRoleWidget(form, DialogKeyRole::Default);
    } else if (key == Qt::Key_Escape) {
        target =
            chosenCancel != nullptr ? chosenCancel : FindRoleWidget(form, DialogKeyRole::Cancel);
    }
    return PressRoleWidget(target);
}

}  // namespace ui
