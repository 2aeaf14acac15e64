// The printer-setup dialog: the printer group, the paper and the orientation.
#include "platform/print_system/printer_setup_dialog.h"

#include <QSignalBlocker>

#include "platform/print_system/printer_group.h"
#include "platform/ui/application.h"
#include "ui_printer_setup_dialog.h"

namespace print {

TPrinterSetupDialog::TPrinterSetupDialog(TReportDevice& device, QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TPrinterSetupDialog>()), choices_(device) {
    ui_->setupUi(this);
    setFixedSize(size());
    SetDefaultButton(ui_->OkButton);
    SetCancelButton(ui_->CancelButton);
    ShowChoices();
}

TPrinterSetupDialog::~TPrinterSetupDialog() = default;

void TPrinterSetupDialog::ShowChoices() {
    ShowPrinterGroup(choices_, ui_->PrinterCombo, ui_->TypeLabel, ui_->WhereLabel);
    const QSignalBlocker quiet(ui_->PaperCombo);
    ui_->PaperCombo->clear();
    ui_->PaperCombo->addItems(choices_.PaperNames());
    ui_->PaperCombo->setCurrentIndex(choices_.Paper());
    const bool landscape = choices_.Settings().orientation == Orientation::Landscape;
    ui_->LandscapeRadio->setChecked(landscape);
    ui_->PortraitRadio->setChecked(!landscape);
}

void TPrinterSetupDialog::PrinterComboChange(int index) {
    choices_.ChoosePrinter(index);
    ShowChoices();
}

void TPrinterSetupDialog::PaperComboChange(int index) {
    choices_.ChoosePaper(index);
}

void TPrinterSetupDialog::PortraitRadioClick() {
    choices_.SetOrientation(Orientation::Portrait);
}

void TPrinterSetupDialog::LandscapeRadioClick() {
    choices_.SetOrientation(Orientation::Landscape);
}

void TPrinterSetupDialog::OkButtonClick() {
    choices_.Apply();
    SetModalResult(ui::kModalOk);
}

void TPrinterSetupDialog::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

bool RunPrinterSetupDialog(TReportDevice& device) {
    ui::FormPtr<TPrinterSetupDialog> dialog =
        ui::CreateForm<TPrinterSetupDialog>(device, ui::MainForm());
    ui::CentreForm(dialog.get());
    return dialog->ShowModal() == ui::kModalOk;
}

}  // namespace print
