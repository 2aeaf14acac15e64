// The stream players on real painters: a recorded report played into a PDF (read back with
// poppler's pdftotext) and into page images, and quillet-report's play and dump commands.
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "image_target.h"
#include "report/draw/file_player.h"
#include "report/draw/filer_device.h"
#include "report/draw/painter_surface.h"
#include "report/draw/pdf_file_target.h"
#include "report/draw/stream_commands.h"
#include "report/model/report_filer.h"

namespace {

using report::TAccuracyMethod;
using report::TBaseReport;
using report::TReportFiler;

// Three pages, each with a left, a right and a centred text on line 1, and a box from (1, 2) to
// (3, 4) inches; margins of 1 inch on 8.5 x 11 paper measured at 96 dots per inch.
std::vector<std::uint8_t> RecordThreePages(TAccuracyMethod accuracy) {
    report::PainterSurface measure;
    TReportFiler filer(measure);
    report::MemoryStream out;
    filer.SetStreamMode(report::TStreamMode::smUser);
    filer.SetStream(&out);
    filer.SetAccuracyMethod(accuracy);
    filer.SetTitle("Three pages");
    filer.SetMarginLeft(1);
    filer.SetMarginTop(1);
    filer.OnPrintPage = [](TBaseReport& r, int page) {
        const std::string n = std::to_string(page);
        r.SelectFont("Arial", 12);
        r.PrintAt("Alpha" + n, 1);
        r.PrintRightAt("Omega" + n, 7.5);
        r.PrintCentredAt("Middle" + n, 4.25);
        r.DrawBox(1, 2, 3, 4);
        return page < 3;
    };
    EXPECT_TRUE(filer.RunReport().ok());
    return out.bytes();
}

std::string WriteFile(const QTemporaryDir& dir, const std::string& name,
                      const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;  // points
};

// The value of `name="..."` in a line of pdftotext's output.
double Attribute(const std::string& line, const std::string& name) {
    const auto at = line.find(name + "=\"");
    return at == std::string::npos ? -1 : std::stod(line.substr(at + name.size() + 2));
}

// Every word of a PDF with its page and box, as pdftotext -bbox reports them.
std::map<std::string, Word> WordsOf(const std::string& pdf) {
    std::map<std::string, Word> words;
    FILE* pipe = ::popen(("pdftotext -bbox '" + pdf + "' - 2>/dev/null").c_str(), "r");
    if (!pipe)
        return words;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    ::pclose(pipe);
    int pageNumber = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("<page ") != std::string::npos)
            ++pageNumber;
        const auto open = line.find("<word ");
        if (open == std::string::npos)
            continue;
        const auto start = line.find('>', open) + 1;
        const std::string word = line.substr(start, line.find("</word>") - start);
        words[word] = {pageNumber, Attribute(line, "xMin"), Attribute(line, "yMin"),
                       Attribute(line, "xMax"), Attribute(line, "yMax")};
    }
    return words;
}

// Under both accuracy methods, a selection of pages 1 and 3 gives a PDF of two pages, with each
// text where the report put it: the left text starting at 1 inch, the right one ending at 7.5,
// the centred one around 4.25, all on line 1's baseline.
TEST(FilePrinter, PlaysARecordedReportIntoAPdfWithEachTextInItsPlace) {
    QTemporaryDir dir;
    for (const TAccuracyMethod accuracy :
         {TAccuracyMethod::amAppearance, TAccuracyMethod::amPositioning}) {
        SCOPED_TRACE(static_cast<int>(accuracy));
        const std::string streamFile = WriteFile(dir, "report.rs", RecordThreePages(accuracy));
        const std::string pdf = dir.filePath(QStringLiteral("report.pdf")).toStdString();
        report::PdfFileTarget target(QString::fromStdString(pdf), 8.5, 11);
        report::TFilePrinter player(&target);
        player.SetStreamMode(report::TStreamMode::smFile);
        player.SetFileName(streamFile);
        player.SetPageSelection("1,3");
        ASSERT_TRUE(player.RunReport().ok());
        EXPECT_EQ(target.PagesWritten(), 2);

        const auto words = WordsOf(pdf);
        ASSERT_FALSE(words.empty()) << "pdftotext found no words";
        EXPECT_EQ(words.count("Alpha2"), 0u);
        const double baseline = (1 + 1.0 / 6) * 72;  // line 1, less the descent, in points
        for (const auto& [text, page, x, anchor] : {std::tuple{"Alpha1", 1, 72.0, 'l'},
                                                    {"Omega1", 1, 540.0, 'r'},
                                                    {"Middle1", 1, 306.0, 'c'},
                                                    {"Alpha3", 2, 72.0, 'l'},
                                                    {"Omega3", 2, 540.0, 'r'}}) {
            SCOPED_TRACE(text);
            ASSERT_EQ(words.count(text), 1u);
            const Word& w = words.at(text);
            EXPECT_EQ(w.page, page);
            const double at = anchor == 'l'   ? w.xMin
                              : anchor == 'r' ? w.xMax
                                              : (w.xMin + w.xMax) / 2;
            EXPECT_NEAR(at, x, 2.0);
            EXPECT_LT(w.yMin, baseline);
            EXPECT_GT(w.yMax, baseline - 4);
            EXPECT_LT(w.yMax, baseline + 6);
        }
    }
}

