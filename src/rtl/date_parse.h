// Reading date and time texts under the format settings in force or given ones.
#pragma once

#include <string>
#include <string_view>

#include "rtl/date_time.h"
#include "rtl/format_settings.h"

namespace rtl {

// Date texts: numbers (blanks before each number and separator are skipped; digits are read
// while the value so far is below 1000) separated by the date separator, in the order of the
// short date pattern. Two numbers are day and month of the current year; a year below 100 is
// placed in the current century. One trailing separator and trailing blanks are allowed.
// Time texts: hour[:minutes[:seconds]] [marker]; the marker is the AM or PM string of the
// settings or "AM" / "PM", in any case, and wants an hour of 1 to 12 (12 counts as 0).
// A blank separator stands for one or more blanks.
//
// `currentYear` is the year that short forms refer to; the overloads without it use today's.
// On failure `result` is left as it was.
bool TryStrToDate(std::string_view text, TDateTime& result, const FormatSettings& settings,
                  int currentYear);
bool TryStrToDate(std::string_view text, TDateTime& result);

bool TryStrToTime(std::string_view text, TDateTime& result, const FormatSettings& settings);
bool TryStrToTime(std::string_view text, TDateTime& result);

// A date, optionally followed by a time; or a time alone (on day 0).
bool TryStrToDateTime(std::string_view text, TDateTime& result, const FormatSettings& settings,
                      int currentYear);
bool TryStrToDateTime(std::string_view text, TDateTime& result);

}  // namespace rtl
