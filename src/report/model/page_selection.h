// Which pages of a run reach the output: a range, or a selection text such as "2-3,5" or "4-".
#pragma once

#include <string_view>

namespace report {

// Whether `page` is output: with an empty selection text when it lies within first..last,
// otherwise when the text names it. The text is numbers and ranges separated by commas; a
// range is "a-b", "a-" (a to the end) or "-b" (1 to b). Parts that are none of these name no
// page.
bool PageSelected(std::string_view selection, int firstPage, int lastPage, int page);

}  // namespace report
