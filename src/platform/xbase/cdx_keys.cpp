// Key encodings whose unsigned byte order is the order of the values, and keys as text.
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/xbase/cdx.h"
#include "rtl/date_time.h"

namespace xbase {

namespace {
// Julian day number of 30 December 1899, day 0 of the program's date values.
constexpr double kJulianOfDateZero = 2415019;
}  // namespace

// IEEE-754 big-endian with the sign handled so that bytes compare like values: positive
// numbers get the top bit set, negative ones are inverted whole. Minus zero would land below
// every negative number, so it is taken as zero; NaN is no value and also indexes as zero.
std::string EncodeNumericKey(double value) {
    if (value == 0 || std::isnan(value)) {
        value = 0;
    }
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    if (bits >> 63) {
        bits = ~bits;
    } else {
        bits |= std::uint64_t{1} << 63;
    }
    std::string key(8, '\0');
    for (int i = 0; i < 8; ++i) {
        key[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * (7 - i)));
    }
    return key;
}

std::string EncodeDateKey(double julianDay) {
    return EncodeNumericKey(julianDay);
}

std::string EncodeLogicalKey(bool value) {
    return value ? "T" : "F";
}

std::string EncodeIntegerKey(std::int32_t value) {
    auto bits = static_cast<std::uint32_t>(value) ^ 0x80000000u;
    std::string key(4, '\0');
    for (int i = 0; i < 4; ++i) {
        key[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * (3 - i)));
    }
    return key;
}

double DecodeNumericKey(std::string_view key) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        std::uint8_t b = i < key.size() ? static_cast<std::uint8_t>(key[i]) : 0;
        bits = (bits << 8) | b;
    }
    if (bits >> 63) {
        bits &= ~(std::uint64_t{1} << 63);
    } else {
        bits = ~bits;
    }
    return std::bit_cast<double>(bits);
}

std::string KeyToText(KeyType type, std::string_view key) {
    switch (type) {
        case KeyType::kCharacter: {
            std::size_t n = key.size();
            while (n > 0 && key[n - 1] == ' ') {
                --n;
            }
            return std::string(key.substr(0, n));
        }
        case KeyType::kNumeric: {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.15g", DecodeNumericKey(key));
            return buffer;
        }
        case KeyType::kDate: {
            double jdn = DecodeNumericKey(key);
            if (jdn <= 0) {
                return "";
            }
            rtl::DateParts d = rtl::DecodeDate(jdn - kJulianOfDateZero);
            if (d.year == 0) {
                return "";
            }
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", d.year, d.month, d.day);
            return buffer;
        }
        case KeyType::kLogical:
            return !key.empty() && key[0] == 'T' ? "T" : "F";
        case KeyType::kInteger: {
            std::uint32_t bits = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                bits = (bits << 8) | (i < key.size() ? static_cast<std::uint8_t>(key[i]) : 0u);
            }
            return std::to_string(static_cast<std::int32_t>(bits ^ 0x80000000u));
        }
    }
    return "";
}

}  // namespace xbase
