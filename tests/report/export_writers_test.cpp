// The three exports to the byte on a task file holding every kind of field text, the empty
// task set, the walk under a filter and order, note wrapping, and failed writes that leave the
// earlier file whole.
#include "report/export/writers.h"

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "exchange/task_readers.h"
#include "report/export/note_lines.h"
#include "report_test_support.h"
#include "rtl/ansi.h"
#include "rtl/text.h"

namespace {

using report_test::kFifty;

// Text columns as the test states them: each text padded with blanks or cut to its width.
std::string Columns(std::initializer_list<std::pair<std::string, std::size_t>> columns) {
    std::string line;
    for (const auto& [text, width] : columns) {
        std::string column = text.substr(0, width);
        column.append(width - column.size(), ' ');
        line += column;
    }
    return line;
}

std::string TextRow(const std::string& task, const std::string& date, const std::string& time,
                    const std::string& priority, const std::string& done) {
    return Columns({{task, 50}, {date, 12}, {time, 9}, {priority, 9}, {done, 4}});
}

const char kTitle[] = "T<&>{}\\\xE9";

std::vector<std::string> HtmlHeading() {
    return {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">",
            "<HTML>",
            "<HEAD>",
            "<TITLE>T&lt;&amp;&gt;{}\\\xE9</TITLE>",
            "</HEAD>",
            "<BODY BGCOLOR=#FFFF80>",
            "<h1 ALIGN=\"CENTER\">T&lt;&amp;&gt;{}\\\xE9</h1>",
            "<hr>",
            "<TABLE BORDER WIDTH=100%>",
            "<TR>",
            "<TH>Task<TH>Date<TH>Time<TH>Priority<TH>Done?"};
}
const std::vector<std::string> kHtmlClosing = {"</TABLE>", "</BODY>", "</HTML>"};
const char kHtmlNoteEnd[] =
    "</I><FONT SIZE=+1></BLOCKQUOTE></TD><TD NOWRAP></BR></TD><TD NOWRAP></BR></TD>"
    "<TD NOWRAP></BR></TD></TR>";

std::vector<std::string> RtfHeading() {
    const char* edge =
        R"(\clbrdrt\brdrs\clbrdrb\brdrs\clbrdrl\brdrs\clbrdrr\brdrs\brdrw0\brdrcf0\cellx)";
    const char* head = R"(\intbl \sb40\sl\sa40 \plain\f0\fs20\cf1\b )";
    return {R"({\rtf1\ansi\deff0\deftab720)",
            R"({\fonttbl{\f0\fnil\charset0 Times New Roman;}})",
            R"({\colortbl)",
            R"(\red0\green0\blue0;\red0\green0\blue0;\red0\green0\blue255;)",
            R"(\red0\green255\blue255;\red0\green255\blue0;\red255\green0\blue255;)",
            R"(\red255\green0\blue0;\red255\green255\blue0;\red255\green255\blue255;)",
            R"(\red0\green0\blue128;\red0\green128\blue128;\red0\green128\blue0;)",
            R"(\red128\green0\blue128;\red128\green0\blue0;\red128\green128\blue0;)",
            R"(\red0\green0\blue0;})",
            R"(\margl1440\margr1440\margt1440\margb1440)",
            R"({\qc\plain\f0\fs28\cf1\b)",
            R"(T<&>\{\}\\\'e9)",
            R"(\par\plain\fs20\ql\par)",
            R"({\pard\trowd\trgaph57\trleft0)",
            std::string(edge) + "5100",
            std::string(edge) + "6600",
            std::string(edge) + "7630",
            std::string(edge) + "8600",
            std::string(edge) + "9360",
            std::string(head) + R"(Task\cell)",
            std::string(head) + R"(Date\cell)",
            std::string(head) + R"(Time\cell)",
            std::string(head) + R"(Priority\cell)",
            std::string(head) + R"(Done\cell\row)"};
}

// The five cell lines of an RTF row.
std::vector<std::string> RtfRow(std::vector<std::string> texts) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        lines.push_back(R"(\intbl \sb40\sl\sa40 \plain\f0\fs20\cf1 )" + texts[i] +
                        (i + 1 == texts.size() ? R"(\cell\row)" : R"(\cell)"));
    }
    return lines;
}
// The lines of an RTF note row around its note lines.
std::vector<std::string> RtfNote(std::vector<std::string> noteLines) {
    std::vector<std::string> lines = {R"(\intbl \sb0\sl\sa0 \plain\f0\fs16\cf1\i\li180 )"};
    lines.insert(lines.end(), noteLines.begin(), noteLines.end());
    lines.insert(lines.end(), {R"(\cell)", R"(\intbl \sb40\sl\sa40 \plain\f0\fs20\cf1\li0 \cell)",
                               R"(\intbl \sb40\sl\sa40 \plain\f0\fs20\cf1 \cell)",
                               R"(\intbl \sb40\sl\sa40 \plain\f0\fs20\cf1 \cell\row)"});
    return lines;
}

