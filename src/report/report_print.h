// TReportPrint ("Print Status" / "Preview Status"): runs the printed report once, on the
// printer or into a report stream for the preview, shows its progress and lets the person
// cancel a print or stop a preview; it stays up with the outcome until OK is pressed.
#pragma once

#include <QElapsedTimer>

#include <memory>
#include <string>

#include "platform/ui/forms.h"
#include "report/draw/canvas_report.h"
#include "report/draw/painter_surface.h"
#include "report/measure/font_measure.h"
#include "report/model/report_filer.h"
#include "report/printed/printed_report.h"

namespace Ui {
class TReportPrint;
}
namespace store {
class TTable;
class TEngineComponent;
}  // namespace store

namespace report {

// A run goes through these states; the button's caption follows them:
//
//   ready --first activation (Run)--> running --RunReport returns--> ended --OK (Cancel-
//   Button)--> closed
//
// While running, the button cancels a print (after "Cancel Printing?") or stops a preview,
// and the window cannot be closed.
class TReportPrint : public ui::TDialog {
    Q_OBJECT

  public:
    // Prints on `printer`, or records for a preview laid out as it would print there.
    TReportPrint(PrintTarget& printer, store::TTable& table, store::TEngineComponent& engine,
                 QWidget* parent = nullptr);
    ~TReportPrint() override;

    // Handed over by the report dialog before the window is shown.
    PrintedReportOptions Options;
    // Chooses the report and its captions: the printer, or the filer recording into `stream`
    // (which must outlive the run).
    void PrepareForPrinter();
    void PrepareForPreview(ByteStream& stream);

    bool ToPrinter() const { return toPrinter_; }
    bool Running() const { return running_; }
    bool Ended() const { return ended_; }
    bool Stopped() const { return stopped_; }
    // Whether the active report was aborted (a print cancelled), or failed outright (it could
    // not start, or the device gave up).
    bool Aborted() const;
    bool Failed() const { return failed_; }
    TReportPrinter& TestReportPrinter() { return printer_; }
    TReportFiler& TestReportFiler() { return filer_; }

    // How often a run lets the window process its messages, at most: often enough that the
    // status counts the pages and Stop acts at once, seldom enough to cost the run nothing.
    void SetMessagesEvery(int milliseconds) { messagesEvery_ = milliseconds; }

  public Q_SLOTS:
    void FormShow();
    void FormActivate();
    void FormCloseQuery(bool& canClose);
    void CancelButtonClick();

  private:
    TBaseReport& ActiveReport();
    void Run();
    void ShowStatus(const std::string& status);
    // Lets pending messages through when the last time lies far enough back.
    void Pace();

    std::unique_ptr<Ui::TReportPrint> ui_;
    PrintTarget& device_;
    store::TTable& table_;
    store::TEngineComponent& engine_;
    TReportPrinter printer_;
    PainterSurface filerMeasure_;  // the device the preview is measured on
    TReportFiler filer_;
    FontTextMeasure memoMeasure_;    // TempMemo's font, which wraps the notes
    PrintedReport* body_ = nullptr;  // during the run
    QElapsedTimer paceClock_;
    int messagesEvery_ = 25;
    bool toPrinter_ = true;
    bool firstActivation_ = true;
    bool running_ = false;
    bool ended_ = false;
    bool stopped_ = false;
    bool failed_ = false;
};

}  // namespace report
