// Rounding to the nearest whole number with halves going to the even neighbour, as the
// program's drawing, zoom and progress arithmetic expects (86.5 -> 86, 87.5 -> 88).
#pragma once

#include <cstdint>

namespace rtl {

// NaN gives 0; values beyond the int64 range give its nearest end.
std::int64_t RoundHalfEven(double value);

// The same, clamped to the int range.
int RoundHalfEvenInt(double value);

}  // namespace rtl
