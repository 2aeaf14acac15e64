// How wide a line of text is in the report dialog's font: the one thing the export writers
// need of the windowing system, given to them from above.
#pragma once

#include <string_view>

namespace report {

class TextMeasure {
  public:
    virtual ~TextMeasure() = default;
    // The width in pixels of one line of Windows-1252 text.
    virtual int TextWidth(std::string_view text) const = 0;
};

}  // namespace report
