// The colour that shades tab cells.
#include "report/model/tab_stops.h"

#include <algorithm>

namespace report {

Color ShadeColor(int percent, Color base) {
    const int p = std::clamp(percent, 0, 100);
    Color out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int v = static_cast<int>((base >> shift) & 0xFF);
        const int lighter = v + (100 - p) * (255 - v) / 100;
        out |= static_cast<Color>(lighter) << shift;
    }
    return out;
}

}  // namespace report
