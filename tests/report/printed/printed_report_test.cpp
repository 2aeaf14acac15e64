// The printed report's layout on a recording surface: Letter paper without unprintable
// borders, every page start logged among the drawing calls. The fake surface measures 9 point
// text with an ascent of 0.09 and a descent of 0.045 inch, so a row is 0.15 inch high.
#include "report/printed/printed_report.h"

#include "fake_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using report::PrintedReport;
using report::PrintedReportOptions;
using report::TaskRowTexts;
using report_test::FakeSurface;

class TestReport : public report::TBaseReport {
  public:
    FakeSurface surface;

    TestReport() { report::ConfigureReportComponent(*this); }

  protected:
    report::ReportSurface& Surface() override { return surface; }
    report::TDestKind DestKind() const override { return report::TDestKind::Stream; }
    xbase::Status OpenOutput() override {
        SetGeometry({8.5, 11, 0, 0, 0, 0, 96, 96});
        return {};
    }
    xbase::Status PageStarted() override {
        surface.calls.push_back("page " + std::to_string(PageNumber()));
        return {};
    }
    xbase::Status CloseOutput() override { return {}; }
};

// Six pixels a character: a note line of the 6.25 inch memo at 96 dpi holds 100 characters.
class CharMeasure : public report::TextMeasure {
  public:
    int TextWidth(std::string_view text) const override {
        return 6 * static_cast<int>(text.size());
    }
};

TaskRowTexts Task(std::string description, std::string date = "20261209",
                  std::string time = "14:30", std::string note = {}) {
    TaskRowTexts task;
    task.description = std::move(description);
    task.priority = "High";
    task.done = "N";
    task.note = std::move(note);
    task.storedDate = std::move(date);
    task.storedTime = std::move(time);
    return task;
}

// Runs the report over `tasks` and answers the drawing calls, page starts included.
std::vector<std::string> Layout(const PrintedReportOptions& options,
                                const std::vector<TaskRowTexts>& tasks) {
    static const CharMeasure measure;
    TestReport report;
    PrintedReport printed(
        options,
        [&](const report::TaskVisitor& visit) {
            for (const TaskRowTexts& task : tasks) {
                if (!visit(task)) {
                    break;
                }
            }
            return true;
        },
        measure, 96);
    rtl::TDateTime today = 0;
    rtl::TryEncodeDate(2026, 12, 9, today);
    printed.SetToday(today);
    printed.Attach(report);
    EXPECT_TRUE(report.RunReport());
    return report.surface.Drawn();
}

// The calls whose text ends with `text` (cells, headings and titles alike).
std::vector<std::string> Showing(const std::vector<std::string>& calls, const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
        if (call.size() >= text.size() + 1 &&
            call.compare(call.size() - text.size() - 1, std::string::npos, " " + text) == 0) {
            out.push_back(call);
        }
    }
    return out;
}

int Count(const std::vector<std::string>& calls, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

// Where the cell of a row with its baseline at `y` puts `text`, starting at `x`, in a column
// `width` wide (margins of 0.02 inch on both sides).
std::string Cell(double x, double y, double width, const std::string& text) {
    const auto n = FakeSurface::Num;
    return "clip (" + n(x) + "," + n(y - 0.125) + ") (" + n(x + width - 0.04 - 0.2) + "," +
           n(y + 0.125) + ") (" + n(x) + "," + n(y - 0.09) + ") " + text;
}

TEST(PrintedReport, AnEmptyTaskSetPrintsOnePageWithHeaderHeadingsAndRules) {
    const std::vector<std::string> calls = Layout({"My Tasks"}, {});
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "page 1",
                         // Times 14: 0.2333 inch lines, descent 0.07, from the top margin.
                         "left (1.000,0.663) My Tasks",
                         "right (7.500,0.663) Page 1",
                         "right (7.500,0.897) 12/09/2026",
                         // The headings' baseline: top margin + 0.8 + one 9 point line.
                         "left (1.020,1.450) Date",
                         "left (2.520,1.450) Time",
                         "left (3.520,1.450) Task",
                         "left (6.270,1.450) Priority",
                         "left (7.020,1.450) Done",
                         "move (1.000,1.500)",
                         "line (7.500,1.500)",
                         "move (1.000,10.000)",
                         "line (7.500,10.000)",
                     }));
}

