// The quick-entry texts: the quick-date captions and the quick time's stored text.
#include "store/quick_entry.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "rtl/date_time.h"
#include "rtl/format_settings.h"

namespace {

class WithFormats : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = rtl::CurrentFormats();
        rtl::SetCurrentFormats(rtl::DefaultFormatSettings());
    }
    void TearDown() override { rtl::SetCurrentFormats(saved_); }

  private:
    rtl::FormatSettings saved_;
};

using QuickDates = WithFormats;
using QuickTimes = WithFormats;

TEST_F(QuickDates, SeventeenItemsCaptionedForTheDayWithWeekdays) {
    rtl::TDateTime monday = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 12, 28, monday));
    const std::vector<store::QuickDateItem> items = store::QuickDateItems(monday + 0.99);
    const struct {
        const char* name;
        int tag;
        const char* caption;
    } expected[] = {
        {"Today", 0, "Today\t12/28/2026"},
        {"Tomorrow", 1, "Tomorrow\t12/29/2026"},
        {"TodayPlus2", 2, "Wednesday\t12/30/2026"},
        {"TodayPlus3", 3, "Thursday\t12/31/2026"},
        {"TodayPlus4", 4, "Friday\t01/01/2027"},
        {"TodayPlus5", 5, "Saturday\t01/02/2027"},
        {"TodayPlus6", 6, "Sunday\t01/03/2027"},
        {"WeekFromToday", 7, "A Week From Today\t01/04/2027"},
        {"WeekFromTomorrow", 8, "A Week From Tomorrow\t01/05/2027"},
        {"Week2", 9, "A Week from Wednesday\t01/06/2027"},
        {"Week3", 10, "A Week from Thursday\t01/07/2027"},
        {"Week4", 11, "A Week from Friday\t01/08/2027"},
        {"Week5", 12, "A Week from Saturday\t01/09/2027"},
        {"Week6", 13, "A Week from Sunday\t01/10/2027"},
        {"TwoWeeksFromToday", 14, "Two Weeks From Today\t01/11/2027"},
        {"ThreeWeeksFromToday", 21, "Three Weeks From Today\t01/18/2027"},
        {"ThirtyDaysFromToday", 30, "30 Days From Today\t01/27/2027"},
    };
    ASSERT_EQ(items.size(), std::size(expected));
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_STREQ(items[i].name, expected[i].name);
        EXPECT_EQ(items[i].tag, expected[i].tag) << expected[i].name;
        EXPECT_EQ(items[i].caption, expected[i].caption);
    }

    // The weekday names are the ones in force, the user's own.
    rtl::FormatSettings french = rtl::DefaultFormatSettings();
    french.longDayNames = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
    rtl::SetCurrentFormats(french);
    EXPECT_EQ(store::QuickDateItems(monday)[2].caption, "mercredi\t12/30/2026");
    EXPECT_EQ(store::QuickDateItems(monday)[13].caption, "A Week from dimanche\t01/10/2027");
}

TEST_F(QuickTimes, StartAndStoredTextUnderEveryShortTimeFormat) {
    rtl::TDateTime now = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 12, 28, now));
    now += (9 * 60 + 41) / 1440.0;
    EXPECT_DOUBLE_EQ(store::QuickTimeStart("14:30", now), (14 * 60 + 30) / 1440.0);
    EXPECT_NEAR(store::QuickTimeStart("     ", now), (9 * 60 + 41) / 1440.0, 1e-9);
    EXPECT_NEAR(store::QuickTimeStart("25:00", now), (9 * 60 + 41) / 1440.0, 1e-9);

    const rtl::TDateTime chosen = (14 * 60 + 5) / 1440.0 + 37 / 86400.0;  // 14:05:37
    for (const char* pattern : {"h:nn AMPM", "hh:nn", "h:nn", "hh.nn", "hh' h 'nn"}) {
        rtl::FormatSettings settings = rtl::DefaultFormatSettings();
        settings.shortTimeFormat = pattern;
        rtl::SetCurrentFormats(settings);
        EXPECT_EQ(store::QuickTimeToStored(chosen), "14:05") << pattern;
        EXPECT_EQ(store::QuickTimeToStored(0), "00:00") << pattern;
    }
}

}  // namespace
