// The report model's arithmetic and run sequence, drawn on a surface that records each call.
#include "report/model/base_report.h"

#include "fake_surface.h"
#include "report/model/block_text.h"
#include "report/model/page_selection.h"
#include "report/model/report_messages.h"
#include "report/model/status_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using report::TBaseReport;
using report::TPrintJustify;
using report::TPrintUnits;
using report_test::FakeSurface;
using ::testing::ElementsAre;

// A report on a fake device: Letter paper at 100 dots per inch, every output step logged.
class TestReport : public TBaseReport {
  public:
    FakeSurface surface;
    std::vector<std::string> log;
    report::TDestKind kind = report::TDestKind::Printer;

    TestReport() {
        OnBeforePrint = [this](TBaseReport&) { log.push_back("before"); };
        OnNewPage = [this](TBaseReport& r) {
            log.push_back("new page " + std::to_string(r.PageNumber()));
        };
        OnPrintHeader = [this](TBaseReport&) { log.push_back("header"); };
        OnPrintFooter = [this](TBaseReport&) { log.push_back("footer"); };
        OnAfterPrint = [this](TBaseReport&) { log.push_back("after"); };
    }

  protected:
    report::ReportSurface& Surface() override { return surface; }
    report::TDestKind DestKind() const override { return kind; }
    report::DeviceNames Names() const override { return {"Laser", "PCL", "LPT1:"}; }
    xbase::Status OpenOutput() override {
        log.push_back("open");
        SetGeometry({8.5, 11, 0.25, 0.25, 0.2, 0.2, 100, 100});
        return {};
    }
    xbase::Status PageStarted() override {
        log.push_back(PageSkipped() ? "device page (off)" : "device page");
        return {};
    }
    xbase::Status PageEnding() override {
        log.push_back("device page end");
        return {};
    }
    xbase::Status CloseOutput() override {
        log.push_back(Aborted() ? "abandon" : "finish");
        return {};
    }
};

TEST(BaseReport, SettingsKeepTheirRanges) {
    TestReport r;
    r.SetTabShade(150);
    EXPECT_EQ(r.TabShade(), 100);
    r.SetTabShade(-5);
    EXPECT_EQ(r.TabShade(), 0);

    r.SetLinesPerInch(0);
    EXPECT_EQ(r.LinesPerInch(), 6);
    r.SetLinesPerInch(8);
    EXPECT_DOUBLE_EQ(r.LineSpacing(), 0.125);

    r.SelectFont("Courier New", 12);
    r.SetFontBold(true);
    r.SetFontRotation(-90);
    EXPECT_EQ(r.Font().rotation, 270);
    r.SelectFont("Times New Roman", 0);  // ignored whole, the name too
    EXPECT_EQ(r.Font().name, "Courier New");
    EXPECT_TRUE(r.Font().bold);
    r.SetFontSuperscript(true);
    r.SetFontSubscript(true);
    EXPECT_FALSE(r.Font().superscript);
    r.SelectFont("Times New Roman", 9);  // clears every style
    EXPECT_EQ(r.Font(), (report::ReportFont{.name = "Times New Roman", .size = 9}));
}

TEST(BaseReport, UnitsFactorChoosesUnitsAndEveryLengthFollows) {
    struct Case {
        double factor;
        TPrintUnits units;
        double expectedFactor;
    };
    const Case cases[] = {
        {1, TPrintUnits::unInch, 1},     {25.4, TPrintUnits::unMM, 25.4},
        {2.54, TPrintUnits::unCM, 2.54}, {72, TPrintUnits::unPoint, 72},
        {3, TPrintUnits::unUser, 3},     {0, TPrintUnits::unInch, 1},
        {-2, TPrintUnits::unInch, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.factor);
        TestReport r;
        r.SetUnitsFactor(c.factor);
        EXPECT_EQ(r.Units(), c.units);
        EXPECT_DOUBLE_EQ(r.UnitsFactor(), c.expectedFactor);
        EXPECT_DOUBLE_EQ(r.PaperWidth(), 8.5 * c.expectedFactor);
        // One inch from the left edge, given in the report's units, lands at one inch.
        r.SetMarginLeft(c.expectedFactor);
        ASSERT_TRUE(r.Begin());
        EXPECT_DOUBLE_EQ(r.AreaLeft(), c.expectedFactor);
        EXPECT_DOUBLE_EQ(r.AreaRight(), 8.5 * c.expectedFactor);
        ASSERT_TRUE(r.PrintAt("x", 2 * c.expectedFactor));
        EXPECT_EQ(r.surface.Drawn().back(), "left (2.000,0.117) x");
        EXPECT_NEAR(r.CursorX(), 2.1 * c.expectedFactor, 1e-9);
    }
    TestReport r;
    r.SetUnits(TPrintUnits::unCM);
    EXPECT_DOUBLE_EQ(r.UnitsFactor(), 2.54);
    r.SetUnits(TPrintUnits::unUser);  // keeps the factor it has
    EXPECT_DOUBLE_EQ(r.UnitsFactor(), 2.54);
}