TEST(FilePrinter, RefusesWithoutAPrinterAndOutputsOnlySelectedPages) {
    QTemporaryDir dir;
    const std::string streamFile =
        WriteFile(dir, "r.rs", RecordThreePages(TAccuracyMethod::amAppearance));
    report_test::ImageTarget none;
    none.printers = false;
    report::TFilePrinter refused(&none);
    refused.SetStreamMode(report::TStreamMode::smFile);
    refused.SetFileName(streamFile);
    EXPECT_EQ(refused.RunReport().message(), "No printers are defined, aborting print job.");
    EXPECT_TRUE(none.log.empty());

    report_test::ImageTarget printer;
    report::TFilePrinter player(&printer);
    player.SetStreamMode(report::TStreamMode::smFile);
    player.SetFileName(streamFile);
    player.SetPageSelection("2-");
    ASSERT_TRUE(player.RunReport().ok());
    EXPECT_EQ(printer.printed.size(), 2u);
    EXPECT_EQ(printer.log.front(), "begin Three pages");
}

// A recording measures on the printer it is meant for, and at 96 dots per inch on Letter paper
// when there is none: the header carries that paper, and text widths follow the resolution.
TEST(FilerDevice, RecordsForThePrinterOrAt96DotsPerInch) {
    report_test::ImageTarget printer;  // A4 with borders, at 100 dots per inch
    printer.geometry = {8.27, 11.69, 0.25, 0.25, 0.5, 0.5, 100, 100};
    report_test::ImageTarget none;
    none.printers = false;
    for (const auto& [device, width, dpi] : {std::tuple{&printer, 8.27, 100}, {&none, 8.5, 96}}) {
        report::PainterSurface measure;
        TReportFiler filer(measure);
        report::PrepareFiler(filer, measure, device);
        report::MemoryStream out;
        filer.SetStreamMode(report::TStreamMode::smUser);
        filer.SetStream(&out);
        filer.OnPrint = [](TBaseReport& r) { r.PrintAt("x", 1); };
        ASSERT_TRUE(filer.RunReport().ok());
        report::stream::StreamReader reader(out.bytes());
        report::stream::StreamHeader header;
        ASSERT_TRUE(reader.ReadHeader(header).ok());
        EXPECT_FLOAT_EQ(header.paperWidth, width);
        EXPECT_EQ(measure.Mapping().dpiX, dpi);
    }
}

bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

// A page image covers the whole sheet at the zoom: the box's left edge at 1 inch is dark from
// 2 to 4 inches down and the paper beside it is white, at every zoom and pixel ratio.
TEST(FilePreview, PlaysOnePageIntoAnImageAtTheZoom) {
    const auto bytes = RecordThreePages(TAccuracyMethod::amPositioning);
    report::MemoryStream stream;
    stream.Assign(bytes);
    report::TFilePreview preview;
    preview.SetStreamMode(report::TStreamMode::smUser);
    preview.SetStream(&stream);
    ASSERT_TRUE(preview.Open().ok());
    EXPECT_EQ(preview.PageCount(), 3);
    for (const auto& [zoom, ratio, dots] :
         {std::tuple{100.0, 1.0, 96}, {200.0, 1.0, 192}, {100.0, 2.0, 192}, {50.0, 1.0, 48}}) {
        SCOPED_TRACE(std::to_string(zoom) + " " + std::to_string(ratio));
        preview.SetZoomFactor(zoom);
        QImage image;
        ASSERT_TRUE(preview.RenderPage(2, image, ratio).ok());
        EXPECT_EQ(preview.CurrentPage(), 2);
        EXPECT_EQ(image.size(), QSize(static_cast<int>(8.5 * dots), 11 * dots));
        EXPECT_EQ(image.devicePixelRatio(), ratio);
        EXPECT_TRUE(Dark(image, dots, 3 * dots));
        EXPECT_FALSE(Dark(image, dots + dots / 4, 3 * dots));
        EXPECT_FALSE(Dark(image, dots, 5 * dots));
        int inked = 0;  // the left text on line 1, between 1 and 2 inches across
        for (int x = dots; x < 2 * dots; ++x)
            for (int y = dots; y < dots + dots / 6; ++y)
                inked += Dark(image, x, y);
        EXPECT_GT(inked, 0);
    }
    QImage image;
    for (const auto& [asked, shown] : {std::pair{9999, 3}, {0, 1}, {2, 2}}) {
        ASSERT_TRUE(preview.RenderPage(asked, image).ok());
        EXPECT_EQ(preview.CurrentPage(), shown) << asked;
    }
}

