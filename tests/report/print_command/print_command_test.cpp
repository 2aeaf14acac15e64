// quillet-report record and print: where the recorded stream puts the header, the headings,
// the rules and the first row on either paper; the PDF's columns in order; the task set's
// options; bad command lines (exit 2), a missing table or an unwritable output (exit 1); the
// real program without a display.
#include "report/print_command/print_command.h"

#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "platform/fonts/fonts.h"
#include "report/model/stream_dump.h"
#include "report_test_support.h"

namespace {

class PrintCommandTest : public report_test::ReportStoreTest {
  protected:
    // In date-and-time order: Dentist (no date), Report, Call, Garden (an invalid date and time).
    void SetUp() override {
        ReportStoreTest::SetUp();
        MakeTaskFile(store::kTaskTableName,
                     {{"20270402", "09:30", "Report", "", false, "work", "A"},
                      {"20271132", "25:00", "Garden", "", false, "home", "C"},
                      {"20270615", "", "Call", "ring back\r\nbefore noon", true, "work", "B"},
                      {"", "", "Dentist", "", false, "health", "B"}},
                     true);
    }

    int Run(const std::vector<std::string>& args) {
        std::ostringstream err;
        const int code = report::RunPrintedCommand(args, err).value_or(-1);
        err_ = err.str();
        return code;
    }

    // The stream's records without their offsets, one a line.
    std::vector<std::string> Records(const std::string& file) {
        const std::string bytes = ReadFile(file);
        std::ostringstream out;
        std::int64_t offset = -1;
        EXPECT_TRUE(report::stream::Dump(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, out, offset));
        std::vector<std::string> records;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);) {
            records.push_back(line.substr(line.find(' ') + 1));
        }
        return records;
    }

    static std::string PdfText(const std::string& pdf) {
        std::string text;
        FILE* pipe = ::popen(("pdftotext -layout '" + pdf + "' - 2>/dev/null").c_str(), "r");
        char buffer[4096];
        for (std::size_t n = 0; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            text.append(buffer, n);
        }
        if (pipe) {
            ::pclose(pipe);
        }
        return text;
    }

    std::string err_;
};

bool Has(const std::vector<std::string>& records, const std::string& record) {
    return std::find(records.begin(), records.end(), record) != records.end();
}

// The places of the page header and the first row on each paper, with and without the check
// box column; the right edge of the area is an inch in from the paper's.
TEST_F(PrintCommandTest, RecordLaysTheReportOutOnThePaperAt96DotsPerInch) {
    struct Case {
        std::vector<std::string> options;
        const char* paper;   // in the stream's header
        const char* right;   // the area's right edge
        const char* bottom;  // the bottom rule
        const char* left;    // the first column's text
        const char* clip;    // the right edge of the first row's date cell
    } cases[] = {
        {{},
         "width=8.5000 height=11.0000 left=0.0000 right=0.0000 top=0.0000 bottom=0.0000 "
         "orientation=2 bin=265 collate=0 duplex=0 copies=1 papersize=1",
         "7.5000",
         "10.0000",
         "1.0200",
         "2.2800"},
        {{"--paper", "letter", "--checkbox"},
         "width=8.5000 height=11.0000 left=0.0000 right=0.0000 top=0.0000 bottom=0.0000 "
         "orientation=2 bin=265 collate=0 duplex=0 copies=1 papersize=1",
         "7.5000",
         "10.0000",
         "1.1450",
         "2.4050"},
        {{"--paper", "a4"},
         "width=8.2700 height=11.6900 left=0.0000 right=0.0000 top=0.0000 bottom=0.0000 "
         "orientation=2 bin=265 collate=0 duplex=0 copies=1 papersize=9",
         "7.2700",
         "10.6900",
         "1.0200",
         "2.2800"},
    };
    for (const Case& c : cases) {
        const std::string stream = PathOf("report.stream");
        std::vector<std::string> args = {"record", stream, "--dir", Dir(), "--title", "Tasks"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Run(args), 0) << err_;
        const std::vector<std::string> records = Records(stream);
        ASSERT_FALSE(records.empty());
        EXPECT_NE(records[0].find(c.paper), std::string::npos) << records[0];
        // Times 14 on the first line under the top margin of half an inch.
        const auto title = std::find_if(records.begin(), records.end(), [](const std::string& r) {
            return r.find("\"Tasks\"") != std::string::npos;
        });
        ASSERT_NE(title, records.end());
        EXPECT_EQ(title->rfind("33 0.6905 \"Tasks\" 1.0000 ", 0), 0u) << *title;
        const auto page = std::find_if(records.begin(), records.end(), [](const std::string& r) {
            return r.find("\"Page 1\"") != std::string::npos;
        });
        ASSERT_NE(page, records.end());
        double y = 0, x = 0, width = 0;
        ASSERT_EQ(std::sscanf(page->c_str(), "33 %lf \"Page 1\" %lf %lf", &y, &x, &width), 3);
        EXPECT_NEAR(y, 0.6905, 1e-4);  // on the title's line, ending at the area's edge
        EXPECT_NEAR(x + width, std::stod(c.right), 1e-3);
        EXPECT_TRUE(Has(records, std::string("33 1.4500 \"Date\" ") + c.left + " 0.2707"))
            << c.left;
        EXPECT_TRUE(Has(records, "12 (1.0000,1.5000)"));
        EXPECT_TRUE(Has(records, std::string("11 (") + c.right + ",1.5000)"));
        EXPECT_TRUE(Has(records, std::string("12 (1.0000,") + c.bottom + ")"));
        EXPECT_TRUE(Has(records, std::string("11 (") + c.right + "," + c.bottom + ")"));
        // The first row: Dentist, without a date, on the first line under the rule.
        EXPECT_TRUE(Has(records, std::string("22 (") + c.left + ",1.4985) (" + c.clip +
                                     ",1.7485) (" + c.left + ",1.5104) \"\""));
    }
}