TEST(BaseReport, MarginsAndAreaEdgesPushTheCursor) {
    TestReport r;
    r.SetMarginLeft(1);
    r.SetMarginRight(1.5);
    r.SetMarginTop(0.5);
    r.SetMarginBottom(2);
    ASSERT_TRUE(r.Begin());
    EXPECT_DOUBLE_EQ(r.AreaRight(), 7);
    EXPECT_DOUBLE_EQ(r.AreaBottom(), 9);

    r.MoveCursor(3, 4);
    r.SetAreaLeft(5);  // past the cursor: the cursor follows
    EXPECT_DOUBLE_EQ(r.CursorX(), 5);
    r.SetAreaRight(4.5);
    EXPECT_DOUBLE_EQ(r.CursorX(), 4.5);
    r.SetAreaTop(6);
    EXPECT_DOUBLE_EQ(r.CursorY(), 6);
    r.SetAreaBottom(5);
    EXPECT_DOUBLE_EQ(r.CursorY(), 5);
    r.SetAreaBottom(8);  // away from the cursor: it stays
    EXPECT_DOUBLE_EQ(r.CursorY(), 5);

    r.ResetArea();
    EXPECT_DOUBLE_EQ(r.AreaLeft(), 1);
    EXPECT_DOUBLE_EQ(r.AreaTop(), 0.5);
}

TEST(BaseReport, LinesFollowTheHeightMethodAndTheAreaBottom) {
    TestReport r;
    r.SetMarginTop(1);
    r.SetMarginBottom(1);  // lines end at 10 inches
    int sections = 0;
    r.OnEndOfSection = [&](TBaseReport&) { ++sections; };
    ASSERT_TRUE(r.Begin());
    // 10 points: ascent 0.1, descent 0.05; six lines to the inch.
    EXPECT_DOUBLE_EQ(r.FontDescent(), 0.05);
    EXPECT_NEAR(r.CursorY(), 1 + 1.0 / 6 - 0.05, 1e-12);
    EXPECT_EQ(r.LinesRemaining(), 54);
    r.GotoLine(54);  // its bottom lies on the area's bottom
    EXPECT_EQ(r.LinesRemaining(), 1);
    EXPECT_EQ(sections, 0);
    r.AdvanceLine();
    EXPECT_EQ(r.LineNum(), 55);
    EXPECT_EQ(r.LinesRemaining(), 0);
    EXPECT_EQ(sections, 1);

    r.SetLineHeightMethod(report::TLineHeightMethod::lhmFont);
    r.SelectFont("Arial", 15);
    EXPECT_DOUBLE_EQ(r.LineSpacing(), 0.25);  // 120 percent of 15 points
    r.SetLineHeightMethod(report::TLineHeightMethod::lhmUser);
    r.SetLineSpacing(0.5);
    r.SelectFont("Arial", 30);
    EXPECT_DOUBLE_EQ(r.LineSpacing(), 0.5);
    const double y = r.CursorY();
    r.AdvanceLine();
    EXPECT_DOUBLE_EQ(r.CursorY(), y + 0.5);
}

