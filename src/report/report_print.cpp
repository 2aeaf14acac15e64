// The print-status window: the run at its first activation, its progress, Cancel and Stop.
#include "report/report_print.h"

#include <QTimer>

#include "app/message_boxes.h"
#include "platform/fonts/fonts.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "report/draw/filer_device.h"
#include "report/export/task_walk.h"
#include "report/print_status.h"
#include "ui_report_print.h"

namespace report {

namespace {

// The hidden memo wraps notes in screen pixels.
constexpr int kScreenDpi = 96;

// The hidden memo's font: "System", 13 pixels high.
QFont MemoFont() {
    QFont font(ui::mapFontFamily(QStringLiteral("System")));
    font.setPixelSize(13);
    return font;
}

QString LabelText(const std::string& status) {
    // The report's status breaks its lines with "\r"; a label breaks them with "\n".
    QString text = ui::FromAnsi(status);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

TReportPrint::TReportPrint(PrintTarget& printer, store::TTable& table,
                           store::TEngineComponent& engine, QWidget* parent)
    : ui::TDialog(parent),
      ui_(std::make_unique<Ui::TReportPrint>()),
      device_(printer),
      table_(table),
      engine_(engine),
      printer_(printer),
      filer_(filerMeasure_),
      memoMeasure_(MemoFont()) {
    ui_->setupUi(this);
    setFont(MemoFont());
    SetCancelButton(ui_->CancelButton);
    for (TBaseReport* report :
         {static_cast<TBaseReport*>(&printer_), static_cast<TBaseReport*>(&filer_)}) {
        ConfigureReportComponent(*report);
        report->OnStatus = [this](const std::string& status) { ShowStatus(status); };
    }
    filer_.SetStreamMode(TStreamMode::smUser);
    filer_.SetAccuracyMethod(TAccuracyMethod::amPositioning);
}

TReportPrint::~TReportPrint() = default;

void TReportPrint::PrepareForPrinter() {
    toPrinter_ = true;
    setWindowTitle(QStringLiteral("Print Status"));
    ui_->CancelButton->setText(QString::fromStdString(RunningButtonCaption(true)));
}

void TReportPrint::PrepareForPreview(ByteStream& stream) {
    toPrinter_ = false;
    setWindowTitle(QStringLiteral("Preview Status"));
    ui_->CancelButton->setText(QString::fromStdString(RunningButtonCaption(false)));
    filer_.SetStream(&stream);
    // Laid out as it will print: on the chosen printer's paper, measured at its resolution.
    PrepareFiler(filer_, filerMeasure_, &device_);
}

bool TReportPrint::Aborted() const {
    return toPrinter_ ? printer_.Aborted() : filer_.Aborted();
}

TBaseReport& TReportPrint::ActiveReport() {
    return toPrinter_ ? static_cast<TBaseReport&>(printer_) : static_cast<TBaseReport&>(filer_);
}

void TReportPrint::FormShow() {
    // As the main window's: the run starts once the window is up, even where no window
    // manager ever activates it.
    if (firstActivation_) {
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
}

void TReportPrint::FormActivate() {
    if (!firstActivation_) {
        return;
    }
    firstActivation_ = false;
    Run();
}

void TReportPrint::Run() {
    running_ = true;
    paceClock_.start();
    TaskWalk walk(table_, engine_, [this](int, int) {
        Pace();
        return true;
    });
    PrintedReport body(Options, WalkedTasks(walk, Options.notes), memoMeasure_, kScreenDpi);
    TBaseReport& report = ActiveReport();
    body.Attach(report);
    body_ = &body;
    const xbase::Status result = report.RunReport();
    failed_ = !result;
    body_ = nullptr;
    running_ = false;
    ended_ = true;
    stopped_ = body.Stopped();
    ui_->CancelButton->setText(QString::fromLatin1(kEndedButtonCaption));
    report.SetStatusFormat(FinalStatusFormat(toPrinter_, report.Aborted(), stopped_));
    report.RefreshStatus();
    if (!result) {
        ui::MessageBox(QString::fromLocal8Bit(result.message().c_str()), ui::ApplicationTitle(),
                       ui::kMbOk | ui::kMbIconHand);
    } else if (body.TasksFailed()) {
        ui::MessageBox(QString::fromLocal8Bit(walk.ErrorText().c_str()), ui::ApplicationTitle(),
                       ui::kMbOk | ui::kMbIconHand);
    }
}

void TReportPrint::ShowStatus(const std::string& status) {
    ui_->Label1->setText(LabelText(status));
    if (running_) {
        Pace();
    }
}

void TReportPrint::Pace() {
    if (paceClock_.elapsed() < messagesEvery_) {
        return;
    }
    ui::ProcessMessages();
    paceClock_.restart();
}

void TReportPrint::CancelButtonClick() {
    if (ended_) {
        SetModalResult(ui::kModalOk);
        return;
    }
    if (!running_) {
        return;
    }
    if (!toPrinter_) {
        body_->Stop();
        return;
    }
    if (ConfirmYesNo(kCancelPrinting) && running_) {
        printer_.AbortReport();
    }
}

void TReportPrint::FormCloseQuery(bool& canClose) {
    // The run is on the stack below this window's messages: it ends before the window does.
    canClose = !running_;
}

}  // namespace report
