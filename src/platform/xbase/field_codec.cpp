// Field values to and from their stored bytes.
#include "platform/xbase/field_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/xbase/byte_order.h"

namespace xbase {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long yy = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

constexpr long long kJulianOfEpoch = 2440588;  // 1970-01-01

bool ValidDate(int y, int m, int d) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) {
        return false;
    }
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

bool Digits(std::string_view s, int& value) {
    if (s.empty()) {
        return false;
    }
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return true;
}

// Order of the parts and the separator for each date format code.
struct DateLayout {
    char order[3];  // 'm', 'd', 'y'
    char separator;
};

DateLayout LayoutOf(int code) {
    switch (code) {
        case 1:
            return {{'y', 'm', 'd'}, '.'};  // ANSI
        case 2:
        case 3:
            return {{'d', 'm', 'y'}, '/'};  // British, French
        case 4:
            return {{'d', 'm', 'y'}, '.'};  // German
        case 5:
        case 6:
            return {{'d', 'm', 'y'}, '-'};  // Italian, Spanish
        default:
            return {{'m', 'd', 'y'}, '/'};  // American
    }
}

}  // namespace

bool FormatNumber(double value, int width, int decimals, std::string& out) {
    if (!std::isfinite(value) || width <= 0) {
        return false;
    }
    char buffer[512];
    for (int dec = decimals; dec >= 0; --dec) {
        int n = std::snprintf(buffer, sizeof buffer, "%.*f", dec, value);
        if (n < 0 || n >= static_cast<int>(sizeof buffer)) {
            return false;
        }
        if (n <= width) {
            out.assign(static_cast<std::size_t>(width - n), ' ');
            out.append(buffer, static_cast<std::size_t>(n));
            return true;
        }
    }
    return false;
}

double ParseNumber(std::string_view stored, bool* blank) {
    std::size_t b = stored.find_first_not_of(' ');
    if (blank != nullptr) {
        *blank = b == std::string_view::npos;
    }
    if (b == std::string_view::npos) {
        return 0;
    }
    char buffer[64];
    std::size_t n = std::min(stored.size() - b, sizeof buffer - 1);
    std::memcpy(buffer, stored.data() + b, n);
    buffer[n] = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (buffer[i] == ',') {
            buffer[i] = '.';
        }
    }
    char* end = nullptr;
    double v = std::strtod(buffer, &end);
    return end == buffer || !std::isfinite(v) ? 0 : v;
}

double StoredDateToJulian(std::string_view stored) {
    int y = 0, m = 0, d = 0;
    if (stored.size() < 8 || !Digits(stored.substr(0, 4), y) || !Digits(stored.substr(4, 2), m) ||
        !Digits(stored.substr(6, 2), d) || !ValidDate(y, m, d)) {
        return 0;
    }
    return static_cast<double>(DaysFromCivil(y, m, d) + kJulianOfEpoch);
}

std::string JulianToStoredDate(double julian) {
    if (!(julian >= 1721426 && julian <= 5373484)) {  // 0001-01-01 .. 9999-12-31
        return std::string(8, ' ');
    }
    int y, m, d;
    CivilFromDays(static_cast<long long>(julian) - kJulianOfEpoch, y, m, d);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", y, m, d);
    return buffer;
}

std::string FormatDateText(std::string_view stored, int dateFormat, bool century) {
    DateLayout layout = LayoutOf(dateFormat);
    bool blank = StoredDateToJulian(stored) == 0;
    std::string out;
    for (int i = 0; i < 3; ++i) {
        if (i != 0) {
            out.push_back(layout.separator);
        }
        switch (layout.order[i]) {
            case 'y':
                out.append(blank ? std::string(century ? 4 : 2, ' ')
                                 : std::string(stored.substr(century ? 0 : 2, century ? 4 : 2)));
                break;
            case 'm':
                out.append(blank ? std::string(2, ' ') : std::string(stored.substr(4, 2)));
                break;
            default:
                out.append(blank ? std::string(2, ' ') : std::string(stored.substr(6, 2)));
                break;
        }
    }
    return out;
}

