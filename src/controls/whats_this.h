// Reaching a control's help: the "What's this?" menu item, help mode from the what's-this
// button or Shift+F1, and each control's help text as its accessible description. The texts
// come from the form's TODSHelp; the popup shows them.
#pragma once

#include <QPointer>
#include <QWidget>

class QMenu;

namespace controls {
class TODSHelp;
}

namespace controls {

// Shows the help of `control` on `form`, or of the nearest parent that has some. The form's
// OnHelpDone runs when the popup closes, or at once when there was nothing to show (also when
// `control` is null: the menu was opened on no control). True when a popup was shown.
bool ShowHelpFor(QWidget* form, QWidget* control);

// Help mode, from the what's-this button: the help cursor, the mouse held until the next
// click, which shows the help of the control clicked. Esc, or the focus going elsewhere, ends
// it with nothing shown; so does a click outside the program's enabled windows.
void EnterHelpMode(QWidget* form);
// The form's help-mode mask while help mode lasts, else null.
QWidget* HelpModeMask(const QWidget* form);

// Everything a form needs for its help: its TODSHelp with the entries compiled in under the
// form's object name, Shift+F1 for help mode, and each control's own help text as its
// accessible description, so that a screen reader reads the same words.
TODSHelp* InstallHelp(QWidget* form);

// The form's controls that have an entry in its help list, with a text or without: on the
// forms where every control carries the "What's this?" menu, these are the controls.
QList<QWidget*> ControlsWithHelpEntries(const QWidget* form);

// The pop-up menu with the single item "What's this?", for `controls` of `form` (explorer
// buttons take it as their pop-up menu, other controls on a right click); the item shows the
// help of the control the menu was opened on. `target` follows that control for the form's
// own handler, which the item's `triggered` signal is left to the caller to connect.
QMenu* MakeWhatsThisMenu(QWidget* form, const QList<QWidget*>& controls,
                         QPointer<QWidget>& target);

}  // namespace controls