template <class T>
std::vector<T> Join(std::initializer_list<std::vector<T>> parts) {
    std::vector<T> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

using Kind = report::ExportFormat;

// Counts what a view bound to the task table hears.
class HeardLink : public store::TDataLink {
  public:
    void DataSetChanged() override { ++count; }
    void RecordChanged() override { ++count; }
    int count = 0;
};

class ExportTest : public report_test::ReportStoreTest {
  protected:
    xbase::Status Run(Kind kind, const std::string& file, bool notes = true) {
        const report::ExportJob job{Store().TodoTable, Store().TodoEngine, measure_};
        return report::CopyTasks(kind, job, file, kTitle, notes, "FFFF80");
    }

    report_test::FixedMeasure measure_;
};

TEST_F(ExportTest, EveryFormatToTheByte) {
    OpenTasks(report_test::EveryKindOfTask());
    const std::string longDate = "05 Janvier\xE9t\xE9 2027";
    const std::string htmlRows[] = {
        "<TD WRAP></BR></TD><TD NOWRAP></BR></TD><TD NOWRAP></BR></TD><TD NOWRAP></BR></TD>"
        "<TD NOWRAP>N</TD></TR>",
        std::string("<TD WRAP>") + kFifty + "</TD><TD NOWRAP>" + longDate +
            "</TD><TD NOWRAP> 01:05pm</TD><TD NOWRAP>High</TD><TD NOWRAP>N</TD></TR>",
        "<TD WRAP>Caf\xE9 cr\xE8me \x80 5</TD><TD NOWRAP>10 Feb 2027</TD><TD NOWRAP> 12:00am</TD>"
        "<TD NOWRAP>Medium</TD><TD NOWRAP>Y</TD></TR>",
        "<TD WRAP>Buy &lt;milk&gt; &amp; {eggs} \\ now</TD><TD NOWRAP>01 Mar 2027</TD>"
        "<TD NOWRAP></BR></TD><TD NOWRAP>Low</TD><TD NOWRAP>N</TD></TR>",
        "<TD WRAP>Wrap</TD><TD NOWRAP>02 Apr 2027</TD><TD NOWRAP> 09:30am</TD>"
        "<TD NOWRAP>High</TD><TD NOWRAP>N</TD></TR>",
    };
    const std::string quote = "<TD WRAP><FONT SIZE=-1><I><BLOCKQUOTE>";
    const std::vector<std::string> html = Join<std::string>({
        HtmlHeading(),
        {"<TR>", htmlRows[0], "<TR>", quote + " ", "<BR> ", kHtmlNoteEnd},
        {"<TR>", htmlRows[1]},
        {"<TR>", htmlRows[2], "<TR>", quote + "Call back ", kHtmlNoteEnd},
        {"<TR>", htmlRows[3], "<TR>", quote + "First ", "<BR> ", "<BR>Third &lt;b&gt;{x}\\ ",
         kHtmlNoteEnd},
        {"<TR>", htmlRows[4], "<TR>",
         quote + "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda ", "<BR>mu ",
         kHtmlNoteEnd},
        kHtmlClosing,
    });

    const std::vector<std::string> rtf = Join<std::string>({
        RtfHeading(),
        RtfRow({"", "", "", "", "N"}),
        RtfNote({" ", R"(\par  )"}),
        RtfRow({kFifty, R"(05 Janvier\'e9t\'e9 2027)", " 01:05pm", "High", "N"}),
        RtfRow({R"(Caf\'e9 cr\'e8me \'80 5)", "10 Feb 2027", " 12:00am", "Medium", "Y"}),
        RtfNote({"Call back "}),
        RtfRow({R"(Buy <milk> & \{eggs\} \\ now)", "01 Mar 2027", "", "Low", "N"}),
        RtfNote({"First ", R"(\par  )", R"(\par Third <b>\{x\}\\ )"}),
        RtfRow({"Wrap", "02 Apr 2027", " 09:30am", "High", "N"}),
        RtfNote(
            {"alpha beta gamma delta epsilon zeta eta theta ", R"(\par iota kappa lambda mu )"}),
        {"}}}"},
    });

    const std::vector<std::string> textHeading = {
        kTitle, "", "",
        Columns({{"Task", 51}, {"Date", 12}, {"Time", 8}, {"Priority", 9}, {"Done", 4}}),
        std::string(84, '=')};
    const std::string textRows[] = {
        TextRow("", "", "", "", "N"),
        TextRow(kFifty, longDate, " 01:05pm", "High", "N"),
        TextRow("Caf\xE9 cr\xE8me \x80 5", "10 Feb 2027", " 12:00am", "Medium", "Y"),
        TextRow("Buy <milk> & {eggs} \\ now", "01 Mar 2027", "", "Low", "N"),
        TextRow("Wrap", "02 Apr 2027", " 09:30am", "High", "N"),
    };
    const std::vector<std::string> text = Join<std::string>({
        textHeading,
        {textRows[0], "   ", "   "},
        {textRows[1]},
        {textRows[2], "   Call back"},
        {textRows[3], "   First", "   ", "   Third <b>{x}\\"},
        {textRows[4], "   alpha beta gamma delta epsilon", "   zeta eta theta iota kappa lambda",
         "   mu"},
    });
    const std::vector<std::string> textWithoutNotes =
        Join<std::string>({textHeading, {std::begin(textRows), std::end(textRows)}});

    struct Case {
        Kind kind;
        bool notes;
        std::vector<std::string> lines;
    } cases[] = {
        {Kind::kHtml, true, html},
        {Kind::kRtf, true, rtf},
        {Kind::kText, true, text},
        {Kind::kText, false, textWithoutNotes},
    };
    // The walk reads past the record set: its current task stays current, and a view bound
    // to it hears nothing, where a walk that moved the set had every view follow each task.
    store::TTable& table = Store().TodoTable;
    ASSERT_EQ(table.Next(), store::dbi::kOk);
    const std::optional<std::int32_t> current = table.GetBookmark();
    ASSERT_TRUE(current.has_value());
    store::TDataSource source;
    source.SetDataSet(&table);
    HeardLink heard;
    heard.SetDataSource(&source);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const std::string file = PathOf("out");
        const xbase::Status result = Run(c.kind, file, c.notes);
        ASSERT_TRUE(result.ok()) << result.message();
        EXPECT_EQ(ReadFile(file), Lines(c.lines));
        EXPECT_EQ(table.GetBookmark(), current);
        EXPECT_FALSE(table.Eof());
        EXPECT_EQ(heard.count, 0);
        // The engine stands where the set does, so the set's next step is the task after it.
        ASSERT_EQ(table.Next(), store::dbi::kOk);
        EXPECT_EQ(table.FieldByName("DESCRIPT")->AsString(), "Caf\xE9 cr\xE8me \x80 5");
        ASSERT_EQ(table.GotoBookmark(*current), store::dbi::kOk);
        heard.count = 0;
    }

    // An empty task set: the heading and closing lines alone.
    Store().TodoEngine.ApplyFilter("DESCRIPT = \"none such\"");
    const std::string file = PathOf("empty");
    ASSERT_TRUE(Run(Kind::kHtml, file).ok());
    EXPECT_EQ(ReadFile(file), Lines(Join<std::string>({HtmlHeading(), kHtmlClosing})));
    ASSERT_TRUE(Run(Kind::kRtf, file).ok());
    EXPECT_EQ(ReadFile(file), Lines(Join<std::string>({RtfHeading(), {"}}}"}})));
    ASSERT_TRUE(Run(Kind::kText, file).ok());
    EXPECT_EQ(ReadFile(file), Lines(textHeading));
}

