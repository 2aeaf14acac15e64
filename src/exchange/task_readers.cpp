// Telling the kind of a file by its content, and the words of a reading fault.
#include "exchange/task_readers.h"

#include "exchange/task_notation.h"

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
    return AsciiUpper(bytes.substr(start, kBegin.size())) == kBegin ? FileKind::kICalendar
                                                                    : FileKind::kCsv;
}

ReadResult ReadTasks(std::string_view bytes, const ToLocalTime& toLocal) {
    return KindOf(bytes) == FileKind::kICalendar ? ReadICalendar(bytes, toLocal) : ReadCsv(bytes);
}

}  // namespace exchange
