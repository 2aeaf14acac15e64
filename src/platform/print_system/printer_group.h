// The printer group both printing dialogs open with: the printers by name with the chosen
// one selected, and its type and place.
#pragma once

class QComboBox;
class QLabel;

namespace print {

class DeviceChoices;

void ShowPrinterGroup(const DeviceChoices& choices, QComboBox* names, QLabel* type, QLabel* where);

}  // namespace print
