// The key word choice, the quick-date and quick-time texts, and the one-field change behind
// every quick-entry menu.
#include "store/quick_entry.h"

#include <cstdio>

#include "rtl/date_format.h"
#include "rtl/date_parse.h"
#include "store/engine_adaptor.h"

namespace store {
namespace {

std::string WeekdayOf(rtl::TDateTime day) {
    return rtl::FormatDateTime("dddd", day);
}

}  // namespace

std::string KeysWithChoice(std::string_view keys, std::string_view caption) {
    if (caption == kClearEntry) {
        return {};
    }
    if (keys.empty()) {
        return std::string(caption);
    }
    return std::string(keys) + " " + std::string(caption);
}

std::vector<QuickDateItem> QuickDateItems(rtl::TDateTime today) {
    auto date = [today](int days) { return "\t" + rtl::FormatDateTime("ddddd", today + days); };
    auto weekday = [today](int days) { return WeekdayOf(today + days); };
    std::vector<QuickDateItem> items = {
        {"Today", 0, "Today"},
        {"Tomorrow", 1, "Tomorrow"},
        {"TodayPlus2", 2, weekday(2)},
        {"TodayPlus3", 3, weekday(3)},
        {"TodayPlus4", 4, weekday(4)},
        {"TodayPlus5", 5, weekday(5)},
        {"TodayPlus6", 6, weekday(6)},
        {"WeekFromToday", 7, "A Week From Today"},
        {"WeekFromTomorrow", 8, "A Week From Tomorrow"},
        {"Week2", 9, "A Week from " + weekday(9)},
        {"Week3", 10, "A Week from " + weekday(10)},
        {"Week4", 11, "A Week from " + weekday(11)},
        {"Week5", 12, "A Week from " + weekday(12)},
        {"Week6", 13, "A Week from " + weekday(13)},
        {"TwoWeeksFromToday", 14, "Two Weeks From Today"},
        {"ThreeWeeksFromToday", 21, "Three Weeks From Today"},
        {"ThirtyDaysFromToday", 30, "30 Days From Today"},
    };
    for (QuickDateItem& item : items) {
        item.caption += date(item.tag);
    }
    return items;
}

rtl::TDateTime QuickTimeStart(std::string_view time, rtl::TDateTime now) {
    rtl::TDateTime value = 0;
    if (rtl::TryStrToTime(time, value)) {
        return value;
    }
    return now - static_cast<double>(static_cast<long long>(now));
}

std::string QuickTimeToStored(rtl::TDateTime chosen) {
    // The short time text drops the seconds; read back, it gives the minute to store. A
    // short time pattern that does not read back under the formats in force (a locale's
    // own separator) must not lose the choice, so the chosen minute is stored all the same.
    rtl::TDateTime minute = chosen;
    rtl::TDateTime read = 0;
    if (rtl::TryStrToTime(rtl::FormatDateTime("t", chosen), read)) {
        minute = read;
    }
    const rtl::TimeParts parts = rtl::DecodeTime(minute);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", parts.hour % 24, parts.minute % 60);
    return text;
}

std::string ChangeTaskField(TTable& table, std::string_view name, std::string_view value) {
    DbiResult r = table.Edit();
    if (r != dbi::kOk) {
        return table.LastErrorText();
    }
    TField* field = table.FieldByName(name);
    if (field == nullptr) {
        return "Field '" + std::string(name) + "' not found";
    }
    if (!field->SetAsString(value)) {
        return table.LastErrorText().empty() ? EngineAdaptor::ErrorText(dbi::kNotOpenCursor)
                                             : table.LastErrorText();
    }
    r = table.Post();
    return r == dbi::kOk ? std::string() : table.LastErrorText();
}

}  // namespace store
