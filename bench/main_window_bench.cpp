// The main window on a task file of N tasks (QUILX.DBF with its five tags, made in a temporary
// directory and opened as the program opens it), under the offscreen platform: creation to the
// first painted grid rows, the day's backup taken after them, Ctrl+End with its paint, the done
// toggle until the row is repainted, adding a task from the editor's result until the grid
// shows it, undo and redo of a done toggle and of a delete until the grid is repainted, the
// process's memory with the grid open (its own pages and the file pages it maps, apart), and
// find as you type: opening the box, each keystroke until the grid is repainted, closing it,
// and the memory the open box holds. Each size runs in its own process, so memory figures do
// not mix.
// Usage: main_window_bench [N...]   (default 1000 100000)
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
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

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "rtl/format_sets.h"
#include "store/backups.h"
#include "store/task_file.h"
#include "task_file_maker.h"
#include "ui/main/find_box.h"
#include "ui/main/key_word_list.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_commands.h"
#include "ui/main/task_grid.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The process's resident memory from /proc, in KiB: its own (anonymous) pages and the file
// pages it has mapped, which belong to the kernel's page cache and are shared and reclaimable.
struct Resident {
    long anonKiB = 0;
    long fileKiB = 0;
};

Resident ResidentNow() {
    Resident now;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("RssAnon:", 0) == 0) {
            now.anonKiB = std::atol(line.c_str() + 8);
        } else if (line.rfind("RssFile:", 0) == 0) {
            now.fileKiB = std::atol(line.c_str() + 8);
        }
    }
    return now;
}

// CPU time of this thread, in seconds: the open's own work, which the machine's load does not
// stretch as it stretches the time on the clock.
double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Paints the grid's visible rows now, as a repaint after a command does.
void PaintGrid(TMainScreen& form) {
    form.ActiveGrid()->viewport()->repaint();
}

