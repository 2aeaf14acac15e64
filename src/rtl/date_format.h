// Date values written as text by pattern, under the format settings in force or given ones.
#pragma once

#include <string>
#include <string_view>

#include "rtl/date_time.h"
#include "rtl/format_settings.h"

namespace rtl {

// The pattern language (letters in either case):
//   d dd         day of month, bare / two digits     ddd dddd   short / long day name
//   ddddd        the short date pattern              dddddd     the long date pattern
//   m mm         month, bare / two digits            mmm mmmm   short / long month name
//                (m and mm after an h or hh, with only non-letters between, are minutes)
//   yy yyyy      two / four digit year               h hh       hour, bare / two digits
//   n nn         minutes                             s ss       seconds
//   z zzz        milliseconds                        t tt       short / long time pattern
//   c            short date, then the long time when the time of day is not midnight
//   am/pm a/p    the marker as written, in the case written (am/pm gives am or pm)
//   ampm         the AM or PM string of the settings
//   /  :         date and time separator             "x" 'x'    literal text
// Any am/pm, a/p or ampm puts the pattern's hours on the 12-hour clock. Other characters are
// copied. An empty pattern means "c". A value outside years 1..9999 gives the empty text.
std::string FormatDateTime(std::string_view pattern, TDateTime value);
std::string FormatDateTime(std::string_view pattern, TDateTime value,
                           const FormatSettings& settings);

// "ddddd", "tt" and "c" under the settings in force.
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);

}  // namespace rtl