// The dialog's progress lets messages through between tasks; whatever they run may move the
// engine (the set following the grid, rows read for a repaint), and the walk goes on from the
// task it last wrote all the same.
TEST_F(ExportTest, WalkGoesOnFromItsLastTaskWhateverMovesTheEngineMeanwhile) {
    OpenTasks(store_test::NumberedTasks(12));
    store::TTable& table = Store().TodoTable;
    ASSERT_TRUE(Run(Kind::kText, PathOf("undisturbed")).ok());
    const std::function<void()> moves[] = {
        [&] { table.First(); },
        [&] { table.Last(); },
        [&] {
            std::vector<store::TRow> rows;
            table.ReadRows(3, rows);
        },
    };
    for (std::size_t i = 0; i < std::size(moves); ++i) {
        SCOPED_TRACE(i);
        const report::ExportJob job{table, Store().TodoEngine, measure_, [&](int, int) {
                                        moves[i]();
                                        return true;
                                    }};
        ASSERT_TRUE(report::CopyTasks(Kind::kText, job, PathOf("out"), kTitle, true, {}).ok());
        EXPECT_EQ(ReadFile(PathOf("out")), ReadFile(PathOf("undisturbed")));
    }
}

TEST_F(ExportTest, WalkFollowsFilterAndOrder) {
    OpenTasks(store_test::NumberedTasks(12));
    store::TEngineComponent& engine = Store().TodoEngine;
    engine.SetOrder(engine.TagOrder("DESCRIPT"));
    engine.ApplyFilter("(.not.DONE).and.(\"EVEN\"$UPPER(KEYS))");
    ASSERT_TRUE(Run(Kind::kText, PathOf("out"), false).ok());
    std::vector<std::string> tasks;
    std::istringstream in(ReadFile(PathOf("out")));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Task 0", 0) == 0) {
            tasks.push_back(line.substr(0, 9));
        }
    }
    EXPECT_EQ(tasks,
              (std::vector<std::string>{"Task 0002", "Task 0004", "Task 0008", "Task 0010"}));
}