TEST(BaseReport, AFullColumnContinuesInTheNextAndTheLastOneRunsOn) {
    TestReport r;
    r.SetMarginLeft(1);
    r.SetMarginTop(1);
    r.SetMarginBottom(11 - 3.05);
    r.SetLinesPerInch(1);  // lines an inch apart, bottoms at 2 and 3: the area holds two
    int newColumns = 0;
    r.OnNewColumn = [&](TBaseReport&) { ++newColumns; };
    ASSERT_TRUE(r.Begin());
    r.SetColumns(2);
    r.SetColumnWidth(3);
    r.MoveCursor(2.5, r.CursorY());
    EXPECT_EQ(r.LinesRemaining(), 2);
    r.AdvanceLine();  // line 2 still fits in column 1
    EXPECT_EQ(r.LineNum(), 2);
    EXPECT_DOUBLE_EQ(r.CursorX(), 1);
    r.AdvanceLine();  // column 2, line 1
    EXPECT_EQ(newColumns, 1);
    EXPECT_EQ(r.ColumnNum(), 2);
    EXPECT_EQ(r.LineNum(), 1);
    EXPECT_DOUBLE_EQ(r.CursorX(), 4);
    EXPECT_DOUBLE_EQ(r.CursorY(), 1 + 1 - 0.05);
    r.AdvanceLine();
    r.AdvanceLine();  // the last column runs on past the bottom
    EXPECT_EQ(r.ColumnNum(), 2);
    EXPECT_EQ(r.LineNum(), 3);
    EXPECT_EQ(newColumns, 1);
}

TEST(BaseReport, TextAtPositionsMovesTheCursorAndCellsJustifyInside) {
    TestReport r;
    r.SetMarginLeft(1);
    ASSERT_TRUE(r.Begin());
    r.surface.calls.clear();
    const double y = r.CursorY();

    ASSERT_TRUE(r.PrintRightAt("abcd", 5));
    EXPECT_DOUBLE_EQ(r.CursorX(), 5);
    ASSERT_TRUE(r.PrintCentredAt("abcd", 3));
    EXPECT_DOUBLE_EQ(r.CursorX(), 3.2);
    ASSERT_TRUE(r.PrintJustified("a b", 1, 2));
    EXPECT_DOUBLE_EQ(r.CursorX(), 3);

    // Cells: 2 wide, margin 0.1 inch; the second and third continue where the one before ends.
    r.AddTabStop(1, TPrintJustify::pjLeft, 2, 10, 0, 0);
    r.AddTabStop(-1, TPrintJustify::pjRight, 2, 10, 0, 0);
    r.AddTabStop(-1, TPrintJustify::pjCenter, 2, 10, 0, 0);
    r.AddTabStop(-1, TPrintJustify::pjBlock, 2, 10, 0, 0);
    r.AddTabStop(-1, TPrintJustify::pjRight, 0, 0, 0, 0);  // no cell: right at its position
    r.SetOriginX(0.5);
    r.MoveCursor(0, y);
    ASSERT_TRUE(r.PrintTextLine("lead\tA\tBB\tCCC\td d\tE\tpast the last stop"));
    const std::string b = FakeSurface::Num(y);
    EXPECT_THAT(
        r.surface.Drawn(),
        ElementsAre("right (5.000," + b + ") abcd", "centre (3.000," + b + ") abcd",
                    "block (1.000," + b + ") a b w2.000",
                    "left (0.500," + b + ") lead",         // at the cursor, origin added
                    "left (1.600," + b + ") A",            // 1 + margin
                    "right (5.400," + b + ") BB",          // 3 + 2 - margin
                    "centre (6.500," + b + ") CCC",        // 5 + 2 / 2
                    "block (7.600," + b + ") d d w1.800",  // 7 + margin, 2 - 2 x margin
                    "right (9.500," + b + ") E", "left (9.500," + b + ") past the last stop"));
    EXPECT_EQ(r.LineNum(), 2);
    EXPECT_EQ(r.TabIndex(), -1);  // a new line starts before the first stop
}

