// The print dialog: the printer group, copies and collation, and the file of a printer that
// writes one.
#include "platform/print_system/print_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSignalBlocker>

#include "platform/print_system/pdf_file.h"
#include "platform/print_system/printer_group.h"
#include "platform/ui/application.h"
#include "ui_print_dialog.h"

namespace print {

TPrintDialog::TPrintDialog(TReportDevice& device, std::string iniFile, QWidget* parent)
    : ui::TDialog(parent),
      ui_(std::make_unique<Ui::TPrintDialog>()),
      choices_(device),
      iniFile_(std::move(iniFile)) {
    ui_->setupUi(this);
    setFixedSize(size());
    SetDefaultButton(ui_->OkButton);
    SetCancelButton(ui_->CancelButton);
    ShowChoices();
}

TPrintDialog::~TPrintDialog() = default;

void TPrintDialog::ShowChoices() {
    ShowPrinterGroup(choices_, ui_->PrinterCombo, ui_->TypeLabel, ui_->WhereLabel);
    const QSignalBlocker quietCopies(ui_->CopiesEdit);
    const QSignalBlocker quietCollate(ui_->CollateCheck);
    ui_->CopiesEdit->setValue(choices_.Settings().copies);
    ui_->CollateCheck->setChecked(choices_.Settings().collate);
    ui_->CopiesGroup->setEnabled(choices_.CopiesApply());
}

void TPrintDialog::PrinterComboChange(int index) {
    choices_.ChoosePrinter(index);
    ShowChoices();
}

void TPrintDialog::CopiesEditChange(int copies) {
    choices_.SetCopies(copies);
}

void TPrintDialog::CollateCheckClick(bool on) {
    choices_.SetCollate(on);
}

void TPrintDialog::OkButtonClick() {
    if (choices_.PrinterItem().writesFile) {
        const std::optional<QString> file = RunSaveDialog(OfferedPdfFile(iniFile_));
        if (!file) {
            return;  // back in the dialog, where another printer may be chosen
        }
        choices_.SetOutputFile(*file);
        RememberPdfFile(iniFile_, *file);
    }
    choices_.Apply();
    SetModalResult(ui::kModalOk);
}

void TPrintDialog::CancelButtonClick() {
    SetModalResult(ui::kModalCancel);
}

std::optional<QString> TPrintDialog::RunSaveDialog(const QString& offered) {
    const QFileInfo start(offered);
    QFileDialog dialog(this, QString(), start.absolutePath(),
                       QStringLiteral("PDF Document (*.pdf)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(start.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

bool RunPrintDialog(TReportDevice& device, const std::string& iniFile) {
    ui::FormPtr<TPrintDialog> dialog =
        ui::CreateForm<TPrintDialog>(device, iniFile, ui::MainForm());
    ui::CentreForm(dialog.get());
    return dialog->ShowModal() == ui::kModalOk;
}

}  // namespace print
