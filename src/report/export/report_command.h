// The command-line export: `quillet-report export html|rtf|text|ics|csv OUTFILE [options]`
// runs the export writers on the task table of a folder, without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "report/export/text_measure.h"
#include "report/export/writers.h"
#include "store/filter_expression.h"
#include "store/task_record.h"

namespace report {

inline constexpr char kReportUsage[] =
    "usage: quillet-report export html|rtf|text|ics|csv OUTFILE [--dir DIR] [--title TEXT] [--notes] "
    "[--color RRGGBB] [--order datetime|descript|priority|record] [--date N] [--priority N] "
    "[--keys TEXT] [--show-done]";

struct ExportCommand {
    ExportFormat format = ExportFormat::kHtml;
    std::string outFile;
    std::string dir;                // empty: the program's folder
    std::string title = "Quillet";  // Windows-1252
    bool notes = false;
    std::string color = "FFFF80";
    std::string orderTag = store::kDateTimeTag;  // empty: record order
    store::TaskFilter filter;
};

// The command from the arguments after the program's name (texts as the locale gives them,
// UTF-8); nullopt with the reason in `error` for a bad command line.
std::optional<ExportCommand> ParseReportCommand(const std::vector<std::string>& args,
                                                std::string& error);

// Reads the option at args[i] when it is one the export shares with the printed report (the
// folder, the title, --notes and the task set's filter and order), moving `i` past its value.
enum class OptionRead { kTaken, kOther, kBad };
OptionRead ReadTaskSetOption(const std::vector<std::string>& args, std::size_t& i,
                             ExportCommand& command, std::string& error);

// What a command makes of the open task set, given the records to visit in order (null: the
// table's order).
using TaskSetJob = std::function<xbase::Status(
    store::TTable& table, store::TEngineComponent& engine, const std::vector<std::int32_t>* records)>;

// Opens the task table of `command.dir` for shared reading (a missing table is an error,
// nothing is created, upgraded or indexed), puts the filter and order in force and runs `job`
// under the program's own date notation. 0, or 1 with a one-line `message`.
int RunOnTaskSet(const ExportCommand& command, const TaskSetJob& job, std::string& message);

// Opens the task table of `command.dir` for shared reading (a missing table is an error,
// nothing is created, upgraded or indexed), puts the filter and order in force and writes the
// file. 0, or 1 with a one-line `message`.
int RunExportCommand(const ExportCommand& command, const TextMeasure& measure,
                     std::string& message);

// The whole command: 0 done, 1 task table or output failed, 2 bad command line; the messages
// go to `err`.
int ReportMain(const std::vector<std::string>& args, const TextMeasure& measure, std::ostream& err);

}  // namespace report
