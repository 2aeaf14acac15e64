// Malformed report streams as short annotated hex fixtures: each is refused with the stream's one
// message and the offset of the field at fault, never read past its end or walked for ever.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "report/model/report_stream_format.h"
#include "report/model/stream_reader.h"

namespace report::stream {
namespace {

std::vector<std::uint8_t> Hex(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (const char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Header of 45 bytes: code, 1 page, pages 1-9999, 8.5 x 11, no borders, portrait, bin 265, no
// collate, simplex, 1 copy, paper 1, no custom size, empty title.
const std::string kHeader =
    "59 0100 0100 0f27 00000841 00003041 00000000 00000000 00000000 00000000"
    " 00 0901 00 00 0100 0100 0000 0000 00";
// A page record at 45: previous 0, next 0, page 1, 8.5 x 11. Commands start at 64.
const std::string kPage = "50 00000000 00000000 0100 00000841 00003041";

// Plays every page from 1 to `pages` as a player walks them; the offset of the first fault.
std::int64_t FirstFault(const std::vector<std::uint8_t>& bytes, int pages) {
    StreamReader reader(bytes);
    StreamHeader header;
    if (!reader.ReadHeader(header))
        return reader.errorOffset();
    for (int n = 1; n <= pages; ++n) {
        PageRecord page;
        if (Status s = reader.GoToPage(n, page); !s) {
            EXPECT_EQ(s.message(), kUnexpectedCode);
            return reader.errorOffset();
        }
        Command c;
        do {
            if (Status s = reader.NextCommand(c); !s) {
                EXPECT_EQ(s.message(), kUnexpectedCode);
                return reader.errorOffset();
            }
        } while (c.code != static_cast<std::uint8_t>(Code::EndPage));
    }
    return -1;
}

TEST(ReportStreamMalformed, IsRefusedAtTheFieldAtFault) {
    struct Case {
        const char* what;
        std::string hex;
        int pages;
        std::int64_t offset;
    };
    const Case cases[] = {
        {"a well-formed page", kHeader + kPage + "52", 1, -1},
        {"a first byte other than 89", "58" + kHeader.substr(2) + kPage + "52", 1, 0},
        {"a header cut short", "59 0100 0100", 1, 0},
        {"a title longer than the bytes left", kHeader.substr(0, kHeader.size() - 2) + "05 4142", 1,
         44},
        {"no page after the header", kHeader, 1, 45},
        {"a command before the first page record", kHeader + "52", 1, 45},
        {"a code outside the table", kHeader + kPage + "63 52", 1, 64},
        {"a text running past the end", kHeader + kPage + "18 00000040 c8 4142", 1, 69},
        {"a graphic length past the end", kHeader + kPage + "05 01 ffffff7f 00", 1, 65},
        {"a negative graphic length", kHeader + kPage + "05 01 ffffffff 0000", 1, 65},
        {"raw data past the end", kHeader + kPage + "1f 10000000 0102", 1, 65},
        {"a point list past the end", kHeader + kPage + "0e 0500 0000803f 0000803f", 1, 65},
        {"a point cut short", kHeader + kPage + "0b 0000803f", 1, 65},
        {"a page without its end code", kHeader + kPage + "0b 0000803f 0000803f", 1, 73},
        {"a page record inside a page", kHeader + kPage + kPage + "52", 1, 64},
        {"a header inside a page", kHeader + kPage + "59 52", 1, 64},
        // Page 1's "next" (at 50) points past the end.
        {"a next page outside the stream",
         kHeader + "50 00000000 00100000 0100 00000841 00003041 52", 2, 50},
        // Page 1's "next" points at itself: the walk would never end.
        {"a next page pointing back", kHeader + "50 00000000 2d000000 0100 00000841 00003041 52", 2,
         50},
        // Page 1 (45) -> page 2 (65), whose "next" leads back to page 1: the walk to page 3 goes
        // from page 2 to page 1 and stops where page 1's "next" (at 50) would come round again.
        {"a loop of two pages",
         kHeader + "50 00000000 41000000 0100 00000841 00003041 52" +
             "50 2d000000 2d000000 0200 00000841 00003041 52",
         3, 50},
        // Page 1's "next" lands inside the page, on a command rather than a page record.
        {"a next page on a command", kHeader + "50 00000000 40000000 0100 00000841 00003041 52", 2,
         50},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(FirstFault(Hex(k.hex), k.pages), k.offset) << k.what;
    }
}

}  // namespace
}  // namespace report::stream
