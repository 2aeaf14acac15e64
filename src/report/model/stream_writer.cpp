// The stream writer's buffer and byte order.
#include "report/model/stream_writer.h"

#include <bit>
#include <limits>

#include "report/model/report_stream_format.h"

namespace report::stream {

namespace {

template <typename T>
void PutLe(std::uint8_t* at, T v) {
    auto u = static_cast<std::make_unsigned_t<T>>(v);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        at[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

}  // namespace

void StreamWriter::Bytes(std::span<const std::uint8_t> bytes) {
    if (!status_)
        return;
    if (buffer_.size() + bytes.size() > kWriteBufferSize)
        Flush();
    if (bytes.size() > kWriteBufferSize) {
        if (status_)
            status_ = out_.Write(bytes);
        return;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void StreamWriter::Byte(std::uint8_t v) {
    Bytes({&v, 1});
}

void StreamWriter::Word(std::uint16_t v) {
    std::uint8_t b[2];
    PutLe(b, v);
    Bytes(b);
}

void StreamWriter::Long(std::int32_t v) {
    std::uint8_t b[4];
    PutLe(b, v);
    Bytes(b);
}

void StreamWriter::Real(double v) {
    std::uint8_t b[4];
    PutLe(b, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
    Bytes(b);
}

void StreamWriter::Text(std::string_view text) {
    if (text.size() > kMaxText)
        text = text.substr(0, kMaxText);
    Byte(static_cast<std::uint8_t>(text.size()));
    Bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void StreamWriter::PointAt(Point p) {
    Real(p.x);
    Real(p.y);
}

void StreamWriter::GraphicOf(const Graphic& g) {
    // A graphic too large for the length field is written empty rather than with a lying length.
    const bool fits =
        g.bytes.size() <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    Byte(static_cast<std::uint8_t>(g.kind));
    Long(fits ? static_cast<std::int32_t>(g.bytes.size()) : 0);
    if (fits)
        Bytes({reinterpret_cast<const std::uint8_t*>(g.bytes.data()), g.bytes.size()});
}

void StreamWriter::Flush() {
    if (status_ && !buffer_.empty())
        status_ = out_.Write(buffer_);
    buffer_.clear();
}

std::int64_t StreamWriter::Offset() {
    Flush();
    return out_.Position();
}

void StreamWriter::Patch(std::int64_t at, std::span<const std::uint8_t> bytes) {
    const std::int64_t end = Offset();
    if (!status_)
        return;
    if (Status s = out_.Seek(at); !s) {
        status_ = s;
        return;
    }
    status_ = out_.Write(bytes);
    if (Status s = out_.Seek(end); status_ && !s)
        status_ = s;
}

void StreamWriter::PatchLong(std::int64_t at, std::int32_t v) {
    std::uint8_t b[4];
    PutLe(b, v);
    Patch(at, b);
}

void StreamWriter::PatchWord(std::int64_t at, std::uint16_t v) {
    std::uint8_t b[2];
    PutLe(b, v);
    Patch(at, b);
}

}  // namespace report::stream
