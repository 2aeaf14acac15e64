// The one place corruption is reported (set a breakpoint here to catch every corrupt file),
// and the words of a write the operating system refused.
#include "platform/xbase/corrupt.h"

#include <cerrno>
#include <cstring>

namespace xbase {

Status ReportCorrupt(const char* sourceFile, int line, const std::string& what) {
    (void)sourceFile;
    (void)line;
    return {ErrorCode::kCorrupt, "corrupt file: " + what};
}

Status WriteFailure(const std::string& path) {
    int error = errno;
    return {ErrorCode::kWriteFailed,
            "cannot write " + path + (error != 0 ? ": " + std::string(std::strerror(error)) : "")};
}

}  // namespace xbase
