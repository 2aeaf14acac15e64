// A task's note broken into the lines an export writes: word-wrapped at a width in pixels as
// a word-wrapping multi-line edit of that width shows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/export/text_measure.h"

namespace report {

// The lines of `note` wrapped at `width` pixels, each without its trailing blanks. CR LF, a
// lone CR or a lone LF ends a line; one empty line at the end does not count; a note whose only
// line is blank is absent and gives no lines.
std::vector<std::string> NoteLines(std::string_view note, int width, const TextMeasure& measure);

}  // namespace report
