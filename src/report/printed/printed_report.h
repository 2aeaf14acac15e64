// PrintedReport: the printed task list laid out over any TBaseReport (printer, stream filer or
// a test surface): the body with one row per task, the page header and the shaded note band.
// The window that runs the report sets these hooks as the report's events and keeps the stop
// flag; the command line does the same without a window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "report/export/task_walk.h"
#include "report/export/text_measure.h"
#include "report/model/base_report.h"
#include "rtl/date_time.h"
#include "rtl/format_settings.h"

namespace report {

// The report dialog's choices for a printed report. Texts are Windows-1252.
struct PrintedReportOptions {
    std::string title;
    bool notes = false;         // "Print Notes"
    bool checkbox = false;      // "Print Checkbox"
    bool doubleSpaced = false;  // "Double Spaced"
};

// Visits the task set from its first task in the order and under the filter in force, each
// task once; the visitor answers false to end the walk. Answers false when the tasks could not
// be read (with the reason kept by the source), true otherwise.
using TaskVisitor = std::function<bool(const TaskRowTexts&)>;
using TaskSource = std::function<bool(const TaskVisitor&)>;

// The export walk as a task source; the walk must outlive the source.
TaskSource WalkedTasks(TaskWalk& walk, bool withNotes);

// The width in pixels of the hidden memo that wraps notes: the report area's width less a
// quarter inch, at the screen's resolution, cut to whole pixels.
int NoteWrapWidth(double areaLeft, double areaRight, int screenDpi);

// The settings both report components carry before a run: line height from the font, inches,
// half-inch margins, title "Test Report", the device's orientation, 100 percent scale.
void ConfigureReportComponent(TBaseReport& report);

class PrintedReport {
  public:
    // `noteMeasure` measures text as the memo that wraps notes shows it (the window's font,
    // "System" 13 pixels high), at `screenDpi` pixels per inch; it must outlive the report.
    PrintedReport(PrintedReportOptions options, TaskSource tasks, const TextMeasure& noteMeasure,
                  int screenDpi);

    // Sets PrintReport1 and BeforePrintReport as the report's print and before-print events
    // and clears its other page events. This object must outlive the report's run.
    void Attach(TBaseReport& report);

    // The print event: the whole body, page headers and notes included.
    void PrintReport1(TBaseReport& report);
    // The before-print event: the status shows "Printing Page" and the page number.
    void BeforePrintReport(TBaseReport& report);

    // Ends the body before its next task (a preview stopped by the user); what was laid out
    // stays.
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }
    // Whether the task source failed during the last run.
    bool TasksFailed() const { return tasksFailed_; }

    // The date the page header shows; today's when not set.
    void SetToday(rtl::TDateTime today) { today_ = today; }

  private:
    void HeaderFooter1(TBaseReport& report);
    void HandleMemo(TBaseReport& report, const std::string& note);
    void PrintRow(TBaseReport& report, const TaskRowTexts& task);
    void DoTextRect(TBaseReport& report, std::string_view text);
    void SetNoteColumns(TBaseReport& report) const;

    PrintedReportOptions options_;
    TaskSource tasks_;
    const TextMeasure& noteMeasure_;
    int screenDpi_;
    int noteWidth_ = 0;
    std::optional<rtl::TDateTime> today_;
    rtl::FormatSettings formats_;
    bool stopped_ = false;
    bool tasksFailed_ = false;
};

}  // namespace report
