// Recording, reading, listing and playing report streams, without a device or a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <unistd.h>

#include "log_surface.h"
#include "report/model/report_filer.h"
#include "report/model/report_stream_format.h"
#include "report/model/stream_dump.h"
#include "report/model/stream_player.h"
#include "report/model/stream_reader.h"
#include "report/model/stream_recorder.h"
#include "report/model/stream_writer.h"

namespace report {
namespace {

using stream::PageRecord;
using stream::StreamHeader;
using stream::StreamReader;
using Bytes = std::vector<std::uint8_t>;

// Records `pages` pages, each drawn by `draw` (given the page number from 1); pages for which
// `skipped` answers true are laid out but not output, as outside a page selection.
Bytes Record(int pages, const std::function<void(StreamRecorder&, int)>& draw,
             TAccuracyMethod accuracy = TAccuracyMethod::amAppearance,
             const std::function<bool(int)>& skipped = nullptr) {
    MemoryStream out;
    test::LogSurface measure;
    StreamRecorder recorder(out, measure, accuracy);
    StreamHeader header;
    header.title = "Tasks";
    header.paperBin = stream::kNoPrinterPaperBin;
    header.paperSize = 1;
    recorder.WriteHeader(header);
    for (int page = 1; page <= pages; ++page) {
        recorder.SetSkipping(skipped && skipped(page));
        recorder.BeginPage(8.5, 11);
        draw(recorder, page);
        recorder.EndPage();
    }
    EXPECT_TRUE(recorder.Finish().ok());
    return out.bytes();
}

std::string Listing(const Bytes& bytes) {
    std::ostringstream out;
    std::int64_t at = -1;
    const Status s = stream::Dump(bytes, out, at);
    if (!s)
        out << "error: " << s.message() << " at offset " << at << '\n';
    return out.str();
}

TEST(ReportStream, OnePageListsHeaderPageRecordStateBlockAndCommands) {
    const Bytes bytes = Record(1, [](StreamRecorder& r, int) {
        r.PrintLeft(1, 1.5, "Buy \"milk\"\\\x01\xE9");
        r.SetPen({kBlack, PenMode::Copy, PenStyle::Solid, 0.01});
        r.SetPen({kBlack, PenMode::Copy, PenStyle::Solid, 0.01});  // a repeat writes nothing
        r.Rectangle({1, 2}, {3, 4});
        ReportFont bold;
        bold.bold = true;
        r.SetFont(bold);
    });
    EXPECT_EQ(Listing(bytes),
              "0 89 pages=1 first=1 last=9999 width=8.5000 height=11.0000 left=0.0000 "
              "right=0.0000 top=0.0000 bottom=0.0000 orientation=0 bin=265 collate=0 duplex=0 "
              "copies=1 papersize=1 paperwidth=0 paperlength=0 title=\"Tasks\"\n"
              "50 80 previous=0 next=0 page=1 width=8.5000 height=11.0000\n"
              "69 41 16777215\n"
              "74 42 0\n"
              "76 43 0\n"
              "78 51 \"Arial\"\n"
              "85 52 0\n"
              "90 53 0\n"
              "92 54 0.1389 4.8611\n"
              "101 55 0\n"
              "103 57 0\n"
              "105 56 0\n"
              "107 58 0\n"
              "109 59 0\n"
              "111 60 0\n"
              "113 61 0\n"
              "116 62 0\n"
              "118 71 0\n"
              "123 72 4\n"
              "125 73 0\n"
              "127 74 0.0000\n"
              "132 28 100.0000\n"
              "137 29 100.0000\n"
              "142 26 0\n"
              "144 27 16777215\n"
              "149 24 1.5000 \"Buy \\\"milk\\\"\\\\\\x01\\xE9\" 1.0000\n"
              "172 74 0.0100\n"
              "177 18 (1.0000,2.0000) (3.0000,4.0000)\n"
              "194 55 1\n"
              "196 82\n");
}

// A filer run over a log surface into a memory stream the test keeps.
struct FilerRun {
    test::LogSurface measure;
    TReportFiler filer{measure};
    MemoryStream out;