TEST(BaseReport, ACellIsShadedThenBordered) {
    TestReport r;
    r.SetTabShade(10);
    ASSERT_TRUE(r.Begin());
    r.SetPen({0x0000FF, report::PenMode::Copy, report::PenStyle::Dot, 0.02});
    // Line 1: baseline 1/6 - 0.05, bottom 1/6; the cell spans one line spacing above it.
    r.AddTabStop(1, TPrintJustify::pjLeft, 2, 0, report::kBorderLeft | report::kBorderBottom, 0);
    r.AddTabStop(-1, TPrintJustify::pjLeft, 1, 0, 0, 50);
    r.AddTabStop(-1, TPrintJustify::pjLeft, 1, 0, report::kBorderTop, 0);

    const auto cell = [&](const report::TabCellOverride& override) {
        r.surface.calls.clear();
        EXPECT_TRUE(r.NextTabStop(override));
        return r.surface.calls;
    };
    // The report's shade, in a clear pen; the borders in the report's own pen; the pen and
    // brush the report chose come back after the shading.
    EXPECT_THAT(
        cell({}),
        ElementsAre("pen 0000FF style5 0.020", "brush E5E5E5 style0", "bk 0 FFFFFF",
                    "shade (1.000,0.000) (3.000,0.167) E5E5E5 clearpen", "pen 0000FF style2 0.020",
                    "brush 000000 style1", "bk 0 FFFFFF", "move (1.000,0.000)",
                    "line (1.000,0.167)", "move (1.000,0.167)", "line (3.000,0.167)"));
    // The stop's own shade wins over the report's; the call's over both. Border widths from the
    // call: thousandths of an inch when negative, device dots when positive, 0 for none.
    const std::vector<std::string> second = cell({.shade = 0, .right = -20, .top = 3});
    EXPECT_THAT(second,
                ElementsAre("pen 000000 style0 0.020", "move (4.000,0.000)", "line (4.000,0.167)",
                            "pen 0000FF style2 0.020", "pen 000000 style0 0.030",
                            "move (3.000,0.000)", "line (4.000,0.000)", "pen 0000FF style2 0.020"));
    EXPECT_THAT(cell({.top = 0}),
                ElementsAre("pen 0000FF style5 0.020", "brush E5E5E5 style0", "bk 0 FFFFFF",
                            "shade (4.000,0.000) (5.000,0.167) E5E5E5 clearpen",
                            "pen 0000FF style2 0.020", "brush 000000 style1", "bk 0 FFFFFF"));
    EXPECT_TRUE(cell({}).empty());  // past the last stop
}

TEST(BaseReport, SavedTabStopsComeBackAsTheyWereSaved) {
    TestReport r;
    r.AddTabStop(1, TPrintJustify::pjLeft, 1, 0, 0, 0);
    r.SaveTabStops();
    r.AddTabStop(-1, TPrintJustify::pjLeft, 1, 0, 0, 0);  // changes the report's list only
    r.SaveTabStops();
    r.ClearTabStops();
    r.AddTabStop(5, TPrintJustify::pjRight, 1, 0, 0, 0);
    EXPECT_EQ(r.TabStops().size(), 1u);
    ASSERT_TRUE(r.RestoreTabStops());
    EXPECT_EQ(r.TabStops().size(), 2u);
    EXPECT_DOUBLE_EQ(r.TabStops()[1].position, 2);
    ASSERT_TRUE(r.RestoreTabStops());
    EXPECT_EQ(r.TabStops().size(), 1u);
    EXPECT_FALSE(r.RestoreTabStops());
}

TEST(BaseReport, GoingToALineStartsItBeforeTheFirstStop) {
    TestReport r;
    std::vector<double> starts;
    r.OnPrint = [&](TBaseReport& report) {
        report.AddTabStop(1, TPrintJustify::pjLeft, 1, 10, 0, 0);
        report.AddTabStop(-1, TPrintJustify::pjLeft, 1, 10, 0, 0);
        for (auto go :
             {+[](TBaseReport& t) { t.ToTopOfArea(); }, +[](TBaseReport& t) { t.GotoLine(3); },
              +[](TBaseReport& t) { t.GotoColumn(1); }}) {
            report.NextTabStop();
            report.NextTabStop();
            go(report);
            report.NextTabStop();
            starts.push_back(report.CellTextStart());
        }
    };
    EXPECT_TRUE(r.RunReport());
    EXPECT_THAT(starts, ElementsAre(1.1, 1.1, 1.1));
}