TEST(NoteLines, WrapAndAbsentNotes) {
    struct Case {
        const char* note;
        int width;
        std::vector<std::string> lines;
    } cases[] = {
        {"", 60, {}},
        {"   ", 60, {}},
        {"  \r\n", 60, {}},
        {"a\r\n", 60, {"a"}},
        {"a\r\n\r\n", 60, {"a", ""}},
        {"\r\n\r\n", 60, {"", ""}},
        {"x  \ny\rz", 60, {"x", "y", "z"}},
        {"  lead", 60, {"  lead"}},
        {"abcdefghij", 24, {"abcd", "efgh", "ij"}},
        {"ab   cd", 24, {"ab", "cd"}},
        {"a b c d", 18, {"a b", "c d"}},
        {"abc", 3, {"a", "b", "c"}},
    };
    const report_test::FixedMeasure measure;
    for (const Case& c : cases) {
        EXPECT_EQ(report::NoteLines(c.note, c.width, measure), c.lines) << c.note;
    }
}

// Lines are found by halving, not by measuring each prefix: in a proportional font with
// kerning (narrower pairs) they break where measuring every prefix in turn breaks them.
TEST(NoteLines, BreakWhereEveryPrefixMeasuredBreaks) {
    class KernedMeasure : public report::TextMeasure {
      public:
        int TextWidth(std::string_view text) const override {
            int width = 0;
            for (std::size_t i = 0; i < text.size(); ++i) {
                width += text[i] == 'i' ? 2 : text[i] == 'm' ? 9 : 5;
                if (i > 0 && text[i - 1] == 'A' && text[i] == 'V') {
                    width -= 2;
                }
            }
            return width;
        }
    };
    // The longest prefix that fits, backed up to after its last blank run.
    auto byEveryPrefix = [](std::string_view text, int width, const report::TextMeasure& m) {
        std::vector<std::string> lines;
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = start;
            std::size_t lastBreak = std::string_view::npos;
            while (end < text.size()) {
                if (text[end] == ' ') {
                    while (end < text.size() && text[end] == ' ') {
                        ++end;
                    }
                    lastBreak = end;
                    continue;
                }
                if (m.TextWidth(text.substr(start, end + 1 - start)) > width) {
                    break;
                }
                ++end;
            }
            if (end < text.size()) {
                end = lastBreak != std::string_view::npos ? lastBreak
                      : end == start                      ? start + 1
                                                          : end;
            }
            lines.emplace_back(rtl::TrimTrailingSpaces(text.substr(start, end - start)));
            start = end;
        }
        return lines;
    };
    const KernedMeasure measure;
    const char alphabet[] = "AVimx  ";
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = 1 + round % 70;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1664525u + 1013904223u;
            text += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        const int width = 1 + round % 61;
        std::vector<std::string> expected = byEveryPrefix(text, width, measure);
        if (expected.size() == 1 && rtl::TrimSpaces(expected.front()).empty()) {
            expected.clear();
        }
        ASSERT_EQ(report::NoteLines(text, width, measure), expected)
            << '"' << text << "\" at " << width;
    }
}

