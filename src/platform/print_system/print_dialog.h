// TPrintDialog ("Print"): the printer, the number of copies and collation for one run. A
// printer that writes a file asks for the file when the dialog is confirmed.
#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>

#include "platform/print_system/device_choices.h"
#include "platform/ui/forms.h"

namespace Ui {
class TPrintDialog;
}

namespace print {

class TPrintDialog : public ui::TDialog {
    Q_OBJECT

  public:
    // `iniFile` holds the report settings, where the PDF file chosen last is kept.
    TPrintDialog(TReportDevice& device, std::string iniFile, QWidget* parent = nullptr);
    ~TPrintDialog() override;

    const DeviceChoices& Choices() const { return choices_; }

  public Q_SLOTS:
    void PrinterComboChange(int index);
    void CopiesEditChange(int copies);
    void CollateCheckClick(bool on);
    void OkButtonClick();
    void CancelButtonClick();

  protected:
    // The PDF file to write, starting at `offered`; nullopt when the person cancelled. The
    // save dialog asks before overwriting a file.
    virtual std::optional<QString> RunSaveDialog(const QString& offered);

  private:
    void ShowChoices();

    std::unique_ptr<Ui::TPrintDialog> ui_;
    DeviceChoices choices_;
    std::string iniFile_;
};

// Shows the print dialog over the main form. True when the person chose to print; the device
// then holds the printer and its settings for this and later runs.
bool RunPrintDialog(TReportDevice& device, const std::string& iniFile);

}  // namespace print