TEST(BaseReport, ARunFiresItsEventsInOrderAndSkipsUnselectedPages) {
    TestReport r;
    r.SetPageSelection("2");
    std::vector<std::string> status;
    r.OnStatus = [&](const std::string& text) { status.push_back(text); };
    r.SetStatusFormat("%p of %l on %d");
    r.OnPrintPage = [&](TBaseReport& report, int page) {
        EXPECT_TRUE(report.PrintAt("page " + std::to_string(page), 1));
        EXPECT_TRUE(report.DrawBox(1, 1, 2, 2));
        return page < 3;
    };
    ASSERT_TRUE(r.RunReport());
    EXPECT_THAT(r.log, ElementsAre("before", "open", "device page (off)", "new page 1", "header",
                                   "footer", "device page end", "device page", "new page 2",
                                   "header", "footer", "device page end", "device page (off)",
                                   "new page 3", "header", "footer", "finish", "after"));
    EXPECT_THAT(status,
                ElementsAre("1 of 9999 on Laser", "2 of 9999 on Laser", "3 of 9999 on Laser"));
    const auto drawn = r.surface.Drawn();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].substr(0, 4), "left");
    EXPECT_NE(drawn[0].find("page 2"), std::string::npos);
    EXPECT_FALSE(r.Active());
}

TEST(BaseReport, AnAbortDropsTheRestAndAbandonsTheDocument) {
    TestReport r;
    r.OnPrintPage = [&](TBaseReport& report, int page) {
        EXPECT_TRUE(report.PrintAt("kept", 1));
        if (page == 2)
            report.AbortReport();
        EXPECT_TRUE(report.PrintAt("dropped", 1));
        return true;
    };
    ASSERT_TRUE(r.RunReport());
    EXPECT_EQ(r.PageNumber(), 2);
    EXPECT_EQ(r.surface.Drawn().size(), 3u);  // kept, dropped and kept
    EXPECT_THAT(std::vector<std::string>(r.log.end() - 3, r.log.end()),
                ElementsAre("header", "abandon", "after"));  // no footer after an abort
}

TEST(BaseReport, AMemoWrapsAtSpacesWithinTheColumn) {
    TestReport r;
    r.SetMarginLeft(1);
    r.SetMarginRight(8.5 - 2);  // a column one inch wide: ten characters
    ASSERT_TRUE(r.Begin());
    r.surface.calls.clear();
    const std::string memo = "skip|one two three\r\n\nabcdefghijklmn  x|skip";
    ASSERT_TRUE(r.PrintMemo(memo, 5, memo.size() - 5));
    std::vector<std::string> texts;
    for (const auto& call : r.surface.Drawn())
        texts.push_back(call.substr(call.rfind(')') + 2));
    EXPECT_THAT(texts, ElementsAre("one two", "three", "abcdefghij", "klmn  x"));
    EXPECT_EQ(r.LineNum(), 6);  // the empty line is a line too
    EXPECT_EQ(r.PrintMemo(memo, 5, 5).message(), report::kMemoBufferRange);
}

TEST(BaseReport, ASecondRunStartsAfreshAfterAnAbortAndAScreenOnlySelection) {
    TestReport r;
    r.OnPrint = [](TBaseReport& report) {
        EXPECT_TRUE(report.SelectDestination(report::Destination::ScreenOnly));
        EXPECT_TRUE(report.PrintAt("screen only", 1));  // not for a printer
        report.AbortReport();
    };
    ASSERT_TRUE(r.RunReport());
    EXPECT_TRUE(r.surface.Drawn().back().starts_with("dest"));
    r.OnPrint = [](TBaseReport& report) { EXPECT_TRUE(report.PrintAt("printed", 1)); };
    ASSERT_TRUE(r.RunReport());
    EXPECT_FALSE(r.Aborted());
    EXPECT_TRUE(r.surface.Drawn().back().ends_with("printed"));
}