    FilerRun() {
        filer.SetStreamMode(TStreamMode::smUser);
        filer.SetStream(&out);
    }
    // Runs pages 1..pages, each drawn by `draw`.
    Status Run(int pages, const std::function<void(TReportFiler&, int)>& draw) {
        filer.OnPrintPage = [pages, draw](TBaseReport& r, int page) {
            draw(static_cast<TReportFiler&>(r), page);
            return page < pages;
        };
        return filer.RunReport();
    }
};

std::vector<int> Codes(const std::string& listing) {
    std::vector<int> codes;
    std::istringstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        codes.push_back(std::stoi(line.substr(space + 1)));
    }
    return codes;
}

TEST(ReportStream, ThreePagesAreLinkedBothWaysEachWithTheWholeStateAfterItsRecord) {
    FilerRun run;
    ASSERT_TRUE(run.Run(3,
                        [](TReportFiler& r, int page) {
                            r.PrintAt("Page " + std::to_string(page), 1);
                            if (page == 2)
                                r.SetFontBold(true);  // changes reach later pages' blocks
                        })
                    .ok());
    const Bytes& bytes = run.out.bytes();
    StreamReader reader(bytes);
    StreamHeader header;
    ASSERT_TRUE(reader.ReadHeader(header).ok());
    EXPECT_EQ(header.pageCount, 3);

    PageRecord p[4];
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(reader.GoToPage(n, p[n]).ok());
        EXPECT_EQ(p[n].number, n);
    }
    EXPECT_EQ(p[1].previous, 0);
    EXPECT_EQ(p[1].next, p[2].offset);
    EXPECT_EQ(p[2].previous, p[1].offset);
    EXPECT_EQ(p[2].next, p[3].offset);
    EXPECT_EQ(p[3].previous, p[2].offset);
    EXPECT_EQ(p[3].next, 0);

    // Going past either end lands on the nearest page; every walk starts where the last ended.
    for (const auto& [n, shown] : {std::pair{9999, 3}, {0, 1}, {2, 2}, {3, 3}, {1, 1}, {-4, 1}}) {
        PageRecord page;
        ASSERT_TRUE(reader.GoToPage(n, page).ok()) << n;
        EXPECT_EQ(page.number, shown) << n;
    }

    const std::vector<int> codes = Codes(Listing(bytes));
    int pages = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] != 80)
            continue;
        ++pages;
        ASSERT_LE(i + std::size(stream::kPageStateOrder), codes.size());
        for (std::size_t k = 0; k < std::size(stream::kPageStateOrder); ++k)
            EXPECT_EQ(codes[i + 1 + k], static_cast<int>(stream::kPageStateOrder[k])) << i;
    }
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(codes.back(), 82);
}

