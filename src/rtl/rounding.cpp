// Half-to-even rounding done by hand, so that it does not depend on the floating-point
// environment's rounding mode.
#include "rtl/rounding.h"

#include <climits>
#include <cmath>

namespace rtl {

std::int64_t RoundHalfEven(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // 2^63 is exactly representable; everything at or beyond it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit) {
        return INT64_MAX;
    }
    if (value < -kLimit) {
        return INT64_MIN;
    }
    const double floor = std::floor(value);
    const double diff = value - floor;  // exact for doubles: 0 <= diff < 1
    double rounded = floor;
    if (diff > 0.5) {
        rounded = floor + 1;
    } else if (diff == 0.5) {
        rounded = std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
    }
    if (rounded >= kLimit) {
        return INT64_MAX;
    }
    return static_cast<std::int64_t>(rounded);
}

int RoundHalfEvenInt(double value) {
    const std::int64_t r = RoundHalfEven(value);
    if (r > INT_MAX) {
        return INT_MAX;
    }
    if (r < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(r);
}

}  // namespace rtl