// A note that cannot be read (its memo file cut short) fails an export that copies notes,
// rather than giving a report that passes for whole without it; one without notes never
// reads them.
TEST_F(ExportTest, UnreadableNoteFailsAnExportThatCopiesNotes) {
    OpenTasks(report_test::EveryKindOfTask());
    Store().TodoTable.Close();
    std::filesystem::resize_file(PathOf("QUILX.FPT"), 512);
    ASSERT_EQ(Store().TodoTable.Open(), store::dbi::kOk);
    WriteFile(PathOf("out.txt"), "earlier");

    const xbase::Status withNotes = Run(Kind::kText, PathOf("out.txt"), true);
    EXPECT_FALSE(withNotes.ok());
    EXPECT_FALSE(withNotes.message().empty());
    EXPECT_EQ(ReadFile(PathOf("out.txt")), "earlier");
    EXPECT_TRUE(Run(Kind::kText, PathOf("out.txt"), false).ok());
}

// A file that cannot be made or fails part-way leaves the earlier file as it was, and no
// half-written copy beside it.
TEST_F(ExportTest, FailedWriteLeavesEarlierFileWhole) {
    OpenTasks(report_test::EveryKindOfTask());
    const std::string earlier = "earlier export\r\n";
    WriteFile(PathOf("out.htm"), earlier);

    EXPECT_FALSE(Run(Kind::kHtml, PathOf("gone/out.htm")).ok());

    // The file system refuses the write past 200 bytes (as a full disk would).
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 200;
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const xbase::Status result = Run(Kind::kHtml, PathOf("out.htm"));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.message().find(PathOf("out.htm")), std::string::npos) << result.message();
    EXPECT_EQ(ReadFile(PathOf("out.htm")), earlier);
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
        EXPECT_EQ(entry.path().filename().string().find("out.htm."), std::string::npos)
            << entry.path();
        EXPECT_EQ(entry.path().filename().string().find(".quillet-export."), std::string::npos)
            << entry.path();
    }
}

TEST(ExportTexts, MendedCharacters) {
    EXPECT_EQ(report::EscapeHtml("a<b>&c\"'{}\\\xE9"), "a&lt;b&gt;&amp;c\"'{}\\\xE9");
    EXPECT_EQ(report::EscapeRtf("a<b>&{}\\\x80\xFF\x7F"), "a<b>&\\{\\}\\\\\\'80\\'ff\x7F");
    EXPECT_EQ(report::PadField("abc", 5), "abc  ");
    EXPECT_EQ(report::PadField("abcdef", 4), "abcd");
}

// The exports for other programs carry every stored field of every task in the set, notes
// always, each iCalendar task with the UID the job gives its record.
TEST_F(ExportTest, ICalendarAndCsvCarryEveryStoredField) {
    const std::vector<store_test::Task> tasks = report_test::EveryKindOfTask();
    OpenTasks(tasks);
    std::vector<std::int32_t> asked;
    report::ExportJob job{Store().TodoTable, Store().TodoEngine, measure_};
    job.uid = [&asked](std::int32_t record, const store::TaskEntry& task) {
        asked.push_back(record);
        return "uid-" + std::to_string(record) + "-" + std::to_string(task.descript.size());
    };
    for (const Kind kind : {Kind::kICalendar, Kind::kCsv}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const std::string file = PathOf("out");
        const xbase::Status result = report::CopyTasks(kind, job, file, kTitle, false, "FFFF80");
        ASSERT_TRUE(result.ok()) << result.message();
        const exchange::ReadResult read = exchange::ReadTasks(ReadFile(file));
        ASSERT_TRUE(read.ok()) << read.ErrorText();
        ASSERT_EQ(read.tasks.size(), tasks.size());
        for (std::size_t i = 0; i < tasks.size(); ++i) {
            const store::TaskEntry& got = read.tasks[i].entry;
            const store_test::Task& want = tasks[i];
            EXPECT_EQ(got.date, want.date);
            EXPECT_EQ(got.time, want.time);
            EXPECT_EQ(got.descript, want.descript);
            EXPECT_EQ(got.note, want.note);
            EXPECT_EQ(got.done, want.done);
            EXPECT_EQ(got.keys, want.keys);
            EXPECT_EQ(got.priority, rtl::AnsiUpperCase(want.priority));
            if (kind == Kind::kICalendar) {
                // The file's tasks are in date order; their records are 1 to 5 as written.
                const auto record = static_cast<std::int32_t>(i + 1);
                EXPECT_EQ(read.tasks[i].uid,
                          "uid-" + std::to_string(record) + "-" +
                              std::to_string(want.descript.size()));
            }
        }
        EXPECT_EQ(ReadFile(file).find(kTitle), std::string::npos);
    }
    EXPECT_EQ(asked, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));

    job.uid = {};
    EXPECT_FALSE(report::CopyTasks(Kind::kICalendar, job, PathOf("none"), kTitle, true, "").ok());
    EXPECT_FALSE(Exists("none"));
}

}  // namespace