// A caller's stream that held a longer recording keeps nothing of it after the new one's end.
TEST(ReportStream, RecordingIntoTheCallersStreamReplacesWhatItHeld) {
    FilerRun run;
    ASSERT_TRUE(run.Run(3, [](TReportFiler& r, int) { r.PrintAt("long", 1); }).ok());
    ASSERT_TRUE(run.Run(1, [](TReportFiler& r, int) { r.PrintAt("short", 1); }).ok());
    const std::string listing = Listing(run.out.bytes());
    EXPECT_EQ(listing.find("long"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("error"), std::string::npos) << listing;
}

TEST(ReportStream, PagesOutsideTheSelectionAreLeftOutAndTheLinksSkipThem) {
    FilerRun run;
    run.filer.SetPageSelection("1,3");
    ASSERT_TRUE(
        run.Run(3, [](TReportFiler& r, int page) { r.PrintAt("Page " + std::to_string(page), 1); })
            .ok());
    const std::string listing = Listing(run.out.bytes());
    EXPECT_EQ(listing.find("Page 2"), std::string::npos);
    EXPECT_NE(listing.find("Page 3"), std::string::npos);
    StreamReader reader(run.out.bytes());
    StreamHeader header;
    ASSERT_TRUE(reader.ReadHeader(header).ok());
    EXPECT_EQ(header.pageCount, 2);
    PageRecord second;
    ASSERT_TRUE(reader.GoToPage(2, second).ok());
    EXPECT_EQ(second.number, 2);
    stream::Command c;
    do
        ASSERT_TRUE(reader.NextCommand(c).ok());
    while (c.code != 24);
    EXPECT_EQ(c.Text(1), "Page 3");
}

// An abort drops everything after it, and the page it happened on still ends, so that the
// stream stays readable.
TEST(ReportStream, AnAbortDropsTheRestAndLeavesAWellFormedStream) {
    FilerRun run;
    run.Run(3, [](TReportFiler& r, int page) {
        r.PrintAt("before " + std::to_string(page), 1);
        if (page == 2)
            r.AbortReport();
        r.PrintAt("after " + std::to_string(page), 1);
        r.SetFontBold(page == 2);
    });
    const std::string listing = Listing(run.out.bytes());
    EXPECT_EQ(listing.find("error"), std::string::npos) << listing;
    EXPECT_NE(listing.find("before 2"), std::string::npos);
    EXPECT_EQ(listing.find("after 2"), std::string::npos);
    EXPECT_EQ(listing.find(" 55 1"), std::string::npos);
    EXPECT_EQ(listing.find("before 3"), std::string::npos);
    EXPECT_NE(listing.find("pages=2"), std::string::npos);
    EXPECT_EQ(Codes(listing).back(), 82);
}

// Under amPositioning a text is block text over the width it measured when recorded, so it
// covers the same stretch of paper on any device; rotated text and printer commands keep their
// form, as everything does under amAppearance.
TEST(ReportStream, TextsAreRecordedByTheAccuracyMethod) {
    struct Case {
        TAccuracyMethod method;
        int print;  // 0 left, 1 right, 2 centred
        int rotation;
        std::string text;
        int code;
        double x;
        double width;
    };
    const double w = 5 * 10.0 / 144;  // "Hello" in the log surface's 10-point font
    const Case cases[] = {
        {TAccuracyMethod::amPositioning, 0, 0, "Hello", 33, 2, w},
        {TAccuracyMethod::amPositioning, 1, 0, "Hello", 33, 2 - w, w},
        {TAccuracyMethod::amPositioning, 2, 0, "Hello", 33, 2 - w / 2, w},
        {TAccuracyMethod::amPositioning, 0, 90, "Hello", 24, 2, 0},
        {TAccuracyMethod::amPositioning, 0, 0, "\xFD$RCMD x", 24, 2, 0},
        {TAccuracyMethod::amAppearance, 0, 0, "Hello", 24, 2, 0},
        {TAccuracyMethod::amAppearance, 1, 0, "Hello", 25, 2, 0},
        {TAccuracyMethod::amAppearance, 2, 0, "Hello", 23, 2, 0},
    };
    for (const Case& k : cases) {
        FilerRun run;
        run.filer.SetAccuracyMethod(k.method);
        ASSERT_TRUE(run.Run(1,
                            [&](TReportFiler& r, int) {
                                r.SetFontRotation(k.rotation);
                                if (k.print == 0)
                                    r.PrintAt(k.text, 2);
                                if (k.print == 1)
                                    r.PrintRightAt(k.text, 2);
                                if (k.print == 2)
                                    r.PrintCentredAt(k.text, 2);
                            })
                        .ok());
        StreamReader reader(run.out.bytes());
        StreamHeader header;
        PageRecord page;
        ASSERT_TRUE(reader.ReadHeader(header).ok());
        ASSERT_TRUE(reader.GoToPage(1, page).ok());
        stream::Command c;
        do
            ASSERT_TRUE(reader.NextCommand(c).ok());
        while (c.code < 23 || c.code > 33 || c.code == 26 || c.code == 27 || c.code == 28 ||
               c.code == 29);
        SCOPED_TRACE(k.text + " " + std::to_string(k.print) + " " + std::to_string(k.rotation));
        EXPECT_EQ(c.code, k.code);
        EXPECT_EQ(c.Text(1), k.text);
        EXPECT_NEAR(c.Real(2), k.x, 1e-5);
        if (k.code == 33) {
            EXPECT_NEAR(c.Real(3), k.width, 1e-5);
        }
    }
}

TEST(ReportStream, TheStreamModesOpenAndSaveWhereTheySay) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("quillet-stream-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto run = [](TReportFiler& filer) {
        filer.OnPrint = [](TBaseReport& r) { r.PrintAt("x", 1); };
        return filer.RunReport();
    };
    auto isStream = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return in.get() == 89;
    };
    test::LogSurface measure;
    {
        TReportFiler filer(measure);
        filer.SetFileName((folder / "memory.rs").string());
        EXPECT_TRUE(run(filer).ok());
        EXPECT_TRUE(isStream(filer.FileName()));
    }
    {
        TReportFiler filer(measure);
        filer.SetStreamMode(TStreamMode::smFile);
        filer.SetFileName((folder / "file.rs").string());
        EXPECT_TRUE(run(filer).ok());
        EXPECT_TRUE(isStream(filer.FileName()));
    }
    {
        TReportFiler filer(measure);
        filer.SetStreamMode(TStreamMode::smTempFile);
        EXPECT_TRUE(run(filer).ok());
        const std::filesystem::path made = filer.FileName();
        EXPECT_EQ(made.parent_path(), std::filesystem::temp_directory_path());
        EXPECT_EQ(made.filename().string().rfind("RS", 0), 0u);
        EXPECT_TRUE(isStream(made.string()));
        std::filesystem::remove(made);
    }
    {
        TReportFiler filer(measure);
        filer.SetStreamMode(TStreamMode::smUser);
        EXPECT_EQ(run(filer).message(), "StreamMode is smUser but Stream is nil");
    }
    {
        TReportFiler filer(measure);
        filer.SetStreamMode(TStreamMode::smFile);
        const std::string bad = (folder / "missing" / "x.rs").string();
        filer.SetFileName(bad);
        EXPECT_EQ(run(filer).message(), "Error initializing stream \"" + bad + "\"");
    }
    EXPECT_EQ(TReportFiler(measure).CopyRect().message(), "CopyRect() not supported in file mode.");
    std::filesystem::remove_all(folder);
}

