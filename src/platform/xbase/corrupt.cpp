// The one place corruption is reported: set a breakpoint here to catch every corrupt file.
#include "platform/xbase/corrupt.h"

namespace xbase {

Status ReportCorrupt(const char* sourceFile, int line, const std::string& what) {
    (void)sourceFile;
    (void)line;
    return {ErrorCode::kCorrupt, "corrupt file: " + what};
}

}  // namespace xbase
