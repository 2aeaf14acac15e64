// Reading the command line of the export, and the export on a task table opened for it alone
// (the iCalendar export with the UIDs of the companion table beside it).
#include "report/export/report_command.h"

#include <filesystem>

#include "report/export/writers.h"
#include "rtl/ansi.h"
#include "rtl/date_time.h"
#include "rtl/format_sets.h"
#include "rtl/format_settings.h"
#include "store/program_folder.h"
#include "store/task_file.h"
#include "store/task_uids.h"

namespace report {

namespace {

bool IsHexColor(const std::string& text) {
    if (text.size() != 6) {
        return false;
    }
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

// A whole number from `low` to `high`, written in decimal digits only.
std::optional<std::uint8_t> SmallNumber(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

constexpr int kCheckSlice = 100000;

const char* IndexExpression(const std::string& tag) {
    for (const store::TaskTag& t : store::kTaskTags) {
        if (tag == t.name) {
            return t.expression;
        }
    }
    return "";
}

}  // namespace

OptionRead ReadTaskSetOption(const std::vector<std::string>& args, std::size_t& i,
                             ExportCommand& command, std::string& error) {
    const std::string& option = args[i];
    if (option == "--notes") {
        command.notes = true;
        return OptionRead::kTaken;
    }
    if (option == "--show-done") {
        command.filter.ShowDoneFlag = true;
        return OptionRead::kTaken;
    }
    static const char* const kWithValue[] = {"--dir",  "--title",    "--order",
                                             "--date", "--priority", "--keys"};
    if (std::find(std::begin(kWithValue), std::end(kWithValue), option) == std::end(kWithValue)) {
        return OptionRead::kOther;
    }
    if (i + 1 == args.size()) {
        error = option + " needs a value";
        return OptionRead::kBad;
    }
    const std::string& value = args[++i];
    if (option == "--dir") {
        if (value.empty()) {
            error = "empty folder";
            return OptionRead::kBad;
        }
        command.dir = value;
    } else if (option == "--title") {
        command.title = rtl::Utf8ToAnsi(value);
    } else if (option == "--order") {
        if (value == "datetime" || value == "descript" || value == "priority") {
            command.orderTag = rtl::AnsiUpperCase(value);
        } else if (value == "record") {
            command.orderTag.clear();
        } else {
            error = "unknown order " + value;
            return OptionRead::kBad;
        }
    } else if (option == "--date") {
        const auto n = SmallNumber(value, 0, 6);
        if (!n) {
            error = "the date filter is 0 to 6, not " + value;
            return OptionRead::kBad;
        }
        command.filter.DateFilterIndex = *n;
    } else if (option == "--priority") {
        const auto n = SmallNumber(value, 0, 3);
        if (!n) {
            error = "the priority filter is 0 to 3, not " + value;
            return OptionRead::kBad;
        }
        command.filter.PriorityFilterIndex = *n;
    } else {  // --keys
        command.filter.KeyFilterText = rtl::Utf8ToAnsi(value);
    }
    return OptionRead::kTaken;
}

std::optional<ExportCommand> ParseReportCommand(const std::vector<std::string>& args,
                                                std::string& error) {
    if (args.size() < 3 || args[0] != "export") {
        error = args.empty() || args[0] == "export" ? "too few arguments"
                                                    : "unknown command " + args[0];
        return std::nullopt;
    }
    ExportCommand command;
    if (args[1] == "html") {
        command.format = ExportFormat::kHtml;
    } else if (args[1] == "rtf") {
        command.format = ExportFormat::kRtf;
    } else if (args[1] == "text") {
        command.format = ExportFormat::kText;
    } else if (args[1] == "ics") {
        command.format = ExportFormat::kICalendar;
    } else if (args[1] == "csv") {
        command.format = ExportFormat::kCsv;
    } else {
        error = "unknown format " + args[1];
        return std::nullopt;
    }
    command.outFile = args[2];
    if (command.outFile.empty()) {
        error = "empty output file name";
        return std::nullopt;
    }
    for (std::size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--color") {
            if (i + 1 == args.size()) {
                error = "--color needs a value";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            if (!IsHexColor(value)) {
                error = "the colour is six hex digits RRGGBB, not " + value;
                return std::nullopt;
            }
            command.color = rtl::AnsiUpperCase(value);
            continue;
        }
        switch (ReadTaskSetOption(args, i, command, error)) {
            case OptionRead::kTaken:
                continue;
            case OptionRead::kOther:
                error = "unknown option " + args[i];
                return std::nullopt;
            case OptionRead::kBad:
                return std::nullopt;
        }
    }
    return command;
}

int RunOnTaskSet(const ExportCommand& command, const TaskSetJob& job, std::string& message) {
    store::RecordingSink sink;
    store::TTaskStore store(command.dir, sink, sink);
    const std::string table = store.PathOf(store::kTaskTableName);
    auto fail = [&](const std::string& text) {
        message = text;
        for (const std::string& said : sink.messages) {
            message += " (" + said + ")";
        }
        return 1;
    };
    std::error_code exists;
    if (!std::filesystem::is_regular_file(table, exists)) {
        return fail("no task file " + table);
    }
    if (!store.Start()) {
        return fail("the table engine could not be started");
    }
    store.EngineEnv1.SetDeleted(true);
    store.TodoTable.SetDatabaseName(store.ProgramDir());
    store.TodoTable.SetTableName(store::kTaskTableName);
    store.TodoTable.SetExclusive(false);
    store.TodoTable.SetReadOnly(true);
    if (store.IsOldTaskStructure(store.TodoTable)) {
        return fail("the task file " + table +
                    " has the old structure; start Quillet once to update it");
    }
    if (store.TodoTable.Open() != store::dbi::kOk) {
        return fail("cannot open the task file " + table + ": " + store.TodoTable.LastErrorText());
    }
    const int order = command.orderTag.empty() ? 0 : store.TodoEngine.TagOrder(command.orderTag);
    store.TodoEngine.SetOrder(order);
    const std::string expression = store::BuildFilterExpression(command.filter, rtl::Today());
    store.TodoEngine.TestFilter(expression);
    store.TodoEngine.ApplyFilter(expression);
    // An index that disagrees with the table would list some tasks twice and others never,
    // and the export would pass for whole: the tasks are then ordered from the table itself.
    std::vector<std::int32_t> records;
    bool listed = false;
    if (order != 0) {
        int checked = 0;
        while ((checked = store.TodoEngine.IndexCheck(kCheckSlice)) == 0) {
        }
        if (checked != 1) {
            records = store.TodoEngine.RecordsInKeyOrder(IndexExpression(command.orderTag));
            listed = true;
            // Reading a record tests it in the order in force, which must not be the index's.
            store.TodoEngine.SetOrder(0);
        }
    }

    // Dates are read from the table under the formats the main window works in.
    const rtl::FormatSettings formats = rtl::CurrentFormats();
    UseInternalFormats();
    const xbase::Status done = job(store.TodoTable, store.TodoEngine, listed ? &records : nullptr);
    rtl::SetCurrentFormats(formats);
    if (!done) {
        return fail(done.message());
    }
    return 0;
}

int RunExportCommand(const ExportCommand& command, const TextMeasure& measure,
                     std::string& message) {
    // The UIDs of the program's companion table, which this reader never writes; a task
    // without one (added by another program since) is given the UID derived from it.
    store::TTaskUids uids;
    if (command.format == ExportFormat::kICalendar) {
        uids.OpenReadOnly(command.dir);
    }
    return RunOnTaskSet(
        command,
        [&](store::TTable& table, store::TEngineComponent& engine,
            const std::vector<std::int32_t>* records) {
            ExportJob job{table, engine, measure, {}, records};
            job.uid = [&uids](std::int32_t record, const store::TaskEntry& task) {
                return uids.UidOf(record, task);
            };
            return CopyTasks(command.format, job, command.outFile, command.title, command.notes,
                             command.color);
        },
        message);
}

int ReportMain(const std::vector<std::string>& args, const TextMeasure& measure,
               std::ostream& err) {
    std::string error;
    std::optional<ExportCommand> command = ParseReportCommand(args, error);
    if (!command) {
        err << "quillet-report: " << error << "\n" << kReportUsage << "\n";
        return 2;
    }
    if (command->dir.empty()) {
        command->dir = store::GetProgramDir();
    }
    std::string message;
    const int code = RunExportCommand(*command, measure, message);
    if (code != 0) {
        err << "quillet-report: " << message << "\n";
    }
    return code;
}

}  // namespace report
