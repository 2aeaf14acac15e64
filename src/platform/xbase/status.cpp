// The one place corruption is reported (set a breakpoint here to catch every corrupt file),
// and the words of a write the operating system refused.
#include "platform/xbase/status.h"

#include <cerrno>
#include <cstring>

namespace xbase {

Status ReportCorrupt(const char* sourceFile, int line, std::string_view kind,
                     std::string_view what) {
    std::string_view source = sourceFile;
    if (std::size_t slash = source.find_last_of('/'); slash != std::string_view::npos) {
        source.remove_prefix(slash + 1);
    }
    std::string words = "corrupt ";
    words.append(kind).append(": ").append(what);
    words.append(" [").append(source).append(":").append(std::to_string(line)).append("]");
    return {ErrorCode::kCorrupt, std::move(words)};
}

Status WriteFailure(const std::string& path) {
    int error = errno;
    return {ErrorCode::kWriteFailed,
            "cannot write " + path + (error != 0 ? ": " + std::string(std::strerror(error)) : "")};
}

}  // namespace xbase
