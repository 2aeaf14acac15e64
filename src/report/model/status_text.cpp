// The status text shown while a report runs.
#include "report/model/status_text.h"

#include "rtl/ansi.h"

namespace report {

std::string FormatStatus(std::string_view format, const StatusFields& fields) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        const char token = format[++i];
        const char upper = rtl::AnsiUpper(token);
        if (token >= '0' && token <= '9') {
            const auto line = static_cast<std::size_t>(token - '0');
            if (line < fields.lines.size())
                out += fields.lines[line];
            continue;
        }
        switch (upper) {
            case '%':
                out += '%';
                break;
            case 'D':
                out += fields.device;
                break;
            case 'R':
                out += fields.driver;
                break;
            case 'T':
                out += fields.port;
                break;
            case 'F':
                out += std::to_string(fields.firstPage);
                break;
            case 'L':
                out += std::to_string(fields.lastPage);
                break;
            case 'P':
                out += std::to_string(fields.pageNumber);
                break;
            default:
                out += "<ERROR-%";
                out += upper;
                out += '>';
        }
    }
    return out;
}

}  // namespace report
