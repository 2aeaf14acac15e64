// Fuzz target of the report stream reader and player: the input is a stream; it is listed
// record by record, and every page is played (walking the page links from every page to every
// other) onto a surface that measures but draws nothing.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "log_surface.h"
#include "report/model/stream_dump.h"
#include "report/model/stream_player.h"
#include "report/model/stream_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    std::ostringstream listing;
    std::int64_t at = 0;
    report::stream::Dump(bytes, listing, at);

    report::stream::StreamReader reader(bytes);
    report::stream::StreamHeader header;
    if (!reader.ReadHeader(header))
        return 0;
    report::test::LogSurface surface;
    const int last = header.pageCount < 8 ? header.pageCount + 1 : 8;
    for (const auto kind :
         {report::stream::PlayerKind::Printer, report::stream::PlayerKind::Preview}) {
        for (int n = last; n >= 0; --n) {
            report::stream::PageRecord page;
            surface.calls.clear();
            if (!report::stream::PlayPage(reader, n, surface, {kind, 150}, page))
                break;
        }
    }
    return 0;
}
