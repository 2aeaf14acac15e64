// Tab stops: the cells a report prints into, and the colour that shades them.
#pragma once

#include "report/model/report_surface.h"

#include <memory>
#include <vector>

namespace report {

enum class TPrintJustify : std::uint8_t { pjCenter = 0, pjLeft = 1, pjRight = 2, pjBlock = 3 };

// Border flags of AddTabStop, combined with |.
enum TabBorder : int { kBorderLeft = 1, kBorderRight = 2, kBorderTop = 4, kBorderBottom = 8 };

// One stop; lengths in inches from the paper's left edge.
struct TTabStop {
    double position = 0;  // the cell's left edge
    TPrintJustify justify = TPrintJustify::pjLeft;
    double width = 0;   // 0: a stop without a cell (no shading, borders or width-based justifying)
    double margin = 0;  // inside the cell, on both sides
    int borders = 0;    // TabBorder flags
    int shade = 0;      // percent; 0 is none
    bool HasCell() const { return width > 0; }
};

// A list shared between the report and its saved lists: saving shares it, and the first change
// after that makes the report's own copy, so a restored list is the one that was saved.
using TabStopList = std::shared_ptr<std::vector<TTabStop>>;

// `base` lightened towards white: p percent of the base colour, p kept within 0..100 (each
// channel v becomes v + (100 - p) * (255 - v) / 100, in integers).
Color ShadeColor(int percent, Color base = kBlack);

}  // namespace report
