// The printed report of N tasks, every task with a note of one to three lines (one of them long
// enough to wrap): recorded into a report stream as the preview's first step records it
// (`quillet-report record`, run in process, opening the table included), and printed through
// "Print to PDF" (`quillet-report print`). Each figure is the best of a few runs, wall clock and
// processor time; the machine is shared.
// Usage: report_print_bench [N...]   (default 1000 100000)
//        report_print_bench --make DIR N   (only writes the task file of N tasks into DIR)
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fonts/fonts.h"
#include "platform/xbase/sx.h"
#include "report/print_command/print_command.h"
#include "store/task_file.h"
#include "task_file_maker.h"

namespace {

std::string NoteOf(std::uint32_t i) {
    std::string note = "Note for task " + std::to_string(i);
    if (i % 3 != 0) {
        note +=
            "\r\nAsk about the figures for the quarter, then write them up for the meeting on "
            "Thursday and send the summary round to everyone on the list before noon";
    }
    if (i % 3 == 2) {
        note += "\r\nDone by Friday";
    }
    return note;
}

// The task store benchmark's tasks, each with its note, and the five tags.
bool MakeTaskFile(const std::string& dir, std::uint32_t count) {
    bench::QuietSink sink;
    store::TTaskStore store(dir, sink, sink);
    if (!store.Start() || !store.CreateTaskTable() ||
        sx_Use(store.PathOf(store::kTaskTableName), "MAKER", 2, 2) == 0) {
        return false;
    }
    const std::vector<bench::Task> tasks = bench::MakeTasks(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const bench::Task& t = tasks[i];
        sx_AppendBlank();
        sx_Replace("DATE", SxReplace::kText, t.date);
        sx_Replace("TIME", SxReplace::kText, t.time);
        sx_Replace("DESCRIPT", SxReplace::kText, t.descript);
        sx_Replace("NOTE", SxReplace::kMemo, NoteOf(i + 1));
        sx_Replace("DONE", SxReplace::kLogical, t.done);
        sx_Replace("KEYS", SxReplace::kText, t.keys);
        sx_Replace("PRIORITY", SxReplace::kText, t.priority);
    }
    for (const store::TaskTag& tag : store::kTaskTags) {
        if (sx_IndexTag({}, tag.name, tag.expression, 0, false, tag.condition) == 0) {
            return false;
        }
    }
    return sx_Commit() && sx_Close();
}

double ProcessorSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct Timing {
    double wall = 1e30;
    double cpu = 1e30;
};

Timing Time(int runs, const std::vector<std::string>& args) {
    Timing best;
    for (int i = 0; i < runs; ++i) {
        std::ostringstream err;
        int code = 0;
        const double cpu0 = ProcessorSeconds();
        const double wall =
            bench::Seconds([&] { code = report::RunPrintedCommand(args, err).value_or(2); });
        const double cpu = ProcessorSeconds() - cpu0;
        if (code != 0) {
            std::fprintf(stderr, "%s exited %d: %s", args[0].c_str(), code, err.str().c_str());
            return {};
        }
        best.wall = std::min(best.wall, wall);
        best.cpu = std::min(best.cpu, cpu);
    }
    return best;
}

int Run(std::uint32_t count) {
    const std::string dir = bench::MakeTempDir("quillet-print-bench");
    // Made by a process of its own: the engine that wrote the file would otherwise still hold
    // it in this one, and every read of the report would go past its cache.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    if (dir.empty() ||
        std::system(("'" + self + "' --make '" + dir + "' " + std::to_string(count)).c_str()) !=
            0) {
        std::fprintf(stderr, "could not make the task file\n");
        return 1;
    }
    const std::string stream = dir + "report.stream";
    const std::string pdf = dir + "report.pdf";
    const int runs = count <= 10000 ? 5 : 2;
    // The font configuration's start-up is not the report's.
    Time(1, {"record", stream, "--dir", dir, "--order", "record", "--show-done", "--notes"});
    const Timing record = Time(runs, {"record", stream, "--dir", dir, "--order", "record",
                                      "--show-done", "--notes", "--checkbox"});
    const auto streamBytes = std::filesystem::file_size(stream);
    const Timing print = Time(runs, {"print", pdf, "--dir", dir, "--order", "record", "--show-done",
                                     "--notes", "--checkbox"});
    const Timing plain =
        Time(runs, {"print", pdf, "--dir", dir, "--order", "record", "--show-done"});
    std::printf("%u tasks with notes (%.1f MiB of stream):\n", count,
                static_cast<double>(streamBytes) / (1 << 20));
    std::printf("  record the report           %8.3f s wall / %8.3f s processor\n", record.wall,
                record.cpu);
    std::printf("  print it into a PDF         %8.3f s wall / %8.3f s processor\n", print.wall,
                print.cpu);
    std::printf("  print without notes to PDF  %8.3f s wall / %8.3f s processor\n", plain.wall,
                plain.cpu);
    std::filesystem::remove_all(dir);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    ui::installFontMapping();
    if (argc == 4 && std::string(argv[1]) == "--make") {
        return MakeTaskFile(std::string(argv[2]) + "/",
                            static_cast<std::uint32_t>(std::atol(argv[3])))
                   ? 0
                   : 1;
    }
    for (const std::uint32_t count : bench::TaskCounts(argc, argv, {1000, 100000})) {
        if (const int code = Run(count); code != 0) {
            return code;
        }
    }
    return 0;
}
