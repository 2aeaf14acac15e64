// The record and print commands: the task table opened as export opens it, the printed report
// laid out on a stream filer at 96 dots per inch or printed on a "Print to PDF" device.
#include "report/print_command/print_command.h"

#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QString>

#include <memory>

#include "report/draw/canvas_report.h"
#include "report/draw/painter_surface.h"
#include "report/draw/pdf_printer_target.h"
#include "report/measure/font_measure.h"
#include "report/model/byte_stream.h"
#include "report/model/report_filer.h"
#include "report/printed/printed_report.h"
#include "store/program_folder.h"

namespace report {

namespace {

// The preview lays its stream out at the screen's resolution; a command has no screen, and
// takes the resolution the program assumes without one.
constexpr int kScreenDpi = 96;

int Usage(std::ostream& err, const std::string& problem) {
    err << "quillet-report: " << problem << "\n" << kPrintedUsage << "\n";
    return 2;
}

// The hidden memo of the print-status window wraps notes in the window's font.
QFont NoteMemoFont() {
    QFont font(QStringLiteral("System"));
    font.setPixelSize(13);
    return font;
}

PrintedReportOptions OptionsOf(const PrintedCommand& command) {
    return {command.common.title, command.common.notes, command.checkbox, command.doubleSpaced};
}

// Lays the report out on `report`.
Status LayOut(const PrintedCommand& command, TBaseReport& report, store::TTable& table,
              store::TEngineComponent& engine, const std::vector<std::int32_t>* records) {
    const FontTextMeasure measure(NoteMemoFont());
    TaskWalk walk(table, engine);
    walk.SetRecords(records);
    PrintedReport printed(OptionsOf(command), WalkedTasks(walk, command.common.notes), measure,
                          kScreenDpi);
    ConfigureReportComponent(report);
    printed.Attach(report);
    const Status status = report.RunReport();
    if (printed.TasksFailed()) {
        return {xbase::ErrorCode::kReadFailed, walk.ErrorText()};
    }
    return status;
}

QSizeF PaperInches(ReportPaper paper) {
    return QPageSize(paper == ReportPaper::kA4 ? QPageSize::A4 : QPageSize::Letter)
        .size(QPageSize::Inch);
}

Status Record(const PrintedCommand& command, store::TTable& table,
              store::TEngineComponent& engine, const std::vector<std::int32_t>* records) {
    const QSizeF inches = PaperInches(command.paper);
    PainterSurface measure;  // 96 dots per inch, nothing cut off
    TReportFiler filer(measure);
    StreamDeviceSettings settings;
    settings.paperSize = command.paper == ReportPaper::kA4 ? 9 : 1;
    filer.SetDevice({inches.width(), inches.height(), 0, 0, 0, 0, kScreenDpi, kScreenDpi},
                    settings);
    MemoryStream stream;
    filer.SetStreamMode(TStreamMode::smUser);
    filer.SetStream(&stream);
    filer.SetAccuracyMethod(TAccuracyMethod::amPositioning);
    if (Status laidOut = LayOut(command, filer, table, engine, records); !laidOut) {
        return laidOut;
    }
    // Written only when whole: a stream of part of the tasks would pass for the report.
    return SaveBytes(command.common.outFile, stream.bytes());
}

Status Print(const PrintedCommand& command, store::TTable& table,
             store::TEngineComponent& engine, const std::vector<std::int32_t>* records) {
    const QString file = QString::fromStdString(command.common.outFile);
    const QSizeF inches = PaperInches(command.paper);
    PdfPrinterTarget target(file, inches.width(), inches.height());
    TReportPrinter printer(target);
    Status printed = LayOut(command, printer, table, engine, records);
    if (!printed) {
        QFile::remove(file);
    }
    return printed;
}

}  // namespace

std::optional<PrintedCommand> ParsePrintedCommand(const std::vector<std::string>& args,
                                                  std::string& error) {
    PrintedCommand command;
    command.output = args.at(0) == "print" ? PrintedOutput::kPdf : PrintedOutput::kStream;
    if (args.size() < 2 || args[1].empty() || args[1].rfind("--", 0) == 0) {
        error = args.at(0) + " needs an output file";
        return std::nullopt;
    }
    command.common.outFile = args[1];
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--checkbox") {
            command.checkbox = true;
        } else if (option == "--double") {
            command.doubleSpaced = true;
        } else if (option == "--paper") {
            if (i + 1 == args.size()) {
                error = "--paper needs a value";
                return std::nullopt;
            }
            const std::string& paper = args[++i];
            if (paper != "letter" && paper != "a4") {
                error = "the paper is letter or a4, not " + paper;
                return std::nullopt;
            }
            command.paper = paper == "a4" ? ReportPaper::kA4 : ReportPaper::kLetter;
        } else {
            switch (ReadTaskSetOption(args, i, command.common, error)) {
                case OptionRead::kTaken:
                    break;
                case OptionRead::kOther:
                    error = "unknown option " + option;
                    return std::nullopt;
                case OptionRead::kBad:
                    return std::nullopt;
            }
        }
    }
    return command;
}

std::optional<int> RunPrintedCommand(const std::vector<std::string>& args, std::ostream& err) {
    if (args.empty() || (args[0] != "record" && args[0] != "print")) {
        return std::nullopt;
    }
    std::string error;
    std::optional<PrintedCommand> command = ParsePrintedCommand(args, error);
    if (!command) {
        return Usage(err, error);
    }
    if (command->common.dir.empty()) {
        command->common.dir = store::GetProgramDir();
    }
    const auto job = [&](store::TTable& table, store::TEngineComponent& engine,
                         const std::vector<std::int32_t>* records) {
        return command->output == PrintedOutput::kPdf ? Print(*command, table, engine, records)
                                                      : Record(*command, table, engine, records);
    };
    std::string message;
    const int code = RunOnTaskSet(command->common, job, message);
    if (code != 0) {
        err << "quillet-report: " << message << "\n";
    }
    return code;
}

}  // namespace report
