// What the three dialogs share: the look of their bottom-strip buttons, opening the help file
// at a context, and the clock.
#pragma once

#include <QList>

#include <functional>

#include "rtl/date_time.h"

class QWidget;

namespace controls {
class TExplorerButton;
}

namespace dialogs {

// Command buttons with their glyph to the left of the caption, drawn in colour at rest.
void UseGlyphLeft(const QList<controls::TExplorerButton*>& buttons);
// Glyph-only buttons, in colour at rest; the hidden caption becomes the hint.
void UseGlyphOnly(const QList<controls::TExplorerButton*>& buttons);

// Opens the program's help file at `context`.
void ShowHelpContext(int context);
// F1 anywhere in `dialog` does what its Help button does, rather than reaching the window
// behind it.
void HelpOnF1(QWidget* dialog, controls::TExplorerButton* helpButton);

// The clock the dialogs read: the local clock, unless tests set one of their own (an empty
// function goes back to the local clock). Today() is Now() without its time of day.
rtl::TDateTime Now();
rtl::TDateTime Today();
rtl::TDateTime TimeOfDay();
void SetClockForTests(std::function<rtl::TDateTime()> clock);

}  // namespace dialogs
