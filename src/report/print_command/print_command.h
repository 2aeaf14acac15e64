// quillet-report's printed report, without a window or a display:
//   quillet-report record STREAMFILE [options]   the report laid out into a report stream
//   quillet-report print OUT.pdf [options]       the report printed on "Print to PDF"
// The task set and its options mean what they mean for export. Exit 0 when done; 1 with one
// line on the error stream when the task table or the output fails; 2 with the usage for a bad
// command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "report/export/report_command.h"

namespace report {

inline constexpr char kPrintedUsage[] =
    "usage: quillet-report record STREAMFILE [--dir DIR] [--title TEXT] [--notes] [--checkbox] "
    "[--double] [--paper letter|a4] [--order datetime|descript|priority|record] [--date N] "
    "[--priority N] [--keys TEXT] [--show-done]\n"
    "       quillet-report print OUT.pdf [the same options as record]";

enum class PrintedOutput { kStream, kPdf };
enum class ReportPaper { kLetter, kA4 };

struct PrintedCommand {
    PrintedOutput output = PrintedOutput::kStream;
    // The output file, the folder, the title, --notes and the task set, as export reads them.
    ExportCommand common;
    bool checkbox = false;
    bool doubleSpaced = false;
    ReportPaper paper = ReportPaper::kLetter;
};

// The command from the arguments after the program's name; nullopt with the reason in `error`.
std::optional<PrintedCommand> ParsePrintedCommand(const std::vector<std::string>& args,
                                                  std::string& error);

// Runs `args` when they start with "record" or "print" and answers the exit code; nothing for
// any other command. Needs a QGuiApplication (fonts and the PDF writer).
std::optional<int> RunPrintedCommand(const std::vector<std::string>& args, std::ostream& err);

}  // namespace report
