// Text, number and date helpers behind the expression evaluator.
#include "platform/xbase/expr_support.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "rtl/ansi.h"
#include "rtl/date_time.h"

namespace xbase::expr {
namespace {

struct CaseTables {
    unsigned char upper[256];
    unsigned char lower[256];
    CaseTables() {
        for (int i = 0; i < 256; ++i) {
            upper[i] = static_cast<unsigned char>(rtl::AnsiUpper(static_cast<char>(i)));
            lower[i] = static_cast<unsigned char>(rtl::AnsiLower(static_cast<char>(i)));
        }
    }
};

const CaseTables& Tables() {
    static const CaseTables tables;
    return tables;
}

void MapInto(std::string_view in, std::string& out, const unsigned char* table) {
    out.resize(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        out[i] = static_cast<char>(table[static_cast<unsigned char>(in[i])]);
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int CompareBytes(std::string_view a, std::string_view b, size_t n) {
    return n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
}

// Compares the rest of the longer text with the blanks that pad the shorter one.
int CompareWithBlanks(std::string_view rest) {
    for (char c : rest) {
        const auto u = static_cast<unsigned char>(c);
        if (u != ' ') {
            return u < ' ' ? -1 : 1;
        }
    }
    return 0;
}

// Date format codes to their field order and separator; unknown codes read as American.
struct DateShape {
    enum class Order { kMdy, kYmd, kDmy } order;
    char separator;
};

DateShape ShapeOf(int code) {
    switch (code) {
        case 1:
            return {DateShape::Order::kYmd, '.'};  // ANSI
        case 2:                                    // British
        case 3:
            return {DateShape::Order::kDmy, '/'};  // French
        case 4:
            return {DateShape::Order::kDmy, '.'};  // German
        case 5:                                    // Italian
        case 6:
            return {DateShape::Order::kDmy, '-'};  // Spanish
        default:
            return {DateShape::Order::kMdy, '/'};  // American
    }
}

void AppendDigits(int value, int width, bool blank, std::string& out) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = blank ? ' ' : static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<size_t>(width));
}

double RoundHalfAway(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!(std::fabs(scaled) < 1e15)) {
        return value;  // beyond the digits a double holds: nothing to round
    }
    // The nudge makes 1.005 round to 1.01, as people (and xBase) expect, although its
    // binary value lies a hair below.
    const double rounded = std::round(scaled * (1 + 4 * std::numeric_limits<double>::epsilon()));
    const double result = rounded / scale;
    return result == 0 ? 0.0 : result;  // no "-0"
}

// Fixed notation with `decimals` digits into `buffer`; the number of characters.
int FormatFixed(double value, int decimals, char* buffer, size_t size) {
    const auto result = std::to_chars(buffer, buffer + size, RoundHalfAway(value, decimals),
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(result.ptr - buffer);
}

}  // namespace

const unsigned char* UpperTable() {
    return Tables().upper;
}

unsigned char UpperByte(unsigned char c) {
    return Tables().upper[c];
}
unsigned char LowerByte(unsigned char c) {
    return Tables().lower[c];
}
void UpperInto(std::string_view in, std::string& out) {
    MapInto(in, out, Tables().upper);
}
void LowerInto(std::string_view in, std::string& out) {
    MapInto(in, out, Tables().lower);
}

int CompareText(std::string_view left, std::string_view right, TextMatch match) {
    switch (match) {
        case TextMatch::kPrefix: {
            if (left.size() > right.size()) {
                left = left.substr(0, right.size());
            }
            break;
        }
        case TextMatch::kPadded: {
            const size_t n = std::min(left.size(), right.size());
            if (const int c = CompareBytes(left, right, n); c != 0) {
                return c;
            }
            if (left.size() > n) {
                return CompareWithBlanks(left.substr(n));
            }
            return -CompareWithBlanks(right.substr(n));
        }
        case TextMatch::kIdentical:
            break;
    }
    const size_t n = std::min(left.size(), right.size());
    if (const int c = CompareBytes(left, right, n); c != 0) {
        return c;
    }
    return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}

bool Contains(std::string_view needle, std::string_view haystack) {
    return !needle.empty() && haystack.find(needle) != std::string_view::npos;
}

bool IsBlankText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsBlank);
}

std::string_view TrimLeft(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    return text.substr(i);
}

std::string_view TrimRight(std::string_view text) {
    size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') {
        --n;
    }
    return text.substr(0, n);
}

double ParseNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t start = i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i, ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    double value = 0;
    std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::fixed);
    return negative ? -value : value;
}

