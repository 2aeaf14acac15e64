// TPrinterSetupDialog ("Print Setup"): the printer, its paper and orientation, kept by the
// device for the following runs.
#pragma once

#include <memory>

#include "platform/print_system/device_choices.h"
#include "platform/ui/forms.h"

namespace Ui {
class TPrinterSetupDialog;
}

namespace print {

class TPrinterSetupDialog : public ui::TDialog {
    Q_OBJECT

  public:
    explicit TPrinterSetupDialog(TReportDevice& device, QWidget* parent = nullptr);
    ~TPrinterSetupDialog() override;

    const DeviceChoices& Choices() const { return choices_; }

  public Q_SLOTS:
    void PrinterComboChange(int index);
    void PaperComboChange(int index);
    void PortraitRadioClick();
    void LandscapeRadioClick();
    void OkButtonClick();
    void CancelButtonClick();

  private:
    void ShowChoices();

    std::unique_ptr<Ui::TPrinterSetupDialog> ui_;
    DeviceChoices choices_;
};

// Shows the printer-setup dialog over the main form; true when the person confirmed it.
bool RunPrinterSetupDialog(TReportDevice& device);

}  // namespace print
