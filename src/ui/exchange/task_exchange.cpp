// Reading a file for an import, the import's words, the export of the task set, and the import
// command line.
#include "ui/exchange/task_exchange.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/xbase/sx.h"
#include "report/export/text_measure.h"
#include "report/export/writers.h"
#include "store/sinks.h"
#include "store/task_file.h"
#include "store/task_history.h"
#include "store/task_uids.h"

namespace exchange_flow {

namespace {

namespace fs = std::filesystem;

// iCalendar and CSV lines are never measured; the writers want a measure all the same.
class NoMeasure final : public report::TextMeasure {
  public:
    int TextWidth(std::string_view text) const override { return static_cast<int>(text.size()); }
};

std::string Texts(int count) {
    return std::to_string(count) + (count == 1 ? " text" : " texts");
}

}  // namespace

std::string Tasks(int count) {
    return std::to_string(count) + (count == 1 ? " task" : " tasks");
}

ImportReading ReadImportFile(const std::string& path, const exchange::ToLocalTime& toLocal,
                             const store::TTaskUids& uids) {
    ImportReading reading;
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        reading.failure = "there is no such file";
        return reading;
    }
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        reading.failure = "the file could not be read";
        return reading;
    }
    exchange::ReadResult read = exchange::ReadTasks(bytes, toLocal);
    if (!read.ok()) {
        reading.failure = read.ErrorText();
        return reading;
    }
    std::vector<store::IncomingTask> incoming;
    incoming.reserve(read.tasks.size());
    for (exchange::ImportedTask& task : read.tasks) {
        incoming.push_back({std::move(task.entry), std::move(task.uid)});
    }
    reading.plan = store::PlanImport(uids, std::move(incoming));
    reading.changedTexts = read.changedTexts;
    return reading;
}

std::string ImportSummary(const ImportReading& reading) {
    const int adding = static_cast<int>(reading.plan.tasks.size());
    std::string text = Tasks(adding) + (adding == 1 ? " is" : " are") + " new.";
    if (const int changed = reading.changedTexts; changed > 0) {
        text += " " + Texts(changed) + (changed == 1 ? " holds" : " hold") +
                " characters the task file cannot keep; they will be changed to the closest "
                "letters.";
    }
    if (const int left = reading.plan.alreadyThere; left > 0) {
        const bool one = left == 1;
        text += " " + Tasks(left) + (one ? " was" : " were") + " imported before or " +
                (one ? "is" : "are") + " in the task file already, and will be left out.";
    }
    return text;
}

std::string ImportDoneLine(const ImportReading& reading, int added) {
    std::string text = "Imported " + Tasks(added);
    if (reading.changedTexts > 0) {
        text += ", " + Texts(reading.changedTexts) + " changed";
    }
    if (reading.plan.alreadyThere > 0) {
        text += ", " + std::to_string(reading.plan.alreadyThere) + " left out";
    }
    return text;
}

xbase::Status ExportTaskSet(store::TTaskStore& store, const std::string& path, bool icalendar) {
    NoMeasure measure;
    report::ExportJob job{store.TodoTable, store.TodoEngine, measure};
    job.uid = [&store](std::int32_t record, const store::TaskEntry& task) {
        return store.Uids.UidOf(record, task);
    };
    return icalendar ? report::CopyICalendar(job, path) : report::CopyCsv(job, path);
}

bool IsImportCommandLine(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), "--import") != arguments.end();
}

int RunImportCommandLine(const std::vector<std::string>& arguments, const std::string& defaultDir,
                         const exchange::ToLocalTime& toLocal, std::string& out, std::string& err) {
    std::string file;
    std::string dir = defaultDir;
    bool fileGiven = false;
    bool dirGiven = false;
    bool bad = false;
    for (std::size_t i = 0; i < arguments.size() && !bad; ++i) {
        const std::string& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size() && !arguments[i + 1].empty();
        if (a == "--import" && !fileGiven && hasValue) {
            fileGiven = true;
            file = arguments[++i];
        } else if (a == "--dir" && !dirGiven && hasValue) {
            dirGiven = true;
            dir = arguments[++i];
        } else {
            bad = true;
        }
    }
    if (bad || !fileGiven) {
        err += std::string(kImportUsage) + "\n";
        return 2;
    }
    std::error_code error;
    if (dir.empty() || !fs::is_directory(dir, error)) {
        err += "There is no folder " + dir + "\n";
        return 1;
    }
    store::RecordingSink sink;
    store::TTaskStore store(dir, sink, sink);
    auto fail = [&](const std::string& text) {
        for (const std::string& said : sink.messages) {
            err += said + "\n";
        }
        err += text + "\n";
        for (char& c : err) {
            c = c == '\r' ? '\n' : c;
        }
        return 1;
    };
    if (!store.Start()) {
        return fail("The table engine could not be started");
    }
    // Quillet's window keeps the tasks' UIDs in memory while it runs; an import beside it
    // would be lost from them, so the task file must be free.
    const std::string table = store.FoundPath(store::kTaskTableName);
    if (fs::exists(table, error)) {
        const int previous = sx_Select(0);
        sx_ClearLastError();
        const int area = sx_Use(table, "QXIMPORT", 2, 2);
        if (area == 0) {
            sx_ClearLastError();
            sx_Select(previous);
            return fail("The task file is open in another program; close Quillet first");
        }
        sx_Close();
        if (previous >= 1) {
            sx_Select(previous);
        }
    }
    if (!store.OpenTaskTable(false)) {
        return fail("The task file in " + store.ProgramDir() + " could not be opened");
    }
    const ImportReading reading = ReadImportFile(file, toLocal, store.Uids);
    if (!reading.ok()) {
        return fail(file + " cannot be imported: " + reading.failure);
    }
    store::TTaskHistory history;
    int added = 0;
    if (const store::DbiResult result =
            store::AddImportedTasks(store, reading.plan, history, added);
        result != store::dbi::kOk) {
        return fail("No task was added: " + store.TodoTable.LastErrorText());
    }
    if (const std::string said = store.LastUidReport().StatusText(); !said.empty()) {
        out += said + "\n";
    }
    out += "Added " + Tasks(added) + " from " + file + ".\n";
    out += "Changed " + Texts(reading.changedTexts) +
           " to the closest letters the task file can hold.\n";
    if (reading.plan.alreadyThere > 0) {
        out += "Left out " + Tasks(reading.plan.alreadyThere) +
               " imported before or in the task file already.\n";
    }
    return 0;
}

}  // namespace exchange_flow
