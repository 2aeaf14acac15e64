// What the three dialogs share: the look of their bottom-strip buttons, the "What's this?"
// context menu, and opening the help file at a context.
#pragma once

#include <QList>
#include <QPointer>

class QMenu;
class QWidget;

namespace controls {
class TExplorerButton;
}

namespace dialogs {

// Command buttons with their glyph to the left of the caption, drawn in colour at rest.
void UseGlyphLeft(const QList<controls::TExplorerButton*>& buttons);
// Glyph-only buttons, in colour at rest; the hidden caption becomes the hint.
void UseGlyphOnly(const QList<controls::TExplorerButton*>& buttons);

// The context menu with the single item "What's this?", carried by `widgets`; `target` is set
// to the widget the menu was last opened on. The item's action is connected by the caller.
QMenu* MakeWhatsThisMenu(QWidget* owner, const QList<QWidget*>& widgets,
                         QPointer<QWidget>& target);

// Opens the program's help file at `context`.
void ShowHelpContext(int context);

}  // namespace dialogs