TEST(PrintedReport, CellsShowTheDateTimePriorityAndDoneOrStayEmpty) {
    struct Case {
        const char* date;
        const char* time;
        const char* shownDate;
        const char* shownTime;
    } cases[] = {
        {"20261209", "14:30", "09 Dec, 2026 (Wed)", "02:30 pm"},
        {"20000229", "00:05", "29 Feb, 2000 (Tue)", "12:05 am"},
        {"20260230", "25:00", "", ""},
        {"", "", "", ""},
        {"        ", "     ", "", ""},
        {"2026120", "12:61", "", ""},
        {"abcdefgh", "noon", "", ""},
    };
    for (const Case& c : cases) {
        TaskRowTexts task = Task("Call the bank", c.date, c.time);
        task.done = "Y";
        const std::vector<std::string> calls = Layout({"T"}, {task});
        const double y = 1.605;  // the first line under the rule
        const std::vector<std::string> row(
            std::find(calls.begin(), calls.end(), "line (7.500,10.000)") + 1, calls.end());
        EXPECT_EQ(row, (std::vector<std::string>{
                           Cell(1.02, y, 1.5, c.shownDate),
                           Cell(2.52, y, 1, c.shownTime),
                           Cell(3.52, y, 2.75, "Call the bank"),
                           Cell(6.27, y, 0.75, "High"),
                           Cell(7.02, y, 0.5, "Yes"),
                       }))
            << c.date << " " << c.time;
    }
}

TEST(PrintedReport, TheCheckBoxColumnShiftsTheOthersAndHoldsAnEmptySquare) {
    TaskRowTexts task = Task("Water the plants");
    const std::vector<std::string> calls = Layout({"T", false, true}, {task, task});
    EXPECT_EQ(Showing(calls, "Date"), std::vector<std::string>{"left (1.145,1.450) Date"});
    EXPECT_EQ(Showing(calls, "Done"), std::vector<std::string>{"left (7.145,1.450) Done"});
    // The squares stand 0.02 below each line's top, 0.125 wide and high.
    std::vector<std::string> boxes;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(boxes),
                 [](const std::string& c) { return c.rfind("rect", 0) == 0; });
    EXPECT_EQ(boxes, (std::vector<std::string>{"rect (1.000,1.520) (1.125,1.645)",
                                               "rect (1.000,1.670) (1.125,1.795)"}));
    EXPECT_EQ(Showing(calls, "No").front(), Cell(7.145, 1.605, 0.5, "No"));
}

TEST(PrintedReport, RowsFillAPageThenContinueAfterAFreshHeader) {
    // 8.5 inches between the rules hold 56 rows of 0.15 inch.
    std::vector<TaskRowTexts> tasks;
    for (int i = 1; i <= 60; ++i) {
        tasks.push_back(Task("Task " + std::to_string(i)));
    }
    const std::vector<std::string> calls = Layout({"T"}, tasks);
    EXPECT_EQ(Count(calls, "page"), 2);
    auto at = [&](const std::string& text) { return std::find(calls.begin(), calls.end(), text); };
    EXPECT_NE(at(Cell(3.52, 1.605 + 55 * 0.15, 2.75, "Task 56")), calls.end());
    const auto page2 = at("page 2");
    EXPECT_EQ(*(page2 + 2), "right (7.500,0.663) Page 2");
    EXPECT_EQ(*(page2 + 13 + 2), Cell(3.52, 1.605, 2.75, "Task 57"));
}

