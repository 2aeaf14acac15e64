// Entry of quillet-report: the command-line export, the stream player and the printed report,
// on Qt's offscreen platform so that they measure text in the program's fonts without a display.
#include <QGuiApplication>

#include <iostream>
#include <string>
#include <vector>

#include "platform/fonts/fonts.h"
#include "report/draw/stream_commands.h"
#include "report/export/report_command.h"
#include "report/measure/font_measure.h"
#include "report/print_command/print_command.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt reads no option of ours: it sees the program's name alone.
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("quillet-report"), nullptr};
    // Qt's own notices (a missing runtime folder, fonts) are not the tool's to report: its
    // output is the file, its exit code and its one-line message.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QGuiApplication application(qtArgc, qtArgv);
    ui::installFontMapping();
    if (const auto code = report::RunStreamCommand(args, std::cout, std::cerr)) {
        return *code;
    }
    if (const auto code = report::RunPrintedCommand(args, std::cerr)) {
        return *code;
    }
    const report::FontTextMeasure measure(ui::dialogFont());
    return report::ReportMain(args, measure, std::cerr);
}