TEST_F(PrintCommandTest, PrintWritesTheColumnsInOrderForTheChosenTasks) {
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> lines;  // each line's words in order, as pdftotext lays them out
        std::vector<std::string> absent;
    } cases[] = {
        {{"--show-done", "--notes"},
         {"Tasks Page 1", "Date Time Task Priority Done", "Dentist Medium No",
          "02 Apr, 2027 (Fri) 09:30 am Report High No", "15 Jun, 2027 (Tue) Call Medium Yes",
          "ring back", "before noon", "Garden Low No"},
         {}},
        {{"--keys", "work"}, {"Report High No"}, {"Call", "Dentist", "Garden"}},
        {{"--show-done", "--order", "descript"}, {"Call", "Dentist", "Garden", "Report"}, {"ring"}},
    };
    for (const Case& c : cases) {
        const std::string pdf = PathOf("report.pdf");
        std::vector<std::string> args = {"print", pdf, "--dir", Dir(), "--title", "Tasks"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Run(args), 0) << err_;
        // Words joined by single blanks, line by line.
        std::istringstream in(PdfText(pdf));
        std::string words;
        for (std::string line; std::getline(in, line);) {
            std::istringstream parts(line);
            std::string joined;
            for (std::string word; parts >> word;) {
                joined += (joined.empty() ? "" : " ") + word;
            }
            if (!joined.empty()) {
                words += joined + "\n";
            }
        }
        std::size_t at = 0;
        for (const std::string& line : c.lines) {
            const std::size_t found = words.find(line, at);
            ASSERT_NE(found, std::string::npos) << line << " in\n" << words;
            at = found + line.size();
        }
        for (const std::string& word : c.absent) {
            EXPECT_EQ(words.find(word), std::string::npos) << word;
        }
    }
}

TEST_F(PrintCommandTest, BadCommandLinesExitTwoAndFailuresExitOne) {
    const std::string out = PathOf("out");
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* file;  // what the error line names, for failures
    } cases[] = {
        {{"record"}, 2, ""},
        {{"print", ""}, 2, ""},
        {{"record", "--notes"}, 2, ""},
        {{"record", out, "--paper"}, 2, ""},
        {{"record", out, "--paper", "legal"}, 2, ""},
        {{"print", out, "--color", "FFFF80"}, 2, ""},
        {{"record", out, "--date", "7"}, 2, ""},
        {{"print", out, "--order", "random"}, 2, ""},
        {{"record", out, "extra"}, 2, ""},
        {{"record", out, "--dir", PathOf("nowhere/")}, 1, "QUILX.DBF"},
        {{"print", out, "--dir", PathOf("nowhere/")}, 1, "QUILX.DBF"},
        {{"record", PathOf("gone/x.stream"), "--dir", Dir()}, 1, "gone/x.stream"},
        {{"print", PathOf("gone/x.pdf"), "--dir", Dir()}, 1, "gone/x.pdf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.code) << ::testing::PrintToString(c.args);
        if (c.code == 2) {
            EXPECT_NE(err_.find(report::kPrintedUsage), std::string::npos) << err_;
        } else {
            EXPECT_NE(err_.find(c.file), std::string::npos) << err_;
            EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
        }
    }
    EXPECT_FALSE(Exists("out"));
    EXPECT_FALSE(Exists("gone"));
    EXPECT_EQ(Run({"export", "text", out}), -1);  // not one of these commands
}

// The program as scripts run it: no display, no platform chosen.
TEST_F(PrintCommandTest, ProgramRecordsAndPrintsWithoutDisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    const QString dir = QString::fromStdString(Dir());
    for (const char* command : {"record", "print"}) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUILLET_REPORT),
                      {QString::fromLatin1(command), QString::fromStdString(PathOf("out")),
                       QStringLiteral("--dir"), dir, QStringLiteral("--notes")});
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << command;
        EXPECT_TRUE(Exists("out")) << command;
        std::filesystem::remove(PathOf("out"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ui::installFontMapping();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
