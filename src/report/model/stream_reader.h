// The one reader of report streams. Every length is checked against the end of the bytes before
// it is used; a malformed stream is an error value naming the offset of the field at fault, and a
// page walk that leaves the stream or comes back to a page it has seen ends with an error too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "report/model/byte_stream.h"
#include "report/model/report_surface.h"

namespace report::stream {

struct StreamHeader {
    int pageCount = 0;
    int firstPage = 1;
    int lastPage = 9999;
    double paperWidth = 8.5;
    double paperHeight = 11;
    double unprintableLeft = 0, unprintableRight = 0, unprintableTop = 0, unprintableBottom = 0;
    int orientation = 0;
    int paperBin = 0;
    bool collate = false;
    int duplex = 0;
    int copies = 1;
    int paperSize = 0;
    int customWidth = 0;
    int customLength = 0;
    std::string title;
};

struct PageRecord {
    std::int64_t offset = 0;
    std::int32_t previous = 0;
    std::int32_t next = 0;
    int number = 0;
    double paperWidth = 0;
    double paperHeight = 0;
};

// One operand as the format's table gives it: bytes, words and longs are integers, a rect is two
// points, raw data is its length followed by its bytes.
using Operand = std::variant<std::int64_t, double, Point, std::string, Graphic>;

struct Command {
    std::uint8_t code = 0;
    std::int64_t offset = 0;
    std::vector<Operand> operands;

    std::int64_t Int(std::size_t i) const;
    double Real(std::size_t i) const;
    Point PointAt(std::size_t i) const;
    const std::string& Text(std::size_t i) const;
    const Graphic& GraphicAt(std::size_t i) const;
};

class StreamReader {
  public:
    // The bytes must outlive the reader.
    explicit StreamReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // Reads the header at offset 0 and leaves the reader before the first page.
    Status ReadHeader(StreamHeader& header);
    // Walks the page links from the current page to page n, or as far towards it as they go
    // (past the end: the last page; 0: the first), and leaves the reader at that page's first
    // command.
    Status GoToPage(int n, PageRecord& page);
    // The command at the reader's position; code 82 ends the page. A page record or header
    // here, an unknown code or an operand running past the end is an error.
    Status NextCommand(Command& command);

    // Sequential reading for a listing of every record: the page record at the position.
    Status ReadPageRecord(PageRecord& page);
    std::int64_t position() const { return pos_; }
    bool AtEnd() const { return pos_ >= static_cast<std::int64_t>(bytes_.size()); }
    std::uint8_t PeekCode() const { return bytes_[static_cast<std::size_t>(pos_)]; }

    // Where the last error was found.
    std::int64_t errorOffset() const { return errorOffset_; }

  private:
    Status Fail(std::int64_t at);
    bool Has(std::int64_t at, std::int64_t n) const;
    std::uint32_t Le(std::int64_t at, int n) const;
    float RealAt(std::int64_t at) const;
    Status ReadOperand(char kind, std::vector<Operand>& out);
    Status PageAt(std::int64_t at, std::int64_t linkField, PageRecord& page);

    std::span<const std::uint8_t> bytes_;
    std::int64_t pos_ = 0;
    std::int64_t firstPage_ = 0;  // offset after the header
    bool havePage_ = false;
    PageRecord current_;
    std::int64_t errorOffset_ = -1;
};

}  // namespace report::stream
