// The status text shown while a report runs: a template whose %-tokens name the page, the page
// range, the device and the report's own lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace report {

struct StatusFields {
    std::vector<std::string> lines;  // what %0 to %9 stand for
    std::string device;              // %D
    std::string driver;              // %R
    std::string port;                // %T
    int firstPage = 1;               // %F
    int lastPage = 9999;             // %L
    int pageNumber = 0;              // %P
};

// `format` with each "%" and the character after it replaced: %% by "%", %0..%9 by that line
// (nothing when missing), the letters case-blind; any other character c gives "<ERROR-%C>" with
// c in upper case. A "%" at the very end stays.
std::string FormatStatus(std::string_view format, const StatusFields& fields);

}  // namespace report
