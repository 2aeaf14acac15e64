// The printer group of the printing dialogs.
#include "platform/print_system/printer_group.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

#include "platform/print_system/device_choices.h"

namespace print {

void ShowPrinterGroup(const DeviceChoices& choices, QComboBox* names, QLabel* type, QLabel* where) {
    const QSignalBlocker quiet(names);
    if (names->count() != static_cast<int>(choices.Printers().size())) {
        names->clear();
        names->addItems(choices.PrinterNames());
    }
    names->setCurrentIndex(choices.Printer());
    type->setText(choices.PrinterItem().driver);
    where->setText(choices.PrinterItem().port);
}

}  // namespace print