TEST(BaseReport, CallsOutOfTurnAreRefusedWithTheProgramsMessages) {
    TestReport r;
    EXPECT_EQ(r.PrintAt("x", 1).message(), report::kNotPrinting);
    EXPECT_EQ(r.DrawBox(0, 0, 1, 1).message(), report::kNotPrinting);
    EXPECT_EQ(r.NextTabStop().message(), report::kNotPrinting);
    EXPECT_EQ(r.StartNewPage().message(), report::kNotPrinting);
    EXPECT_EQ(r.End().message(), report::kNotPrinting);
    EXPECT_TRUE(r.SetCopies(3));
    r.OnPrint = [&](TBaseReport& report) {
        EXPECT_EQ(report.Begin().message(), report::kAlreadyPrinting);
        EXPECT_EQ(report.SetCopies(2).message(), report::kAlreadyPrinting);
    };
    EXPECT_TRUE(r.RunReport());
    EXPECT_EQ(r.Copies(), 3);
    EXPECT_TRUE(r.surface.Drawn().empty());
}

TEST(PageSelection, NamesPagesByNumbersAndRanges) {
    struct Case {
        const char* selection;
        std::vector<int> pages;  // of 1..8
    };
    const Case cases[] = {
        {"", {2, 3, 4}},  // FirstPage 2 to LastPage 4
        {"2-3,5", {2, 3, 5}}, {"4-", {4, 5, 6, 7, 8}}, {"-2", {1, 2}},
        {" 7 , 1 ", {1, 7}},  {"3-1,x,-,6-x,5", {5}},
    };
    for (const Case& c : cases) {
        std::vector<int> selected;
        for (int page = 1; page <= 8; ++page)
            if (report::PageSelected(c.selection, 2, 4, page))
                selected.push_back(page);
        EXPECT_EQ(selected, c.pages) << c.selection;
    }
}

TEST(StatusText, ReplacesEachTokenAndFlagsUnknownOnes) {
    report::StatusFields fields{{"zero", "one"}, "Laser", "PCL", "LPT1:", 2, 40, 3};
    const std::pair<const char*, const char*> cases[] = {
        {"Page %p of %x", "Page 3 of <ERROR-%X>"},
        {"Printing page %p", "Printing page 3"},
        {"%P %f-%L %D %r %t", "3 2-40 Laser PCL LPT1:"},
        {"%0/%1/%2/%9.", "zero/one//."},
        {"100%% done %", "100% done %"},
        {"%?", "<ERROR-%?>"},
        {"%\xE9", "<ERROR-%\xC9>"},  // upper case in the program's own code page
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(report::FormatStatus(format, fields), expected) << format;
}

TEST(ShadeColor, LightensTheBaseTowardsWhite) {
    const std::pair<int, report::Color> cases[] = {
        {10, 0xE5E5E5},  {0, 0xFFFFFF},  {100, 0x000000},
        {150, 0x000000}, {-3, 0xFFFFFF}, {50, 0x7F7F7F},
    };
    for (const auto& [percent, color] : cases)
        EXPECT_EQ(report::ShadeColor(percent), color) << percent;
    // 50 percent of pure red (0x0000FF as stored): red stays, blue and green rise halfway.
    EXPECT_EQ(report::ShadeColor(50, 0x0000FF), 0x7F7FFFu);
}

TEST(BlockText, SharesTheMissingWidthAmongTheGaps) {
    const auto measure = [](std::string_view t) { return static_cast<double>(t.size()); };
    struct Piece {
        std::string text;
        double x;
        bool operator==(const Piece&) const = default;
    };
    const auto layout = [&](std::string_view text, double width) {
        std::vector<Piece> out;
        for (const auto& p : report::LayoutBlock(text, width, measure))
            out.push_back({std::string(text.substr(p.start, p.length)), p.x});
        return out;
    };
    // 9 characters over 13: the two gaps take 2 each; the double space is one gap.
    EXPECT_EQ(layout("ab cd  ef", 13), (std::vector<Piece>{{"ab", 0}, {"cd", 5}, {"ef", 11}}));
    // Without inner spaces every two characters have a gap; a leading space is no gap.
    EXPECT_EQ(layout(" abc ", 9), (std::vector<Piece>{{"a", 1}, {"b", 4}, {"c", 7}}));
    EXPECT_EQ(layout("x", 9), (std::vector<Piece>{{"x", 0}}));
    EXPECT_TRUE(layout("   ", 9).empty());
}

}  // namespace
