// Building the task filter's xBase expression.
#include "store/filter_expression.h"

#include <vector>

#include "rtl/ansi.h"
#include "rtl/text.h"
#include "store/display_fields.h"

namespace store {
namespace {

struct DateRange {
    std::string from;
    std::string to;
};

bool DateRangeOf(std::uint8_t index, rtl::TDateTime today, DateRange& range) {
    auto day = [today](int offset) { return DateToStored(today + offset); };
    switch (static_cast<DateFilter>(index)) {
        case DateFilter::kToday:
            range = {day(0), day(0)};
            return true;
        case DateFilter::kTomorrow:
            range = {day(1), day(1)};
            return true;
        case DateFilter::kNext7Days:
            range = {day(0), day(7)};
            return true;
        case DateFilter::kNext30Days:
            range = {day(0), day(30)};
            return true;
        case DateFilter::kNext365Days:
            range = {day(0), day(365)};
            return true;
        case DateFilter::kBeforeToday:
            range = {"19000101", day(-1)};
            return true;
        case DateFilter::kAllDates:
            break;
    }
    return false;
}

// A text constant holding `text`: in double quotes, or in single quotes or brackets when the
// text itself holds a double quote (and a single quote), so that any key word can be sought.
// A text that holds all three delimiters fits in none; the engine has no CHR(), so it is
// joined from the pieces around each double quote and a quoted double quote.
std::string Quoted(const std::string& text) {
    if (text.find('"') == std::string::npos) {
        return '"' + text + '"';
    }
    if (text.find('\'') == std::string::npos) {
        return '\'' + text + '\'';
    }
    if (text.find(']') == std::string::npos) {
        return '[' + text + ']';
    }
    std::string joined;
    size_t from = 0;
    for (size_t quote = text.find('"'); quote != std::string::npos;
         from = quote + 1, quote = text.find('"', from)) {
        joined += '"' + text.substr(from, quote - from) + "\"+'\"'+";
    }
    return "(" + joined + '"' + text.substr(from) + "\")";
}

std::string KeyClause(const std::string& keyText) {
    std::vector<std::string> pieces;
    rtl::SplitText(keyText, ",", pieces);
    std::string items;
    for (const std::string& piece : pieces) {
        if (!items.empty()) {
            items += ".or.";
        }
        // Folded the way the engine's UPPER folds KEYS, accented letters included.
        items += Quoted(rtl::AnsiUpperCase(rtl::TrimSpaces(piece))) + "$UPPER(KEYS)";
    }
    return "(" + items + ")";
}

}  // namespace

std::string BuildFilterExpression(const TaskFilter& filter, rtl::TDateTime today) {
    std::string expression;
    std::string separator;
    auto add = [&](const std::string& clause) {
        expression += separator + clause;
        separator = ".and.";
    };
    DateRange range;
    if (DateRangeOf(filter.DateFilterIndex, today, range)) {
        add("(DATE >=\"" + range.from + "\" and DATE <=\"" + range.to + "\")");
    }
    if (filter.PriorityFilterIndex >= 1 && filter.PriorityFilterIndex <= 3) {
        const char priority = static_cast<char>('A' + filter.PriorityFilterIndex - 1);
        // Other programs store the letter in either case, and the grid shows either as it.
        add(std::string("(UPPER(PRIORITY)=\"") + priority + "\")");
    }
    if (!filter.ShowDoneFlag) {
        add("(.not.DONE)");
    }
    if (!rtl::TrimSpaces(filter.KeyFilterText).empty()) {
        add(KeyClause(filter.KeyFilterText));
    }
    return expression;
}

bool IsFilterIndicatorShown(const TaskFilter& filter) {
    return filter.DateFilterIndex != 0 || !filter.KeyFilterText.empty() ||
           filter.PriorityFilterIndex != 0;
}

}  // namespace store