// Writes pass through the buffer in blocks of at most 16,384 bytes; a larger block goes to the
// stream whole, and an offset taken or patched sees every byte written before it.
TEST(ReportStream, TheWriterBuffersUpTo16384BytesAndFlushesBeforeOffsets) {
    struct Counting : MemoryStream {
        std::vector<std::size_t> writes;
        Status Write(std::span<const std::uint8_t> b) override {
            writes.push_back(b.size());
            return MemoryStream::Write(b);
        }
    } out;
    stream::StreamWriter w(out);
    for (int i = 0; i < 16384; ++i)
        w.Byte(1);
    EXPECT_TRUE(out.writes.empty());
    w.Byte(2);
    const std::vector<std::uint8_t> block(20000, 3);
    w.Bytes(block);
    EXPECT_EQ(w.Offset(), 16385 + 20000);
    w.Long(7);
    w.PatchLong(16384, 0x01020304);
    w.Flush();
    EXPECT_EQ(out.writes, (std::vector<std::size_t>{16384, 1, 20000, 4, 4}));
    EXPECT_EQ(out.bytes().size(), 16385u + 20000 + 4);
    EXPECT_EQ(out.bytes()[16384], 4);
    EXPECT_EQ(out.bytes()[16387], 1);
    EXPECT_EQ(out.bytes()[16388], 3);
}

