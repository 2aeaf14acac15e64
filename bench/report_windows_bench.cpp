// The printed report's windows with the main window open on a task file of N tasks (notes
// printed, check boxes, offscreen): the Preview button to "Preview Ready!", Stop pressed while a
// preview is made to the end of the run, the status window's OK to the preview's first page
// painted, and one page step and one zoom step in the preview, each to the page painted.
// Usage: report_windows_bench [N...]   (default 1000 100000)
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/print/pdf_printer.h"
#include "platform/print/report_device.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "report/preview_form.h"
#include "report/report_print.h"
#include "report/report_setup.h"
#include "store/task_file.h"
#include "task_file_maker.h"
#include "ui/main/main_screen.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The report dialog whose status window and preview are driven by the bench.
class TimedReportSetup : public report::TReportSetup {
  public:
    using TReportSetup::TReportSetup;

    int stopAfterMs = -1;  // press Stop this long after the run started; -1: never
    double runSeconds = 0;
    double stopSeconds = 0;  // from Stop's click to the end of the run
    QString status;
    double okToFirstPage = 0;
    std::vector<double> pageSteps;
    std::vector<double> zoomSteps;
    int pages = 0;

  protected:
    void ShowReportPrint(report::TReportPrint& window) override {
        QElapsedTimer clock;
        QElapsedTimer sinceStop;
        if (stopAfterMs >= 0) {
            auto* button = window.findChild<QPushButton*>(QStringLiteral("CancelButton"));
            QTimer::singleShot(stopAfterMs, button, [button, &sinceStop] {
                sinceStop.start();
                button->click();
            });
        }
        window.show();
        clock.start();
        window.FormActivate();
        runSeconds = clock.nsecsElapsed() / 1e9;
        stopSeconds = sinceStop.isValid() ? sinceStop.nsecsElapsed() / 1e9 : 0;
        status = window.findChild<QLabel*>(QStringLiteral("Label1"))->text().trimmed();
        okClock_.start();
        window.CancelButtonClick();  // OK
    }
    void ShowPreview(report::TPreviewForm& window) override {
        window.show();
        window.FormActivate();
        window.repaint();
        okToFirstPage = okClock_.nsecsElapsed() / 1e9;
        pages = window.FilePreview1().PageCount();
        auto timed = [&window](auto step) {
            QElapsedTimer clock;
            clock.start();
            step();
            window.repaint();
            return clock.nsecsElapsed() / 1e9;
        };
        for (int i = 1; i < std::min(pages, 21); ++i) {
            pageSteps.push_back(timed([&] { window.NextPageButtonClick(); }));
        }
        for (int i = 0; i < 10; ++i) {
            zoomSteps.push_back(timed([&] { window.ZoomInButtonClick(); }));
            zoomSteps.push_back(timed([&] { window.ZoomOutButtonClick(); }));
        }
        window.OkButtonClick();
    }

  private:
    QElapsedTimer okClock_;
};

int Run(std::uint32_t count) {
    int argc = 1;
    char name[] = "report_windows_bench";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string dir = bench::MakeTempDir("quillet-windows-bench");
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
    ui::FormPtr<TMainScreen> form = ui::CreateForm<TMainScreen>(dir);
    ui::SetMainForm(form.get());
    form->show();
    form->FormActivate();
    QApplication::processEvents();
    const ui::MessageBoxPresenter previous =
        ui::SetMessageBoxPresenter([](const ui::MessageBoxRequest&) { return ui::kIdOk; });
    print::TReportDevice device;
    device.AddBackend(std::make_unique<print::PdfPrinter>());
    device.SetPrinterIndex(0);
    device.Settings().paperSize = 1;  // Letter

    auto preview = [&](int stopAfterMs) {
        auto setup = ui::CreateForm<TimedReportSetup>(form->Store(), nullptr, &device);
        setup->stopAfterMs = stopAfterMs;
        setup->findChild<QCheckBox*>(QStringLiteral("PrintMemoBox"))->setChecked(true);
        setup->findChild<QCheckBox*>(QStringLiteral("PrintCheckBox"))->setChecked(true);
        setup->PreviewButtonClick();
        return setup;
    };
    // A first run warms the fonts up.
    preview(-1);
    auto whole = preview(-1);
    std::printf("%u tasks: Preview to \"%s\" %.3f s (%d pages)\n", count,
                whole->status.toUtf8().constData(), whole->runSeconds, whole->pages);
    std::printf("  OK to the first page painted %.1f ms (goal <= 300)\n",
                whole->okToFirstPage * 1e3);
    std::printf("  a page step %.1f ms, a zoom step %.1f ms, medians (goal <= 50)\n",
                Median(whole->pageSteps) * 1e3, Median(whole->zoomSteps) * 1e3);
    if (whole->runSeconds > 0.5) {
        auto stopped = preview(static_cast<int>(whole->runSeconds * 500));
        std::printf(
            "  Stop half way: \"%s\", the run ended %.1f ms after the click (goal <= 200)\n",
            stopped->status.toUtf8().constData(), stopped->stopSeconds * 1e3);
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
