// Where a form stands between runs: its placement section in the settings file, the rule that
// keeps a stored rectangle on the screen, and restoring and saving a form's placement.
#pragma once

#include <QRect>
#include <QSize>

#include <cstdint>
#include <string>
#include <string_view>

class QWidget;

// "<class name>_Placement" (the name without its namespace), followed by the screen density
// when it is above 96 dots per inch.
std::string PlacementSection(std::string_view className, int dotsPerInch);

// A placement as it is stored: the edges of the window's frame, right and bottom just past it
// (left + width). Wide enough that the width of any stored values is exact.
struct StoredEdges {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;
};

// The stored rectangle put whole on a screen of this size, so that a window saved off the
// screen, or with edges no screen has, can always be reached: a width or height that is not
// positive takes the designed one, one larger than the screen is cut to it, and the rectangle
// is moved in from whichever side it overhangs.
QRect KeptOnScreen(const StoredEdges& stored, QSize screen, QSize designed);

// Reads and applies the form's placement from `iniFile` (centred by CentreForm when nothing is
// stored, maximised when stored so). `designedMaximized` is the default of "Maximized".
void ApplyFormPlacement(QWidget* form, const std::string& iniFile, bool designedMaximized = false);

// ApplyFormPlacement, then the placement written back at once.
void RestoreFormPlacement(QWidget* form, const std::string& iniFile,
                          bool designedMaximized = false);

// Writes the form's normal rectangle and whether it is maximised. False when the settings
// file could not be written; nothing else is affected.
bool SaveFormPlacement(QWidget* form, const std::string& iniFile);
