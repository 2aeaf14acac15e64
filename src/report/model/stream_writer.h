// Little-endian writing of report stream fields through a 16,384-byte buffer, with the offsets
// and patches that link the page records. The first failure sticks and later writes are dropped,
// so a recording checks once, at its end.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "report/model/byte_stream.h"
#include "report/model/report_surface.h"

namespace report::stream {

class StreamWriter {
  public:
    explicit StreamWriter(ByteStream& out) : out_(out) {}

    void Byte(std::uint8_t v);
    void Word(std::uint16_t v);
    void Long(std::int32_t v);
    void Real(double v);
    // At most kMaxText characters; a longer text is cut there.
    void Text(std::string_view text);
    void PointAt(Point p);
    void GraphicOf(const Graphic& g);
    void Bytes(std::span<const std::uint8_t> bytes);

    // The stream offset of the next byte written (the buffer is flushed first).
    std::int64_t Offset();
    // Overwrites a field written earlier and returns to the end.
    void PatchLong(std::int64_t at, std::int32_t v);
    void PatchWord(std::int64_t at, std::uint16_t v);
    void Flush();

    const Status& status() const { return status_; }

  private:
    void Patch(std::int64_t at, std::span<const std::uint8_t> bytes);

    ByteStream& out_;
    std::vector<std::uint8_t> buffer_;
    Status status_;
};

}  // namespace report::stream
