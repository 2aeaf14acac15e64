// The printed report's layout: column stops, rows, the page header and the note band, in
// inches on whatever report it is attached to.
#include "report/printed/printed_report.h"

#include <cmath>

#include "report/export/note_lines.h"
#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "rtl/format_settings.h"
#include "store/display_fields.h"

namespace report {

namespace {

constexpr int kCellMargin = 2;  // hundredths of an inch
constexpr int kNoteShade = 10;  // percent
constexpr double kCheckColumn = 0.125;

std::string ReportDate(std::string_view stored, const rtl::FormatSettings& formats) {
    rtl::TDateTime value = 0;
    if (!store::StoredDateToValue(stored, value, formats)) {
        return {};
    }
    return rtl::FormatDateTime("dd mmm, yyyy (ddd)", value, formats);
}

std::string ReportTime(std::string_view stored, const rtl::FormatSettings& formats) {
    rtl::TDateTime value = 0;
    if (!rtl::TryStrToTime(stored, value, formats)) {
        return {};
    }
    return rtl::FormatDateTime("hh:nn am/pm", value, formats);
}

void AddColumn(TBaseReport& report, double width, int shade = 0) {
    report.AddTabStop(-1, TPrintJustify::pjLeft, width, kCellMargin, 0, shade);
}

// Side margins of an inch, and the rows' area from an inch below the top margin down to
// `roomBelow` above the bottom margin: the body first keeps a whole inch there, the page header
// (which every page gets) settles it at half an inch.
void SetRowArea(TBaseReport& report, double roomBelow) {
    report.SetMarginLeft(1);
    report.SetMarginRight(1);
    report.SetAreaTop(report.MarginTop() + 1);
    report.SetAreaBottom(report.PaperHeight() - report.MarginBottom() - roomBelow);
    report.SetAreaLeft(report.MarginLeft());
    report.SetAreaRight(report.PaperWidth() - report.MarginRight());
}

}  // namespace

TaskSource WalkedTasks(TaskWalk& walk, bool withNotes) {
    return [&walk, withNotes](const TaskVisitor& visit) { return walk.Run(visit, withNotes); };
}

int NoteWrapWidth(double areaLeft, double areaRight, int screenDpi) {
    return static_cast<int>(std::trunc((areaRight - areaLeft - 0.25) * screenDpi));
}

void ConfigureReportComponent(TBaseReport& report) {
    report.SetLineHeightMethod(TLineHeightMethod::lhmFont);
    report.SetUnits(TPrintUnits::unInch);
    report.SetUnitsFactor(1.0);
    report.SetMarginLeft(0.5);
    report.SetMarginRight(0.5);
    report.SetMarginTop(0.5);
    report.SetMarginBottom(0.5);
    report.SetTitle("Test Report");
    report.SetOrientation(TOrientation::poDefault);
    report.SetScaleX(100);
    report.SetScaleY(100);
}

PrintedReport::PrintedReport(PrintedReportOptions options, TaskSource tasks,
                             const TextMeasure& noteMeasure, int screenDpi)
    : options_(std::move(options)),
      tasks_(std::move(tasks)),
      noteMeasure_(noteMeasure),
      screenDpi_(screenDpi) {}

void PrintedReport::Attach(TBaseReport& report) {
    report.OnPrint = [this](TBaseReport& r) { PrintReport1(r); };
    report.OnBeforePrint = [this](TBaseReport& r) { BeforePrintReport(r); };
    report.OnPrintPage = nullptr;
    report.OnAfterPrint = nullptr;
    report.OnNewPage = nullptr;
    report.OnNewColumn = nullptr;
    report.OnPrintHeader = nullptr;
    report.OnPrintFooter = nullptr;
}

void PrintedReport::BeforePrintReport(TBaseReport& report) {
    report.SetStatusFormat("Printing Page %p\r%0\r%1");
    report.SetStatusText({"", ""});
}

void PrintedReport::PrintReport1(TBaseReport& report) {
    tasksFailed_ = false;
    // Stored dates and times are read and the header's date written in the program's own
    // notation, whatever the desktop's, with the desktop's month and day names.
    formats_ = rtl::InternalFormats();
    SetRowArea(report, 1);
    report.SelectFont("Arial", 9);
    report.SetFontBold(false);
    report.SetFontItalic(false);
    noteWidth_ = NoteWrapWidth(report.AreaLeft(), report.AreaRight(), screenDpi_);

    report.ClearTabStops();
    if (options_.checkbox) {
        AddColumn(report, kCheckColumn);
    }
    AddColumn(report, 1.5);                                 // date
    AddColumn(report, 1);                                   // time
    AddColumn(report, (report.PaperWidth() - 8.5) + 2.75);  // description
    AddColumn(report, 0.75);                                // priority
    AddColumn(report, 0.5);                                 // done

    HeaderFooter1(report);
    report.ToTopOfArea();
    if (!tasks_) {
        return;
    }
    const bool read = tasks_([&](const TaskRowTexts& task) {
        if (stopped_) {
            return false;
        }
        PrintRow(report, task);
        return true;
    });
    tasksFailed_ = !read;
}

void PrintedReport::PrintRow(TBaseReport& report, const TaskRowTexts& task) {
    if (report.LinesRemaining() == 0) {
        report.StartNewPage();
        HeaderFooter1(report);
    }
    report.SetFontBold(false);
    if (options_.checkbox) {
        report.NextTabStop();
        const double x = report.CursorX();
        const double top = report.CursorY() + report.FontDescent() - report.LineSpacing();
        report.DrawBox(x, top + 0.02, x + kCheckColumn, top + 0.145);
    }
    report.NextTabStop();
    DoTextRect(report, ReportDate(task.storedDate, formats_));
    report.NextTabStop();
    DoTextRect(report, ReportTime(task.storedTime, formats_));
    report.NextTabStop();
    DoTextRect(report, task.description);
    report.NextTabStop();
    DoTextRect(report, task.priority);
    report.NextTabStop();
    DoTextRect(report, task.done == store::IsDone(true) ? "Yes" : "No");
    report.AdvanceLine();
    if (options_.notes) {
        HandleMemo(report, task.note);
    }
    if (options_.doubleSpaced) {
        report.AdvanceLine();
    }
}

// A cell's text cut at the cell's edge rather than wrapped, so a long description cannot push
// into the next column or the next row.
void PrintedReport::DoTextRect(TBaseReport& report, std::string_view text) {
    const double width = report.CellTextWidth();
    report.MoveCursor(report.CellTextStart(), report.CursorY());
    const double x = report.CursorX();
    const double y = report.CursorY();
    const double half = report.Font().size / 72;
    report.ClipText(x, y - half, x + width - 0.2, y + half, x, y - report.FontAscent(), text);
}

void PrintedReport::HeaderFooter1(TBaseReport& report) {
    report.ResetArea();
    report.SelectFont("Times New Roman", 14);
    report.SetFontBold(true);
    report.ToTopOfArea();
    report.PrintText(options_.title);
    report.PrintRightAt("Page " + std::to_string(report.PageNumber()), report.AreaRight());
    report.AdvanceLine();
    const rtl::TDateTime today = today_ ? *today_ : rtl::Today();
    report.PrintRightAt(rtl::FormatDateTime("ddddd", today, formats_), report.AreaRight());

    report.SelectFont("Arial", 9);
    report.SetFontBold(true);
    report.MoveCursor(1, report.MarginTop() + 0.8);
    report.AdvanceLine();
    if (options_.checkbox) {
        report.NextTabStop();
    }
    for (const char* heading : {"Date", "Time", "Task", "Priority", "Done"}) {
        report.NextTabStop();
        report.PrintText(heading);
    }

    report.SetFontBold(false);
    report.SetFontItalic(false);
    SetRowArea(report, 0.5);
    report.DrawMoveTo(report.AreaLeft(), report.AreaTop());
    report.DrawLineTo(report.AreaRight(), report.AreaTop());
    report.DrawMoveTo(report.AreaLeft(), report.AreaBottom());
    report.DrawLineTo(report.AreaRight(), report.AreaBottom());
    report.ToTopOfArea();
}

void PrintedReport::SetNoteColumns(TBaseReport& report) const {
    report.SaveTabStops();
    report.ClearTabStops();
    const double width = report.AreaRight() - report.AreaLeft();
    if (options_.checkbox) {
        AddColumn(report, kCheckColumn);
        AddColumn(report, width - kCheckColumn, kNoteShade);
    } else {
        AddColumn(report, width, kNoteShade);
    }
}

void PrintedReport::HandleMemo(TBaseReport& report, const std::string& note) {
    const std::vector<std::string> lines = NoteLines(note, noteWidth_, noteMeasure_);
    SetNoteColumns(report);
    for (const std::string& line : lines) {
        // Asked before each line, the first included: a row on the page's last line would
        // otherwise have its note's first line shaded across the bottom rule.
        if (report.LinesRemaining() == 0) {
            report.RestoreTabStops();
            report.StartNewPage();
            HeaderFooter1(report);
            SetNoteColumns(report);
        }
        if (options_.checkbox) {
            report.NextTabStop();
        }
        report.NextTabStop();
        report.PrintTextLine(line);
    }
    report.RestoreTabStops();
}

}  // namespace report
