// The report dialog: its settings, the colour of the HTML page, and Save As on each export page.
#include "report/report_setup.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>

#include <cstdio>
#include <functional>

#include "app/message_boxes.h"
#include "controls/graphic_panel.h"
#include "controls/whats_this.h"
#include "platform/fonts/fonts.h"
#include "platform/ini/profile.h"
#include "platform/print/report_device.h"
#include "platform/print_system/print_dialog.h"
#include "platform/print_system/printer_setup_dialog.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/message_box.h"
#include "report/export/writers.h"
#include "report/export_progress.h"
#include "report/model/byte_stream.h"
#include "report/preview_form.h"
#include "report/report_print.h"
#include "rtl/ansi.h"
#include "store/program_folder.h"
#include "store/task_file.h"
#include "ui_report_setup.h"

namespace report {

namespace {

constexpr int kHelpContext = 1007;
constexpr char kSection[] = "Report";
constexpr char kDefaultTitle[] = "Quillet";

// A filespec's folder (up to and including its last separator) and its name.
std::pair<std::string, std::string> SplitFilespec(const std::string& filespec) {
    const std::size_t slash = filespec.rfind('/');
    if (slash == std::string::npos) {
        return {{}, filespec};
    }
    return {filespec.substr(0, slash + 1), filespec.substr(slash + 1)};
}

}  // namespace

std::string HtmlColorOf(unsigned colorValue) {
    char bgr[16];
    std::snprintf(bgr, sizeof bgr, "%06X", colorValue & 0xFFFFFF);
    return std::string(bgr + 4, 2) + std::string(bgr + 2, 2) + std::string(bgr, 2);
}

TReportSetup::TReportSetup(store::TTaskStore& store, QWidget* parent, print::TReportDevice* device)
    : ui::TDialog(parent),
      ui_(std::make_unique<Ui::TReportSetup>()),
      store_(store),
      device_(device != nullptr ? *device : print::TReportDevice::Instance()),
      printer_(device_),
      measure_(ui::dialogFont()) {
    ui_->setupUi(this);
    setFixedSize(607, 421);
    ui_->ColorPanel->setBorderStyle(controls::TBorderStyle::bsSingle);
    ui_->ColorPanel->setBevelOuter(controls::TPanelBevel::bvNone);

    // Every control offers "What's this?" on its pop-up menu.
    controls::InstallHelp(this);
    whatsThisMenu_ = controls::MakeWhatsThisMenu(this, controls::ControlsWithHelpEntries(this),
                                                 whatsThisTarget_);
    connect(whatsThisMenu_, &QMenu::triggered, this, &TReportSetup::WhatsthisClick);
}

TReportSetup::~TReportSetup() = default;

std::string TReportSetup::IniFileName() const {
    return store_.FoundPath("QUILX.INI");
}

void TReportSetup::LoadPreferences() {
    const std::string file = IniFileName();
    auto title = [&](const char* key) {
        return ui::FromAnsi(ini::ReadString(file, kSection, key, kDefaultTitle));
    };
    ui_->ReportTitleField->setText(title("ReportTitle"));
    ui_->HTMLPageTitle->setText(title("HTMLTitle"));
    ui_->RTFPageTitle->setText(title("RTFTitle"));
    ui_->TextPageTitle->setText(title("TextTitle"));
    HTMLFilespec = ini::ReadString(file, kSection, "HTMLFilespec", store_.PathOf("Todo.htm"));
    RTFFilespec = ini::ReadString(file, kSection, "RTFFilespec", store_.PathOf("Todo.rtf"));
    TextFilespec = ini::ReadString(file, kSection, "TextFilespec", store_.PathOf("Todo.txt"));
}

void TReportSetup::SavePreferences() {
    const std::string file = IniFileName();
    ini::WriteString(file, kSection, "ReportTitle", ui::ToAnsi(ui_->ReportTitleField->text()));
    ini::WriteString(file, kSection, "HTMLTitle", ui::ToAnsi(ui_->HTMLPageTitle->text()));
    ini::WriteString(file, kSection, "RTFTitle", ui::ToAnsi(ui_->RTFPageTitle->text()));
    ini::WriteString(file, kSection, "TextTitle", ui::ToAnsi(ui_->TextPageTitle->text()));
    ini::WriteString(file, kSection, "HTMLFilespec", HTMLFilespec);
    ini::WriteString(file, kSection, "RTFFilespec", RTFFilespec);
    ini::WriteString(file, kSection, "TextFilespec", TextFilespec);
}

void TReportSetup::FormCreate() {
    LoadPreferences();
    colorValue_ = kStartColorValue;
    ShowColor();
    ui_->Notebook1->setCurrentIndex(0);
}

void TReportSetup::ShowColor() {
    HTMLColor = HtmlColorOf(colorValue_);
    ui_->ColorPanel->setColor(QColor(static_cast<int>(colorValue_ & 0xFF),
                                     static_cast<int>((colorValue_ >> 8) & 0xFF),
                                     static_cast<int>((colorValue_ >> 16) & 0xFF)));
}

void TReportSetup::ColorPanelClick() {
    const QColor start = ui_->ColorPanel->color();
    if (const std::optional<QColor> chosen = RunColorDialog(start)) {
        colorValue_ = static_cast<unsigned>(chosen->red()) |
                      (static_cast<unsigned>(chosen->green()) << 8) |
                      (static_cast<unsigned>(chosen->blue()) << 16);
    }
    ShowColor();
}

std::optional<QColor> TReportSetup::RunColorDialog(const QColor& start) {
    QColorDialog dialog(start, this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedColor();
}

std::optional<QString> TReportSetup::RunSaveDialog(const SaveRequest& request) {
    QFileDialog dialog(this, QString(), request.directory, request.filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

bool TReportSetup::PrintersInstalled() {
    if (device_.HasPrinters()) {
        return true;
    }
    ShowInformation("There are no printers installed");
    return false;
}

void TReportSetup::PrintButtonClick() {
    if (!PrintersInstalled()) {
        return;
    }
    ToPrinter = true;
    if (RunPrintDialog()) {
        DoPrint();
    }
}

void TReportSetup::PreviewButtonClick() {
    if (!PrintersInstalled()) {
        return;
    }
    ToPrinter = false;
    DoPrint();
}

void TReportSetup::SetupButtonClick() {
    if (PrintersInstalled()) {
        RunPrinterSetupDialog();
    }
}

bool TReportSetup::RunPrintDialog() {
    return print::RunPrintDialog(device_, IniFileName());
}

bool TReportSetup::RunPrinterSetupDialog() {
    return print::RunPrinterSetupDialog(device_);
}

void TReportSetup::ShowReportPrint(TReportPrint& window) {
    window.ShowModal();
}

void TReportSetup::ShowPreview(TPreviewForm& window) {
    window.ShowModal();
}

// The printed report, in the order the controls and the record need: nothing bound to the
// task table follows the run, and the person finds the task they stood on afterwards.
void TReportSetup::DoPrint() {
    store::TTable& table = store_.TodoTable;
    table.DisableControls();
    // The walk starts at the first task by itself and reads the records without moving the
    // set; the engine's record is remembered all the same, as a failed run may leave it.
    const int record = store_.TodoEngine.RecordNumber();

    ui::FormPtr<TReportPrint> status =
        ui::CreateForm<TReportPrint>(printer_, table, store_.TodoEngine, ui::MainForm());
    ui::CentreForm(status.get());
    status->Options = {ui::ToAnsi(ui_->ReportTitleField->text()), ui_->PrintMemoBox->isChecked(),
                       ui_->PrintCheckBox->isChecked(), ui_->DoubleSpace->isChecked()};
    // The report printer's orientation stays "default": the one chosen in Printer Setup holds.
    std::unique_ptr<MemoryStream> stream;
    if (ToPrinter) {
        status->PrepareForPrinter();
    } else {
        stream = std::make_unique<MemoryStream>();
        status->PrepareForPreview(*stream);
    }
    ShowReportPrint(*status);
    // A run that failed outright has said why; a preview of it would only say it again.
    const bool previewable = !status->Aborted() && !status->Failed();
    status.reset();

    if (!ToPrinter && previewable) {
        ui::FormPtr<TPreviewForm> preview = ui::CreateForm<TPreviewForm>(
            store_.FoundPath("TODO.INI"),
            QString::fromStdString(store::HelpFileFor(store_.ProgramDir())), ui::MainForm());
        preview->StartingZoom = kStartPageWidth;
        preview->setWindowTitle(QStringLiteral("Preview Report"));
        preview->SetStream(*stream);
        ShowPreview(*preview);
    }

    stream.reset();
    if (record > 0) {
        store_.TodoEngine.GoToRecord(record);  // a record gone meanwhile is no reason to fail
    }
    table.EnableControls();
}

void TReportSetup::HTMLSaveButtonClick() {
    SaveAs(ExportFormat::kHtml);
}

void TReportSetup::RTFSaveButtonClick() {
    SaveAs(ExportFormat::kRtf);
}

void TReportSetup::TextSaveButtonClick() {
    SaveAs(ExportFormat::kText);
}

// Save As on an export page: the save dialog from the page's filespec, the writer with the
// page's title and notes choice, then "Saved as" and the settings, only when the file is whole.
// A cancelled export says nothing: the person asked for it, and no file was written.
void TReportSetup::SaveAs(ExportFormat kind) {
    if (exporting_) {
        return;
    }
    struct Page {
        const char* filter;
        const char* suffix;
        std::string* filespec;
        const QLineEdit* title;
        const QCheckBox* notes;
    };
    const Page page =
        kind == ExportFormat::kHtml ? Page{"HTM Document (*.htm)", "htm", &HTMLFilespec,
                                           ui_->HTMLPageTitle, ui_->HTMLDoNotes}
        : kind == ExportFormat::kRtf
            ? Page{"RTF Document (*.rtf)", "rtf", &RTFFilespec, ui_->RTFPageTitle, ui_->RTFDoNotes}
            : Page{"Text File (*.txt)", "txt", &TextFilespec, ui_->TextPageTitle, ui_->TextDoNotes};
    const auto [folder, name] = SplitFilespec(*page.filespec);
    const std::optional<QString> chosen =
        RunSaveDialog({QString::fromLatin1(page.filter), QFile::decodeName(folder.c_str()),
                       QFile::decodeName(name.c_str()), QString::fromLatin1(page.suffix)});
    if (!chosen) {
        return;
    }
    const std::string fileName = QFile::encodeName(*chosen).toStdString();
    xbase::Status result;
    {
        ExportProgress progress(this, progressPace_);
        const ExportJob job{store_.TodoTable, store_.TodoEngine, measure_,
                            std::bind_front(&ExportProgress::Step, &progress)};
        exporting_ = true;
        result = CopyTasks(kind, job, fileName, ui::ToAnsi(page.title->text()),
                           page.notes->isChecked(), HTMLColor);
        exporting_ = false;
    }
    if (result.code() == xbase::ErrorCode::kCancelled) {
        return;
    }
    if (!result.ok()) {
        ui::MessageBox(QString::fromLocal8Bit(result.message().c_str()), ui::ApplicationTitle(),
                       ui::kMbOk | ui::kMbIconHand);
        return;
    }
    ShowInformation("Saved as " + ui::ToAnsi(*chosen));
    *page.filespec = fileName;
    SavePreferences();
}

void TReportSetup::OKButtonClick() {
    SetModalResult(ui::kModalOk);
}

void TReportSetup::HelpButtonClick() {
    ui::ShowHelp(QString::fromStdString(store::HelpFileFor(store_.ProgramDir())), kHelpContext);
}

void TReportSetup::MouseHelpButtonClick() {
    controls::EnterHelpMode(this);
}

void TReportSetup::WhatsthisClick() {
    controls::ShowHelpFor(this, whatsThisTarget_);
}

void RunReportDialog(store::TTaskStore& store) {
    ui::FormPtr<TReportSetup> dialog = ui::CreateForm<TReportSetup>(store, ui::MainForm());
    ui::CentreForm(dialog.get());
    dialog->ShowModal();
}

}  // namespace report