struct CommandRun {
    int code;
    std::string out;
    std::string err;
};

CommandRun Command(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const auto code = report::RunStreamCommand(args, out, err);
    return {code.value_or(-1), out.str(), err.str()};
}

TEST(StreamCommands, PlayAndDumpAnswerWithTheirExitCodes) {
    QTemporaryDir dir;
    const auto bytes = RecordThreePages(TAccuracyMethod::amAppearance);
    const std::string good = WriteFile(dir, "good.rs", bytes);
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + 78);  // in the first command
    const std::string bad = WriteFile(dir, "bad.rs", cut);
    const std::string pdf = dir.filePath(QStringLiteral("out.pdf")).toStdString();
    const std::string missing = dir.filePath(QStringLiteral("missing.rs")).toStdString();

    EXPECT_EQ(Command({"export"}).code, -1);  // not a stream command

    CommandRun dump = Command({"dump", good});
    EXPECT_EQ(dump.code, 0);
    EXPECT_EQ(dump.out.rfind("0 89 pages=3 first=1 last=9999 width=8.5000 height=11.0000 ", 0), 0u);
    EXPECT_NE(dump.out.find(" 80 previous=0 next="), std::string::npos);
    // Left text as code 24: its baseline, the text, its x.
    const auto alpha = dump.out.find(" \"Alpha2\" 1.0000\n");
    ASSERT_NE(alpha, std::string::npos) << dump.out;
    const std::string line =
        dump.out.substr(dump.out.rfind('\n', alpha) + 1, alpha - dump.out.rfind('\n', alpha));
    EXPECT_NE(line.find(" 24 1.1"), std::string::npos) << line;

    CommandRun malformed = Command({"dump", bad});
    EXPECT_EQ(malformed.code, 1);
    EXPECT_EQ(malformed.err, "Unexpected code found in report file. at offset 76\n");

    EXPECT_EQ(Command({"dump", missing}).code, 1);
    EXPECT_EQ(Command({"play", bad, pdf}).err,
              "Unexpected code found in report file. at offset 76\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));

    for (const auto& args :
         std::vector<std::vector<std::string>>{{"dump"},
                                               {"dump", good, good},
                                               {"play", good},
                                               {"play", good, pdf, "--pages"},
                                               {"play", good, pdf, "--pages", "two"},
                                               {"play", good, pdf, "--pages", "1,-"},
                                               {"play", good, pdf, "--pages", "1-2-3"},
                                               {"play", good, pdf, "--copies", "2"}}) {
        const CommandRun run = Command(args);
        EXPECT_EQ(run.code, 2) << args.size();
        EXPECT_NE(run.err.find("usage: quillet-report play STREAMFILE OUT.pdf"), std::string::npos);
    }

    EXPECT_EQ(Command({"play", good, pdf, "--pages", "9"}).code, 1);  // no page of three
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));

    EXPECT_EQ(Command({"play", good, pdf, "--pages", "-1, 3-"}).code, 0);
    EXPECT_EQ(WordsOf(pdf).at("Alpha3").page, 2);
    EXPECT_EQ(Command({"play", good, pdf, "--pages", "2-3"}).code, 0);
    const auto words = WordsOf(pdf);
    EXPECT_EQ(words.count("Alpha1"), 0u);
    ASSERT_EQ(words.count("Alpha3"), 1u);
    EXPECT_EQ(words.at("Alpha3").page, 2);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
