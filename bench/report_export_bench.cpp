// The report dialog's file exports against the command-line export on the same task file of N
// tasks: `quillet-report export` run as a program (start-up included), then the dialog's Save
// As with the main window and its grid open on the file, under the offscreen platform. The
// dialog's time includes its progress window when the export runs long enough to show it.
// Usage: report_export_bench [N...]   (default 100000)
//        report_export_bench --make DIR N   (only writes the task file of N tasks into DIR, for
//                                            trying the program by hand)
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "report/report_setup.h"
#include "store/task_file.h"
#include "task_file_maker.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_grid.h"

namespace {

// The dialog with its save dialog answered: always `target`.
class AnsweredReportSetup : public report::TReportSetup {
  public:
    AnsweredReportSetup(store::TTaskStore& store, std::string target)
        : TReportSetup(store), target_(std::move(target)) {}

  protected:
    std::optional<QString> RunSaveDialog(const SaveRequest&) override {
        return QString::fromStdString(target_);
    }

  private:
    std::string target_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ProgramFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

struct Format {
    const char* name;
    void (report::TReportSetup::*click)();
};

int Run(std::uint32_t count) {
    int argc = 1;
    char name[] = "report_export_bench";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const std::string dir = bench::MakeTempDir("quillet-report-bench");
    if (dir.empty()) {
        return 1;
    }
    {
        bench::QuietSink sink;
        store::TTaskStore maker(dir, sink, sink);
        if (!maker.Start() || !bench::MakeTaskFile(maker, count)) {
            std::fprintf(stderr, "could not make the task file\n");
            return 1;
        }
    }

    // The main window as a person meets it, then the dialog over it.
    ui::FormPtr<TMainScreen> form = ui::CreateForm<TMainScreen>(dir);
    ui::SetMainForm(form.get());
    form->show();
    form->FormActivate();
    QApplication::processEvents();
    const ui::MessageBoxPresenter previous =
        ui::SetMessageBoxPresenter([](const ui::MessageBoxRequest&) { return ui::kIdOk; });

    std::printf("%u tasks (%d rows in the grid)\n", count, form->GridModel().rowCount());
    const Format formats[] = {{"text", &report::TReportSetup::TextSaveButtonClick},
                              {"html", &report::TReportSetup::HTMLSaveButtonClick}};
    for (const Format& format : formats) {
        // The main window opens in record order with done tasks hidden; the command line is
        // given the same.
        const std::string command = ProgramFolder() + "quillet-report export " + format.name + " " +
                                    dir + "cli.out --dir " + dir + " --order record";
        int status = 0;
        const double line = bench::Best(3, [&] { status = std::system(command.c_str()); });
        if (status != 0) {
            std::fprintf(stderr, "quillet-report failed: %s\n", command.c_str());
            return 1;
        }
        const std::string target = dir + "dialog.out";
        auto save = [&] {
            ui::FormPtr<AnsweredReportSetup> setup =
                ui::CreateForm<AnsweredReportSetup>(form->Store(), target);
            (setup.get()->*format.click)();
        };
        // A slow export is timed once: the figure is plain enough without a best of three.
        double dialog = bench::Seconds(save);
        if (dialog < 5) {
            dialog = std::min(dialog, bench::Best(2, save));
        }
        const bool same = ReadFile(dir + "cli.out") == ReadFile(target);
        std::printf("  %-4s  quillet-report %7.3f s   dialog %7.3f s   ratio %5.2f (goal <= 2)%s\n",
                    format.name, line, dialog, dialog / line, same ? "" : "   FILES DIFFER");
    }

    ui::SetMessageBoxPresenter(previous);
    form->close();
    ui::SetMainForm(nullptr);
    form.reset();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--make") {
        bench::QuietSink sink;
        store::TTaskStore maker(std::string(argv[2]) + "/", sink, sink);
        const auto count = static_cast<std::uint32_t>(std::atol(argv[3]));
        return maker.Start() && bench::MakeTaskFile(maker, count) ? 0 : 1;
    }
    for (std::uint32_t count : bench::TaskCounts(argc, argv, {100000})) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int result = Run(count);
            std::fflush(stdout);
            std::_Exit(result);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return 1;
        }
    }
    return 0;
}
