// The main window on a task file of N tasks (QUILX.DBF with its five tags, made in a temporary
// directory and opened as the program opens it), under the offscreen platform: creation to the
// first painted grid rows, Ctrl+End with its paint, the done toggle until the row is repainted,
// adding a task from the editor's result until the grid shows it, and the process's memory
// with the grid open. Each size runs in its own process, so memory figures do not mix.
// Usage: main_window_bench [N...]   (default 1000 100000)
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/format_sets.h"
#include "platform/ui/application.h"
#include "store/task_file.h"
#include "task_file_maker.h"
#include "ui/main/key_word_list.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_commands.h"
#include "ui/main/task_grid.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// Paints the grid's visible rows now, as a repaint after a command does.
void PaintGrid(TMainScreen& form) {
    form.ActiveGrid()->viewport()->repaint();
}

int Run(std::uint32_t count) {
    int argc = 1;
    char name[] = "main_window_bench";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillet-window-bench-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = std::string(buffer.data()) + "/";
    {
        bench::QuietSink sink;
        store::TTaskStore maker(dir, sink, sink);
        if (!maker.Start() || !bench::MakeTaskFile(maker, count)) {
            std::fprintf(stderr, "could not make the task file\n");
            return 1;
        }
    }
    const long before = ResidentKiB();

    // Creation to the first painted rows; the files are indexed already.
    ui::FormPtr<TMainScreen> form;
    const double open = bench::Seconds([&] {
        form = ui::CreateForm<TMainScreen>(dir);
        ui::SetMainForm(form.get());
        form->show();
        form->FormActivate();
        PaintGrid(*form);
    });
    QApplication::processEvents();
    const int rows = form->GridModel().rowCount();

    std::vector<double> ends;
    std::vector<double> toggles;
    std::vector<double> adds;
    for (int run = 0; run < 5; ++run) {
        form->ActiveGrid()->setCurrentIndex(form->GridModel().index(0, TaskGridModel::kTask));
        ends.push_back(bench::Seconds([&] {
            QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QApplication::sendEvent(form->ActiveGrid(), &end);
            PaintGrid(*form);
        }));
        toggles.push_back(bench::Seconds([&] {
            form->DoneToggleButtonClick();
            PaintGrid(*form);
        }));
        KeyWordList words;
        TaskEntry entry = NewTaskEntry();
        entry.dateText = "06/15/2025";
        entry.timeText = "10:30";
        entry.keys = "bench";
        adds.push_back(bench::Seconds([&] {
            if (StoreTaskEntry(form->Store(), EditMode::kAdd, entry, words)) {
                form->GridModel().RecordChanged(*form->Store().TodoTable.GetBookmark());
            }
            form->SetButtons();
            PaintGrid(*form);
        }));
    }
    const long with = ResidentKiB();

    std::printf("%u tasks (%d rows shown)\n", count, rows);
    std::printf("  creation to first painted rows  %8.1f ms   (goal <= 500 ms)\n", open * 1e3);
    std::printf("  Ctrl+End and paint, median      %8.2f ms   (goal <= 50 ms)\n",
                Median(ends) * 1e3);
    std::printf("  done toggle to repainted row    %8.2f ms   (goal <= 30 ms)\n",
                Median(toggles) * 1e3);
    std::printf("  add a task until the grid shows %8.2f ms   (goal <= 50 ms)\n",
                Median(adds) * 1e3);
    std::printf(
        "  process memory, grid open       %8.1f MiB  (goal <= 100 MiB; %.1f MiB "
        "before the window)\n",
        with / 1024.0, before / 1024.0);
    form->close();
    ui::SetMainForm(nullptr);
    form.reset();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (std::uint32_t count : bench::TaskCounts(argc, argv, {1000, 100000})) {
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
