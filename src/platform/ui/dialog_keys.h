// Default and cancel roles of a form's buttons: which widget Enter and Escape press.
#pragma once

#include <QWidget>

namespace ui {

// A widget takes a role by carrying a true boolean property of this name: a Q_PROPERTY of
// its class (the explorer button declares `Default` and `Cancel`) or a dynamic property set
// in a .ui file (<property name="Default" stdset="0"><bool>true</bool></property>).
inline constexpr char kDefaultProperty[] = "Default";
inline constexpr char kCancelProperty[] = "Cancel";

enum class DialogKeyRole { Default, Cancel };

// The widget inside `form` (the form itself excluded) that holds the role, in creation
// order; the first one wins when several are marked. Null when none is marked.
QWidget* FindRoleWidget(const QWidget* form, DialogKeyRole role);

// Presses a role widget as the keyboard does: only when it is visible and enabled. A
// QAbstractButton is clicked with click(); any other widget must offer a `click()` slot or
// Q_INVOKABLE, which is then called (for the explorer button it raises OnClick, also when the
// button drops a menu down instead of clicking by mouse). True when a click was delivered.
bool PressRoleWidget(QWidget* widget);

// What a form does with Enter (Return or keypad Enter) and Escape that reached it without a
// control taking them, and without Shift, Ctrl or Alt held: the widget holding the role
// (an explicit `chosen` one first, else the marked one) is pressed. True when the key was used.
bool HandleDialogKey(QWidget* form, int key, Qt::KeyboardModifiers modifiers,
                     QWidget* chosenDefault, QWidget* chosenCancel);

}  // namespace ui