bool ParseDateText(std::string_view text, int dateFormat, std::string& stored) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        stored.assign(8, ' ');
        return true;
    }
    int y = 0, m = 0, d = 0;
    if (text.size() == 8 && Digits(text, y)) {
        if (StoredDateToJulian(text) == 0) {
            return false;
        }
        stored.assign(text);
        return true;
    }
    DateLayout layout = LayoutOf(dateFormat);
    std::string_view parts[3];
    for (int i = 0; i < 3; ++i) {
        std::size_t sep = text.find_first_of("/.-");
        if (i < 2) {
            if (sep == std::string_view::npos) {
                return false;
            }
            parts[i] = text.substr(0, sep);
            text.remove_prefix(sep + 1);
        } else {
            if (sep != std::string_view::npos) {
                return false;
            }
            parts[i] = text;
        }
    }
    std::size_t yearDigits = 0;
    for (int i = 0; i < 3; ++i) {
        int v = 0;
        if (!Digits(parts[i], v) || parts[i].size() > 4) {
            return false;
        }
        switch (layout.order[i]) {
            case 'y':
                y = v;
                yearDigits = parts[i].size();
                break;
            case 'm':
                m = v;
                break;
            default:
                d = v;
                break;
        }
    }
    if (yearDigits <= 2) {
        y += y < 50 ? 2000 : 1900;  // two-digit years: 1950 to 2049
    }
    if (!ValidDate(y, m, d)) {
        return false;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", y, m, d);
    stored = buffer;
    return true;
}

bool IsBinaryNumberField(char type, int width) {
    return (type == 'I' && width == 4) || ((type == 'B' || type == 'Y') && width == 8);
}

bool IsDateTimeField(char type, int width) {
    return type == 'T' && width == 8;
}

namespace {
constexpr double kMillisecondsPerDay = 86400000.0;

std::uint64_t GetLE64(const char* bytes) {
    return std::uint64_t{GetLE32(bytes)} | (std::uint64_t{GetLE32(bytes + 4)} << 32);
}

void PutLE64(char* bytes, std::uint64_t v) {
    PutLE32(bytes, static_cast<std::uint32_t>(v));
    PutLE32(bytes + 4, static_cast<std::uint32_t>(v >> 32));
}
}  // namespace

double BinaryFieldNumber(char type, const char* bytes) {
    switch (type) {
        case 'I':
            return static_cast<std::int32_t>(GetLE32(bytes));
        case 'Y':
            return static_cast<double>(static_cast<std::int64_t>(GetLE64(bytes))) / 10000.0;
        case 'B': {
            double v = 0;
            std::uint64_t bits = GetLE64(bytes);
            std::memcpy(&v, &bits, sizeof v);
            return std::isfinite(v) ? v : 0;
        }
        default:
            return 0;
    }
}

