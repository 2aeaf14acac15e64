// The task editor's date, time and key word rules, under several user notations, without a
// window: what the editor shows of a stored task, what it stores of what it shows, and what
// it accepts when a field is left.
#include <gtest/gtest.h>

#include <string>

#include "rtl/date_time.h"
#include "rtl/format_settings.h"
#include "store/task_editing.h"

namespace {

struct Notation {
    const char* name;
    const char* shortDate;
    char dateSeparator;
    const char* shortTime;
    char timeSeparator;
};
constexpr Notation kUs{"US", "M/d/yyyy", '/', "h:nn AMPM", ':'};
constexpr Notation kGb{"GB", "dd/MM/yyyy", '/', "hh:nn", ':'};
constexpr Notation kDots{"dots", "dd.MM.yyyy", '.', "hh:nn", '.'};
constexpr Notation kIso{"ISO", "yyyy-MM-dd", '-', "hh:nn", ':'};

class TaskEditingTest : public testing::Test {
  protected:
    void TearDown() override { rtl::SetCurrentFormats(saved_); }
    void Use(const Notation& n) {
        rtl::FormatSettings settings = rtl::DefaultFormatSettings();
        settings.shortDateFormat = n.shortDate;
        settings.dateSeparator = n.dateSeparator;
        settings.shortTimeFormat = n.shortTime;
        settings.timeSeparator = n.timeSeparator;
        rtl::SetCurrentFormats(settings);
    }

  private:
    rtl::FormatSettings saved_ = rtl::CurrentFormats();
};

TEST_F(TaskEditingTest, AStoredDateAndTimeComeBackFromTheEditorUnchangedInEveryNotation) {
    const struct {
        Notation notation;
        const char* date;
        const char* time;
    } cases[] = {
        {kUs, "1/15/2026", "2:30 PM"},
        {kGb, "15/01/2026", "14:30"},
        // The notation's time separator must not reach the file.
        {kDots, "15.01.2026", "14.30"},
        {kIso, "2026-01-15", "14:30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation.name);
        Use(c.notation);
        EXPECT_EQ(store::EditorDateOf("20260115"), c.date);
        EXPECT_EQ(store::EditorTimeOf("14:30"), c.time);
        EXPECT_EQ(store::StoredDateOfEditor(c.date), "20260115");
        EXPECT_EQ(store::StoredTimeOfEditor(c.time), "14:30");
        // What names no day or time shows and stores empty.
        for (const char* stored : {"", "20260230", "abcdefgh"}) {
            EXPECT_EQ(store::EditorDateOf(stored), "") << stored;
        }
        for (const char* stored : {"", "25:00", "14:3x"}) {
            EXPECT_EQ(store::EditorTimeOf(stored), "") << stored;
        }
        EXPECT_EQ(store::StoredDateOfEditor(""), "");
        EXPECT_EQ(store::StoredDateOfEditor("31/31/2026"), "");
        EXPECT_EQ(store::StoredTimeOfEditor("25:00"), "");
    }
    // A text the notation in force does not read is read in the internal one.
    Use(kGb);
    EXPECT_EQ(store::StoredDateOfEditor("01/15/2026"), "20260115");
}

TEST_F(TaskEditingTest, LeavingTheDateOrTimeFieldRewritesWhatReadsAndRefusesTheRest) {
    rtl::TDateTime today = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 12, 8, today));
    const struct {
        Notation notation;
        const char* typed;
        const char* date;  // nullptr: refused
        const char* time;  // nullptr: refused
    } cases[] = {
        {kUs, "", "", ""},
        {kUs, "3/4", "3/4/2026", nullptr},  // a date without its year is in today's year
        {kUs, "3/4/26", "3/4/2026", nullptr},
        {kUs, "2:5 pm", nullptr, "2:05 PM"},
        {kUs, "14:30", nullptr, "2:30 PM"},
        {kGb, "3/4", "03/04/2026", nullptr},
        {kGb, "31/12/2027", "31/12/2027", nullptr},
        {kGb, "12/31/2027", nullptr, nullptr},
        {kGb, "9:7", nullptr, "09:07"},
        {kDots, "1.2.2030", "01.02.2030", nullptr},
        {kDots, "9.07", "09.07.2026", "09.07"},  // day and month, or hours and minutes
        {kIso, "2027-2-3", "2027-02-03", nullptr},
        {kIso, "  ", nullptr, nullptr},
        {kIso, "tomorrow", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.notation.name << " '" << c.typed << "'");
        Use(c.notation);
        const std::optional<std::string> date = store::CheckedEditorDate(c.typed, today);
        EXPECT_EQ(date.has_value(), c.date != nullptr);
        if (date && c.date != nullptr) {
            EXPECT_EQ(*date, c.date);
        }
        const std::optional<std::string> time = store::CheckedEditorTime(c.typed);
        EXPECT_EQ(time.has_value(), c.time != nullptr);
        if (time && c.time != nullptr) {
            EXPECT_EQ(*time, c.time);
        }
    }
    Use(kGb);
    EXPECT_EQ(store::DateRefusalText(today),
              "Please use the date format dd/MM/yyyy\r   Example: 08/12/2026");
    EXPECT_EQ(store::TimeRefusalText(today + 0.75),
              "Invalid time. Please use your Windows Time format\r   Example: 18:00");
}

TEST(TaskEditing, AKeyWordIsAddedOnlyWhileKeysStaysWithinSixtyCharacters) {
    const std::string fiftyFive(55, 'k');
    EXPECT_EQ(store::KeysWithWord("", "home"), "home");
    EXPECT_EQ(store::KeysWithWord("work", "home"), "work home");
    EXPECT_EQ(store::KeysWithWord(fiftyFive, "home"), fiftyFive + " home");  // exactly 60
    EXPECT_EQ(store::KeysWithWord(fiftyFive, "homes"), std::nullopt);        // 61
    EXPECT_EQ(store::KeysWithWord("", std::string(61, 'w')), std::nullopt);
}

}  // namespace