bool FormatStr(double value, int length, int decimals, std::string& out) {
    out.clear();
    if (length < 1 || length > kMaxStrLength) {
        return false;
    }
    decimals = std::clamp(decimals, 0, 18);
    if (!std::isfinite(value)) {
        out.append(static_cast<size_t>(length), '*');
        return true;
    }
    char buffer[400];  // room for the widest double in fixed notation with 18 decimals
    int n = FormatFixed(value, decimals, buffer, sizeof buffer);
    if (n > length && decimals > 0) {
        n = FormatFixed(value, 0, buffer, sizeof buffer);
    }
    if (n > length) {
        out.append(static_cast<size_t>(length), '*');
    } else {
        out.append(static_cast<size_t>(length - n), ' ');
        out.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

double DateFromDtos(std::string_view bytes) {
    if (bytes.size() != 8 || !std::all_of(bytes.begin(), bytes.end(), IsDigit)) {
        return 0;
    }
    auto number = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t i = at; i < at + n; ++i) {
            v = v * 10 + (bytes[i] - '0');
        }
        return v;
    };
    return JulianDay(number(0, 4), number(4, 2), number(6, 2));
}

void AppendDtos(double julianDay, std::string& out) {
    int y, m, d;
    if (!JulianToDate(julianDay, y, m, d)) {
        out.append(8, ' ');
        return;
    }
    AppendDigits(y, 4, false, out);
    AppendDigits(m, 2, false, out);
    AppendDigits(d, 2, false, out);
}

void AppendDtoc(double julianDay, const EvalSettings& settings, std::string& out) {
    int y = 0, m = 0, d = 0;
    const bool blank = !JulianToDate(julianDay, y, m, d);
    const DateShape shape = ShapeOf(settings.dateFormat);
    const int yearWidth = settings.century ? 4 : 2;
    const int year = settings.century ? y : y % 100;
    int parts[3];
    int widths[3] = {2, 2, 2};
    switch (shape.order) {
        case DateShape::Order::kMdy:
            parts[0] = m, parts[1] = d, parts[2] = year;
            widths[2] = yearWidth;
            break;
        case DateShape::Order::kYmd:
            parts[0] = year, parts[1] = m, parts[2] = d;
            widths[0] = yearWidth;
            break;
        case DateShape::Order::kDmy:
            parts[0] = d, parts[1] = m, parts[2] = year;
            widths[2] = yearWidth;
            break;
    }
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            out += shape.separator;
        }
        AppendDigits(parts[i], widths[i], blank, out);
    }
}

double ParseCtod(std::string_view text, const EvalSettings& settings) {
    int groups[3] = {0, 0, 0};
    int digitCounts[3] = {0, 0, 0};
    int found = 0;
    bool inGroup = false;
    for (char c : text) {
        if (IsDigit(c)) {
            if (!inGroup) {
                if (found == 3) {
                    return 0;
                }
                inGroup = true;
                ++found;
            }
            if (++digitCounts[found - 1] > 4) {
                return 0;
            }
            groups[found - 1] = groups[found - 1] * 10 + (c - '0');
        } else if (IsBlank(c) || c == '/' || c == '.' || c == '-') {
            inGroup = false;
        } else {
            return 0;
        }
    }
    if (found < 3) {
        return 0;
    }
    int y, m, d;
    int yearDigits;
    switch (ShapeOf(settings.dateFormat).order) {
        case DateShape::Order::kYmd:
            y = groups[0], m = groups[1], d = groups[2];
            yearDigits = digitCounts[0];
            break;
        case DateShape::Order::kDmy:
            d = groups[0], m = groups[1], y = groups[2];
            yearDigits = digitCounts[2];
            break;
        default:
            m = groups[0], d = groups[1], y = groups[2];
            yearDigits = digitCounts[2];
            break;
    }
    if (yearDigits <= 2) {
        y += 1900;
    }
    return JulianDay(y, m, d);
}

}  // namespace xbase::expr

namespace xbase {

double JulianDay(int year, int month, int day) {
    rtl::TDateTime value = 0;
    if (!rtl::TryEncodeDate(year, month, day, value)) {
        return 0;
    }
    return value + expr::kJulianOffset;
}

bool JulianToDate(double julianDay, int& year, int& month, int& day) {
    if (!(julianDay >= 1 && julianDay < 1e7)) {
        return false;
    }
    const rtl::DateParts parts = rtl::DecodeDate(std::floor(julianDay) - expr::kJulianOffset);
    if (parts.year == 0) {
        return false;
    }
    year = parts.year, month = parts.month, day = parts.day;
    return true;
}

}  // namespace xbase