// A recorded page played back draws what was drawn, in the player's kind of destination, and a
// font that measures wider than it did when recorded is made smaller in steps of 1.1 dots.
TEST(ReportStream, APlayedPageDrawsWhatWasRecorded) {
    FilerRun run;
    run.filer.SetAccuracyMethod(TAccuracyMethod::amAppearance);
    ASSERT_TRUE(run.Run(2,
                        [](TReportFiler& r, int page) {
                            r.PrintAt("page " + std::to_string(page), 1);
                            r.SelectDestination(Destination::ScreenOnly);
                            r.DrawBox(1, 2, 3, 4);
                            r.SelectDestination(Destination::PrinterOnly);
                            r.DrawMoveTo(1, 1);
                            r.DrawLineTo(2, 2);
                            r.SelectDestination(Destination::Both);
                            r.PrintRightAt("end", 7);
                        })
                    .ok());
    const Bytes& bytes = run.out.bytes();
    struct Case {
        stream::PlayerKind kind;
        double widthFactor;
        std::vector<std::string> calls;
    };
    const double y = 1.0 / 6 - 10.0 / 72 * 0.2;  // line 1's baseline: top + spacing - descent
    const std::string Y = test::LogSurface::N(y);
    const Case cases[] = {
        {stream::PlayerKind::Preview,
         1.0,
         {"left 1.0000 " + Y + " page 2 @10.0000", "rect (1.0000,2.0000)(3.0000,4.0000)",
          "right 7.0000 " + Y + " end"}},
        {stream::PlayerKind::Printer,
         1.0,
         {"left 1.0000 " + Y + " page 2 @10.0000", "move (1.0000,1.0000)", "line (2.0000,2.0000)",
          "right 7.0000 " + Y + " end"}},
        // 1.5 times wider: 10 points shrink by 0.825 (1.1 dots at 96 dpi) until the sample
        // fits, at 5.875.
        {stream::PlayerKind::Preview,
         1.5,
         {"left 1.0000 " + Y + " page 2 @5.8750", "rect (1.0000,2.0000)(3.0000,4.0000)",
          "right 7.0000 " + Y + " end"}},
    };
    for (const Case& k : cases) {
        StreamReader reader(bytes);
        StreamHeader header;
        ASSERT_TRUE(reader.ReadHeader(header).ok());
        test::LogSurface target;
        target.widthFactor = k.widthFactor;
        PageRecord shown;
        ASSERT_TRUE(stream::PlayPage(reader, 2, target, {k.kind, 96}, shown).ok());
        EXPECT_EQ(shown.number, 2);
        std::vector<std::string> drawn;
        for (const std::string& call : target.calls)
            if (call.rfind("pen", 0) != 0 && call.rfind("brush", 0) != 0)
                drawn.push_back(call);
        EXPECT_EQ(drawn, k.calls);
    }
}

// Block text that already measures its recorded width on the player is drawn whole; one that
// runs narrower is spread over the width.
TEST(ReportStream, PlayedBlockTextIsSpreadOnlyWhereItsWidthDiffers) {
    FilerRun run;
    run.filer.SetAccuracyMethod(TAccuracyMethod::amPositioning);
    ASSERT_TRUE(run.Run(1, [](TReportFiler& r, int) { r.PrintAt("Hello world", 1); }).ok());
    const double w = 11 * 10.0 / 144;
    for (const auto& [factor, call] :
         {std::pair{1.0, std::string("left 1.0000 ")}, {0.8, "block 1.0000 "}}) {
        StreamReader reader(run.out.bytes());
        StreamHeader header;
        ASSERT_TRUE(reader.ReadHeader(header).ok());
        test::LogSurface target;
        target.widthFactor = factor;
        PageRecord shown;
        ASSERT_TRUE(
            stream::PlayPage(reader, 1, target, {stream::PlayerKind::Printer, 600}, shown).ok());
        ASSERT_FALSE(target.calls.empty());
        EXPECT_EQ(target.calls.back().rfind(call, 0), 0u) << target.calls.back();
        if (factor != 1.0) {
            EXPECT_NE(target.calls.back().find(" " + test::LogSurface::N(w) + " Hello world"),
                      std::string::npos);
        }
    }
}

}  // namespace
}  // namespace report
