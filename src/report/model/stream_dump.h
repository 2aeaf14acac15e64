// A listing of every record of a report stream, one line each, for scripts and for people
// looking into a stream: "OFFSET CODE OPERANDS", with the header and page records as name=value.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>

#include "report/model/byte_stream.h"

namespace report::stream {

// Lists the records in the order they lie in the stream (not by page links). On a malformed
// stream the lines before the fault have been written and `errorOffset` says where it is.
Status Dump(std::span<const std::uint8_t> bytes, std::ostream& out, std::int64_t& errorOffset);

}  // namespace report::stream
