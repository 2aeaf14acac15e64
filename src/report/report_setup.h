// TReportSetup ("Print Report"): the one door to every output of the task list, with its
// report settings in QUILX.INI, and RunReportDialog, through which the main window shows it.
#pragma once

#include <QColor>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/forms.h"
#include "report/draw/device_target.h"
#include "report/export/writers.h"
#include "report/export_progress.h"
#include "report/measure/font_measure.h"

namespace Ui {
class TReportSetup;
}
namespace store {
class TTaskStore;
}
namespace print {
class TReportDevice;
}
class QMenu;

namespace report {

class TPreviewForm;
class TReportPrint;

// The colour dialog's value (blue in the high byte, red in the low one) as the HTML page's
// background, RRGGBB in upper-case hex.
std::string HtmlColorOf(unsigned colorValue);

// The colour the colour dialog starts at: a pale yellow, FFFF80 on the page.
inline constexpr unsigned kStartColorValue = 0x80FFFF;

class TReportSetup : public ui::TDialog {
    Q_OBJECT

  public:
    // Exports the store's task set under its filter and order; the settings live in the
    // store's folder. Prints on `device` (the program's shared one unless given).
    explicit TReportSetup(store::TTaskStore& store, QWidget* parent = nullptr,
                          print::TReportDevice* device = nullptr);
    ~TReportSetup() override;

    bool ToPrinter = false;
    std::string HTMLColor;
    // Full paths of the last file saved in each format (as the file system names them).
    std::string HTMLFilespec;
    std::string RTFFilespec;
    std::string TextFilespec;

    std::string IniFileName() const;
    void LoadPreferences();
    void SavePreferences();
    // Runs the printed report on the printer (ToPrinter) or into a preview.
    void DoPrint();

  public Q_SLOTS:
    void FormCreate();
    void ColorPanelClick();
    void PrintButtonClick();
    void PreviewButtonClick();
    void SetupButtonClick();
    void HTMLSaveButtonClick();
    void RTFSaveButtonClick();
    void TextSaveButtonClick();
    void OKButtonClick();
    void HelpButtonClick();
    void MouseHelpButtonClick();
    void WhatsthisClick();

  protected:
    // What the save dialog is asked for.
    struct SaveRequest {
        QString filter;         // "HTM Document (*.htm)"
        QString directory;      // the filespec's folder
        QString fileName;       // the filespec's name
        QString defaultSuffix;  // "htm", "rtf" or "txt"
    };
    // The chosen file's full name, nullopt when the user cancelled. The dialog asks before
    // overwriting a file.
    virtual std::optional<QString> RunSaveDialog(const SaveRequest& request);
    // The colour chosen, nullopt when the user cancelled.
    virtual std::optional<QColor> RunColorDialog(const QColor& start);
    // The printing device's dialogs; true when the person confirmed them.
    virtual bool RunPrintDialog();
    virtual bool RunPrinterSetupDialog();
    // Shows the print-status window, then the preview, each modally; tests answer them.
    virtual void ShowReportPrint(TReportPrint& window);
    virtual void ShowPreview(TPreviewForm& window);

    // When an export shows its progress window and lets messages through.
    ExportProgress::Pace progressPace_;

  private:
    // "There are no printers installed" when the device has none; false then.
    bool PrintersInstalled();
    void SaveAs(ExportFormat format);
    void ShowColor();

    std::unique_ptr<Ui::TReportSetup> ui_;
    store::TTaskStore& store_;
    print::TReportDevice& device_;
    DeviceTarget printer_;  // ReportPrinter1, on the device
    FontTextMeasure measure_;
    unsigned colorValue_ = kStartColorValue;
    // Set while a writer runs: the walk lets pending messages through, and a second export
    // would start inside the first.
    bool exporting_ = false;
    QMenu* whatsThisMenu_ = nullptr;
    QPointer<QWidget> whatsThisTarget_;  // the control the menu was last opened on
};

// Creates the dialog over the main form, centres it, shows it modally and frees it.
void RunReportDialog(store::TTaskStore& store);

}  // namespace report