// Makes the task file in a process of its own, so that the memory its making took is not
// counted as the window's.
bool MakeTaskFileApart(const std::string& dir, std::uint32_t count) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        bench::QuietSink sink;
        store::TTaskStore maker(dir, sink, sink);
        std::_Exit(maker.Start() && bench::MakeTaskFile(maker, count) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int Run(std::uint32_t count, const std::string& dir) {
    int argc = 1;
    char name[] = "main_window_bench";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const Resident before = ResidentNow();

    // Creation to the first painted rows; the files are indexed already.
    ui::FormPtr<TMainScreen> form;
    const double cpuBefore = ThreadCpuSeconds();
    const double open = bench::Seconds([&] {
        form = ui::CreateForm<TMainScreen>(dir);
        ui::SetMainForm(form.get());
        form->show();
        form->FormActivate();
        PaintGrid(*form);
    });
    const double openCpu = ThreadCpuSeconds() - cpuBefore;
    // The day's backup is taken by the first events after the rows are painted.
    const double backup = bench::Seconds([] { QApplication::processEvents(); });
    const bool backedUp = store::Backups(dir).List().size() == 1;
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
        store::TaskEntry entry = NewTaskEntry();
        entry.date = "20250615";
        entry.time = "10:30";
        entry.keys = "bench";
        adds.push_back(bench::Seconds([&] {
            if (StoreTaskEntry(form->Store(), EditMode::kAdd, entry, words)) {
                form->GridModel().RecordChanged(*form->Store().TodoTable.GetBookmark());
            }
            form->SetButtons();
            PaintGrid(*form);
        }));
    }
    // Undo and redo under the window's filter (done tasks hidden), which the undo of a
    // delete lifts to reach the record and puts back.
    ui::SetMessageBoxPresenter([](const ui::MessageBoxRequest&) { return ui::kIdYes; });
    std::vector<double> undos;
    std::vector<double> redos;
    const auto undoAndRedo = [&](const std::function<void()>& command) {
        // Through another row, so that the grid takes the table to the one chosen.
        form->ActiveGrid()->setCurrentIndex(form->GridModel().index(0, TaskGridModel::kTask));
        form->ActiveGrid()->setCurrentIndex(
            form->GridModel().index(rows / 2, TaskGridModel::kTask));
        command();
        undos.push_back(bench::Seconds([&] {
            form->Undo1Click();
            PaintGrid(*form);
        }));
        redos.push_back(bench::Seconds([&] {
            form->Redo1Click();
            PaintGrid(*form);
        }));
    };
    for (int run = 0; run < 5; ++run) {
        undoAndRedo([&] { form->DoneToggleButtonClick(); });
        undoAndRedo([&] { form->DeleteButtonClick(); });
    }
    const Resident with = ResidentNow();

    // Find as you type: Ctrl+F reads every task's texts; then keystrokes that narrow (the
    // first letter is in every description), that find few, and Backspaces that widen again.
    auto* box = form->findChild<TFindBox*>();
    const double findOpen = bench::Seconds([&] {
        box->Open();
        PaintGrid(*form);
    });
    const Resident withFind = ResidentNow();
    const std::size_t findBytes = form->GridModel().FindBytes();
    std::vector<double> keystrokes;
    const auto keystroke = [&](Qt::Key key, const QString& text) {
        keystrokes.push_back(bench::Seconds([&] {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QApplication::sendEvent(box->FindText(), &press);
            PaintGrid(*form);
        }));
    };
    int fewest = form->GridModel().rowCount();
    for (const char* typed : {"number 7", "note for task 9"}) {
        for (const char* c = typed; *c != '\0'; ++c) {
            keystroke(Qt::Key_unknown, QString(QLatin1Char(*c)));
            fewest = std::min(fewest, form->GridModel().rowCount());
        }
        for (const char* c = typed; *c != '\0'; ++c) {
            keystroke(Qt::Key_Backspace, QString());
        }
    }
    const double findClose = bench::Seconds([&] {
        box->Close();
        PaintGrid(*form);
    });

    std::printf("%u tasks (%d rows shown)\n", count, rows);
    std::printf("  creation to first painted rows  %8.1f ms   (goal <= 500 ms; %.1f ms of CPU)\n",
                open * 1e3, openCpu * 1e3);
    std::printf("  the day's backup, after them    %8.1f ms   (goal <= 1000 ms)%s\n", backup * 1e3,
                backedUp ? "" : " NOT TAKEN");
    std::printf("  Ctrl+End and paint, median      %8.2f ms   (goal <= 50 ms)\n",
                Median(ends) * 1e3);
    std::printf("  done toggle to repainted row    %8.2f ms   (goal <= 30 ms)\n",
                Median(toggles) * 1e3);
    std::printf("  add a task until the grid shows %8.2f ms   (goal <= 50 ms)\n",
                Median(adds) * 1e3);
    std::printf(
        "  undo to repainted grid, median  %8.2f ms   (goal <= 50 ms; slowest %.2f ms; %zu steps "
        "kept)\n",
        Median(undos) * 1e3, *std::max_element(undos.begin(), undos.end()) * 1e3,
        form->History().Size());
    std::printf("  redo to repainted grid, median  %8.2f ms   (goal <= 50 ms; slowest %.2f ms)\n",
                Median(redos) * 1e3, *std::max_element(redos.begin(), redos.end()) * 1e3);
    std::printf(
        "  own memory (anonymous), grid open %6.1f MiB  (goal <= 100 MiB; %.1f MiB before the "
        "window)\n",
        with.anonKiB / 1024.0, before.anonKiB / 1024.0);
    std::printf("  file pages mapped, grid open    %8.1f MiB  (%.1f MiB before the window)\n",
                with.fileKiB / 1024.0, before.fileKiB / 1024.0);
    std::printf("  find: Ctrl+F to painted grid    %8.1f ms   (every task's texts read)\n",
                findOpen * 1e3);
    std::printf(
        "  find: keystroke to painted grid %8.2f ms   (goal <= 100 ms; median of %zu; slowest "
        "%.2f ms; down to %d rows)\n",
        Median(keystrokes) * 1e3, keystrokes.size(),
        *std::max_element(keystrokes.begin(), keystrokes.end()) * 1e3, fewest);
    std::printf("  find: Esc to painted grid       %8.2f ms\n", findClose * 1e3);
    std::printf("  find: own memory the box adds   %8.1f MiB  (%.1f MiB of texts held)\n",
                (withFind.anonKiB - with.anonKiB) / 1024.0,
                static_cast<double>(findBytes) / 1048576.0);
    form->close();
    ui::SetMainForm(nullptr);
    form.reset();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (std::uint32_t count : bench::TaskCounts(argc, argv, {1000, 100000})) {
        const std::string dir = bench::MakeTempDir("quillet-window-bench");
        if (dir.empty() || !MakeTaskFileApart(dir, count)) {
            std::fprintf(stderr, "could not make the task file\n");
            return 1;
        }
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int result = Run(count, dir);
            std::fflush(stdout);
            std::_Exit(result);
        }
        int status = 0;
        waitpid(child, &status, 0);
        std::error_code error;
        std::filesystem::remove_all(dir, error);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return 1;
        }
    }
    return 0;
}
