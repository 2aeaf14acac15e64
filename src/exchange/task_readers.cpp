// Telling the kind of a file by its content, and the words of a reading fault.
#include "exchange/task_readers.h"

namespace exchange {

std::string ReadResult::ErrorText() const {
    return "Line " + std::to_string(errorLine) + ": " + error;
}

FileKind KindOf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return FileKind::kCsv;
    }
    constexpr std::string_view kBegin = "BEGIN:VCALENDAR";
    const std::string_view head = bytes.substr(start, kBegin.size());
    if (head.size() != kBegin.size()) {
        return FileKind::kCsv;
    }
    for (std::size_t i = 0; i < head.size(); ++i) {
        const char c = head[i] >= 'a' && head[i] <= 'z' ? static_cast<char>(head[i] - 32) : head[i];
        if (c != kBegin[i]) {
            return FileKind::kCsv;
        }
    }
    return FileKind::kICalendar;
}

ReadResult ReadTasks(std::string_view bytes, const ToLocalTime& toLocal) {
    return KindOf(bytes) == FileKind::kICalendar ? ReadICalendar(bytes, toLocal) : ReadCsv(bytes);
}

}  // namespace exchange
