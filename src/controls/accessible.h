// What assistive tools are told about the custom controls: the role, name, state, value and
// actions of the explorer button, graphic panel, gauge, splitter and calendar.
#pragma once

#include <QAccessible>

class QAbstractItemView;
class QWidget;

namespace controls {

// Registers the controls' accessible interfaces with Qt. Every custom control's constructor
// calls it, so a window holding one is readable by a screen reader without further set-up;
// calls after the first do nothing.
void InstallAccessibleFactory();

// Tells a listening screen reader that `type` (a name, value, state or focus change) happened
// to `widget`; nothing happens while none listens.
void Announce(QWidget* widget, QAccessible::Event type);

// Qt announces a view that takes the focus as the view alone; a reader then names the table
// but not the cell the person stands on. With this the current cell is announced after it.
void AnnounceCurrentCellOnFocus(QAbstractItemView* view);

}  // namespace controls