bool PutBinaryFieldNumber(char type, double value, char* bytes) {
    if (!std::isfinite(value)) {
        return false;
    }
    switch (type) {
        case 'I': {
            double v = std::trunc(value);
            if (v < -2147483648.0 || v > 2147483647.0) {
                return false;
            }
            PutLE32(bytes, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
            return true;
        }
        case 'Y': {
            double v = std::nearbyint(value * 10000.0);
            if (!(v > -9.2e18 && v < 9.2e18)) {
                return false;
            }
            PutLE64(bytes, static_cast<std::uint64_t>(static_cast<std::int64_t>(v)));
            return true;
        }
        case 'B': {
            std::uint64_t bits = 0;
            value = value == 0 ? 0 : value;  // no minus zero
            std::memcpy(&bits, &value, sizeof bits);
            PutLE64(bytes, bits);
            return true;
        }
        default:
            return false;
    }
}

double DateTimeToJulian(const char* bytes) {
    std::uint32_t day = GetLE32(bytes);
    std::uint32_t ms = GetLE32(bytes + 4);
    if (day == 0) {
        return 0;
    }
    return day + std::min<double>(ms, kMillisecondsPerDay - 1) / kMillisecondsPerDay;
}

bool PutDateTime(double julian, char* bytes) {
    if (julian == 0) {
        std::memset(bytes, 0, 8);
        return true;
    }
    if (!(julian >= 1721426 && julian < 5373485)) {
        return false;
    }
    double day = std::floor(julian);
    double ms = std::nearbyint((julian - day) * kMillisecondsPerDay);
    if (ms >= kMillisecondsPerDay) {
        day += 1;
        ms = 0;
    }
    PutLE32(bytes, static_cast<std::uint32_t>(day));
    PutLE32(bytes + 4, static_cast<std::uint32_t>(ms));
    return true;
}

std::string FormatDateTime(const char* bytes) {
    std::uint32_t day = GetLE32(bytes);
    std::uint32_t ms = GetLE32(bytes + 4);
    std::string date = JulianToStoredDate(day);
    if (day == 0 || date[0] == ' ') {
        return std::string(17, ' ');
    }
    std::uint32_t seconds = std::min<std::uint32_t>(ms / 1000, 86399);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%s %02u:%02u:%02u", date.c_str(), seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return buffer;
}

std::string FormatBinaryNumber(char type, const char* bytes) {
    char buffer[64];
    switch (type) {
        case 'I':
            std::snprintf(buffer, sizeof buffer, "%d", static_cast<std::int32_t>(GetLE32(bytes)));
            return buffer;
        case 'Y': {
            auto v = static_cast<std::int64_t>(GetLE64(bytes));
            std::uint64_t magnitude =
                v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v) : std::uint64_t(v);
            std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", v < 0 ? "-" : "",
                          static_cast<unsigned long long>(magnitude / 10000),
                          static_cast<unsigned long long>(magnitude % 10000));
            return buffer;
        }
        default: {
            double v = BinaryFieldNumber(type, bytes);
            if (v == std::trunc(v) && std::fabs(v) < 1e15) {
                std::snprintf(buffer, sizeof buffer, "%.0f", v);
                return buffer;
            }
            for (int digits = 1; digits <= 17; ++digits) {
                std::snprintf(buffer, sizeof buffer, "%.*g", digits, v);
                if (std::strtod(buffer, nullptr) == v) {
                    break;
                }
            }
            return buffer;
        }
    }
}

bool ParseMemoPointer(const char* bytes, int width, bool binary, std::uint32_t& block) {
    block = 0;
    if (binary && width == 4) {
        block = GetLE32(bytes);
        return true;
    }
    std::uint64_t value = 0;
    bool digits = false;
    for (int i = 0; i < width; ++i) {
        char c = bytes[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
            digits = true;
            if (value > 0xFFFFFFFFull) {
                return false;
            }
        } else if (c == ' ' || c == 0) {
            if (digits) {
                // Trailing blanks after the digits are tolerated; anything else is not.
                for (int j = i; j < width; ++j) {
                    if (bytes[j] != ' ' && bytes[j] != 0) {
                        return false;
                    }
                }
                break;
            }
        } else {
            return false;
        }
    }
    block = static_cast<std::uint32_t>(value);
    return true;
}

void PutMemoPointer(char* bytes, int width, bool binary, std::uint32_t block) {
    if (binary && width == 4) {
        PutLE32(bytes, block);
        return;
    }
    std::memset(bytes, ' ', static_cast<std::size_t>(width));
    if (block == 0) {
        return;
    }
    char buffer[16];
    int n = std::snprintf(buffer, sizeof buffer, "%u", block);
    if (n > width) {
        return;  // cannot happen for 10-wide fields
    }
    std::memcpy(bytes + width - n, buffer, static_cast<std::size_t>(n));
}

}  // namespace xbase