TEST(PrintedReport, ANoteLongerThanAPageContinuesAfterAFreshHeaderInTheSameColumns) {
    std::string note;
    for (int i = 1; i <= 70; ++i) {
        note += "line " + std::to_string(i) + "\r\n";
    }
    for (const bool checkbox : {false, true}) {
        const double left = checkbox ? 1.125 : 1.0;
        const std::vector<std::string> calls =
            Layout({"T", true, checkbox}, {Task("Long", "", "", note), Task("Next")});
        EXPECT_EQ(Count(calls, "page"), 2);
        // Shaded 10 percent of black from the check box column to the area's right edge.
        const std::string band =
            "shade (" + FakeSurface::Num(left) + ",1.650) (7.500,1.800) E5E5E5 clearpen";
        EXPECT_EQ(Count(calls, band), 2) << checkbox;  // line 2 of both pages
        EXPECT_EQ(
            Showing(calls, "line 1"),
            std::vector<std::string>{"left (" + FakeSurface::Num(left + 0.02) + ",1.755) line 1"});
        // The row takes line 1, the note lines 2 to 56; line 56 of the note opens page 2.
        const auto page2 = std::find(calls.begin(), calls.end(), "page 2");
        const auto first = std::find_if(
            page2, calls.end(), [](const std::string& c) { return c.ends_with(" line 56"); });
        ASSERT_NE(first, calls.end());
        EXPECT_EQ(*first, "left (" + FakeSurface::Num(left + 0.02) + ",1.605) line 56");
        EXPECT_EQ(Count(std::vector<std::string>(page2, first), "right (7.500,0.663) Page 2"), 1);
        EXPECT_EQ(Showing(calls, "Next"),
                  std::vector<std::string>{
                      Cell(checkbox ? 3.645 : 3.52, 1.605 + 15 * 0.15, 2.75, "Next")});
    }
}

TEST(PrintedReport, ANoteOfARowOnThePagesLastLineStartsOnTheNextPage) {
    std::vector<TaskRowTexts> tasks(55, Task("Filler"));
    tasks.push_back(Task("Last on page", "", "", "its note"));
    const std::vector<std::string> calls = Layout({"T", true}, tasks);
    const auto page2 = std::find(calls.begin(), calls.end(), "page 2");
    ASSERT_NE(page2, calls.end());
    EXPECT_EQ(Showing(std::vector<std::string>(page2, calls.end()), "its note"),
              std::vector<std::string>{"left (1.020,1.605) its note"});
}

TEST(PrintedReport, DoubleSpacingLeavesAnEmptyLineAfterEachTaskAndItsNote) {
    const std::vector<TaskRowTexts> tasks = {Task("One", "", "", "a note"), Task("Two")};
    struct Case {
        bool notes;
        bool doubleSpaced;
        double second;  // the baseline of the second row
    } cases[] = {
        {false, false, 1.755},
        {false, true, 1.905},
        {true, false, 1.905},
        {true, true, 2.055},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> calls = Layout({"T", c.notes, false, c.doubleSpaced}, tasks);
        EXPECT_EQ(Showing(calls, "Two"),
                  std::vector<std::string>{Cell(3.52, c.second, 2.75, "Two")})
            << c.notes << c.doubleSpaced;
    }
}

TEST(PrintedReport, StoppingEndsTheBodyBeforeTheNextTask) {
    const CharMeasure measure;
    TestReport report;
    PrintedReport* self = nullptr;
    int visited = 0;
    PrintedReport printed(
        {"T"},
        [&](const report::TaskVisitor& visit) {
            for (int i = 1; i <= 5; ++i) {
                if (!visit(Task("Task " + std::to_string(i)))) {
                    return true;
                }
                ++visited;
                if (i == 2) {
                    self->Stop();
                }
            }
            return true;
        },
        measure, 96);
    self = &printed;
    printed.Attach(report);
    EXPECT_TRUE(report.RunReport());
    EXPECT_EQ(visited, 2);
    EXPECT_TRUE(printed.Stopped());
    EXPECT_FALSE(printed.TasksFailed());
    EXPECT_EQ(Showing(report.surface.Drawn(), "Task 3"), std::vector<std::string>{});
}

TEST(PrintedReport, TheNoteMemoIsTheAreaLessAQuarterInchInWholeScreenPixels) {
    EXPECT_EQ(report::NoteWrapWidth(1, 7.5, 96), 600);
    EXPECT_EQ(report::NoteWrapWidth(1, 7.5, 97), 606);
    EXPECT_EQ(report::NoteWrapWidth(1, 10, 120), 1050);
    EXPECT_EQ(report::NoteWrapWidth(1, 1.2, 96), -4);
}

}  // namespace
