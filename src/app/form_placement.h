// Where a form stands between runs: its placement section in the settings file, the rule that
// keeps a stored rectangle on the screen, and restoring and saving a form's placement.
#pragma once

#include <QRect>
#include <QSize>

#include <string>
#include <string_view>

class QWidget;

// "<class name>_Placement", followed by the screen density when it is above 96 dots per inch.
std::string PlacementSection(std::string_view className, int dotsPerInch);

// A stored rectangle moved left and up so that its right and bottom edges lie on a screen of
// this size; its size is kept and negative positions are left alone. Right and bottom are the
// edges just past the rectangle (left + width), as they are stored.
QRect KeptOnScreen(const QRect& stored, QSize screen);

// Reads and applies the form's placement from `iniFile` (centred by CentreForm when nothing is
// stored, maximised when stored so), then writes it back at once. `designedMaximized` is the
// default of "Maximized".
void RestoreFormPlacement(QWidget* form, const std::string& iniFile,
                          bool designedMaximized = false);

// Writes the form's normal rectangle and whether it is maximised. False when the settings
// file could not be written; nothing else is affected.
bool SaveFormPlacement(QWidget* form, const std::string& iniFile);
