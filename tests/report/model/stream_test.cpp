// Recording, reading, listing and playing report streams, without a device or a window.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "log_surface.h"
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
    if (!s) out << "error: " << s.message() << " at offset " << at << '\n';
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

}  // namespace
}  // namespace report
