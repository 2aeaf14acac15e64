// The task filter's expression, character for character, and the tasks it lets through on a
// real task file, checked against an evaluation of the filter's meaning written here.
#include "store/filter_expression.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/xbase/sx.h"
#include "rtl/ansi.h"
#include "rtl/date_time.h"
#include "store/display_fields.h"
#include "store_test_support.h"

namespace {

rtl::TDateTime Day(int year, int month, int day) {
    rtl::TDateTime value = 0;
    EXPECT_TRUE(rtl::TryEncodeDate(year, month, day, value));
    return value;
}

TEST(FilterExpression, ClausesInOrderJoinedByAnd) {
    const rtl::TDateTime today = Day(2026, 12, 28);
    struct Case {
        store::TaskFilter filter;
        const char* expression;
    } cases[] = {
        {{.ShowDoneFlag = true}, ""},
        {{}, "(.not.DONE)"},
        {{.PriorityFilterIndex = 1, .ShowDoneFlag = true}, "(UPPER(PRIORITY)=\"A\")"},
        {{.DateFilterIndex = 1, .ShowDoneFlag = true},
         "(DATE >=\"20261228\" and DATE <=\"20261228\")"},
        {{.DateFilterIndex = 2, .ShowDoneFlag = true},
         "(DATE >=\"20261229\" and DATE <=\"20261229\")"},
        {{.DateFilterIndex = 3, .PriorityFilterIndex = 1, .KeyFilterText = "work, home"},
         "(DATE >=\"20261228\" and DATE <=\"20270104\").and.(UPPER(PRIORITY)=\"A\")"
         ".and.(.not.DONE)"
         ".and.(\"WORK\"$UPPER(KEYS).or.\"HOME\"$UPPER(KEYS))"},
        {{.DateFilterIndex = 4, .PriorityFilterIndex = 3, .ShowDoneFlag = true},
         "(DATE >=\"20261228\" and DATE <=\"20270127\").and.(UPPER(PRIORITY)=\"C\")"},
        {{.DateFilterIndex = 5, .ShowDoneFlag = true},
         "(DATE >=\"20261228\" and DATE <=\"20271228\")"},
        {{.DateFilterIndex = 6, .PriorityFilterIndex = 2},
         "(DATE >=\"19000101\" and DATE <=\"20261227\")"
         ".and.(UPPER(PRIORITY)=\"B\").and.(.not.DONE)"},
        // Blanks only: no key clause (the indicator still shows, below).
        {{.ShowDoneFlag = true, .KeyFilterText = "   "}, ""},
        // Empty pieces seek the empty word.
        {{.ShowDoneFlag = true, .KeyFilterText = "a,,b,"},
         "(\"A\"$UPPER(KEYS).or.\"\"$UPPER(KEYS).or.\"B\"$UPPER(KEYS).or.\"\"$UPPER(KEYS))"},
        // Every Windows-1252 letter is folded, as the engine's UPPER folds KEYS.
        {{.ShowDoneFlag = true, .KeyFilterText = " caf\xE9 , stra\xDF" "e"},
         "(\"CAF\xC9\"$UPPER(KEYS).or.\"STRA\xDF" "E\"$UPPER(KEYS))"},
        // A piece is written inside delimiters it does not hold.
        {{.ShowDoneFlag = true, .KeyFilterText = "6\"screen,it's,\"a'b\",x]$.y"},
         "('6\"SCREEN'$UPPER(KEYS).or.\"IT'S\"$UPPER(KEYS).or.[\"A'B\"]$UPPER(KEYS)"
         ".or.\"X]$.Y\"$UPPER(KEYS))"},
        // A piece holding all three delimiters is joined from pieces around each double quote.
        {{.ShowDoneFlag = true, .KeyFilterText = "say \"it's [done]\",\"'],\""},
         "((\"SAY \"+'\"'+\"IT'S [DONE]\"+'\"'+\"\")$UPPER(KEYS)"
         ".or.(\"\"+'\"'+\"']\")$UPPER(KEYS).or.'\"'$UPPER(KEYS))"},
        // Out-of-range indexes add nothing.
        {{.DateFilterIndex = 7, .PriorityFilterIndex = 4, .ShowDoneFlag = true}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(store::BuildFilterExpression(c.filter, today), c.expression)
            << "date " << int(c.filter.DateFilterIndex) << " priority "
            << int(c.filter.PriorityFilterIndex) << " keys '" << c.filter.KeyFilterText << "'";
    }
}

TEST(FilterExpression, IndicatorIgnoresHiddenDoneTasks) {
    EXPECT_FALSE(store::IsFilterIndicatorShown({}));
    EXPECT_FALSE(store::IsFilterIndicatorShown({.ShowDoneFlag = true}));
    EXPECT_TRUE(store::IsFilterIndicatorShown({.DateFilterIndex = 6}));
    EXPECT_TRUE(store::IsFilterIndicatorShown({.PriorityFilterIndex = 2}));
    EXPECT_TRUE(store::IsFilterIndicatorShown({.KeyFilterText = "  "}));
}

// What each filter means, stated on a task's stored texts without the engine.
bool Passes(const store::TaskFilter& filter, const store_test::Task& task, rtl::TDateTime today) {
    std::string date = task.date;
    date.resize(8, ' ');
    auto stored = [today](int offset) { return store::DateToStored(today + offset); };
    auto within = [&](const std::string& from, const std::string& to) {
        return date >= from && date <= to;
    };
    switch (filter.DateFilterIndex) {
        case 1: if (!within(stored(0), stored(0))) return false; break;
        case 2: if (!within(stored(1), stored(1))) return false; break;
        case 3: if (!within(stored(0), stored(7))) return false; break;
        case 4: if (!within(stored(0), stored(30))) return false; break;
        case 5: if (!within(stored(0), stored(365))) return false; break;
        case 6: if (!within("19000101", stored(-1))) return false; break;
        default: break;
    }
    if (filter.PriorityFilterIndex >= 1 && filter.PriorityFilterIndex <= 3 &&
        rtl::AnsiUpperCase(task.priority) !=
            std::string(1, char('A' + filter.PriorityFilterIndex - 1))) {
        return false;
    }
    if (!filter.ShowDoneFlag && task.done) {
        return false;
    }
    std::string trimmed = filter.KeyFilterText;
    if (trimmed.find_first_not_of(' ') == std::string::npos) {
        return true;
    }
    const std::string keys = rtl::AnsiUpperCase(task.keys);
    std::string piece;
    for (size_t i = 0; i <= filter.KeyFilterText.size(); ++i) {
        if (i == filter.KeyFilterText.size() || filter.KeyFilterText[i] == ',') {
            const size_t first = piece.find_first_not_of(' ');
            const size_t last = piece.find_last_not_of(' ');
            const std::string word =
                first == std::string::npos ? "" : piece.substr(first, last - first + 1);
            // The empty text is contained in no text.
            if (!word.empty() && keys.find(rtl::AnsiUpperCase(word)) != std::string::npos) {
                return true;
            }
            piece.clear();
        } else {
            piece += filter.KeyFilterText[i];
        }
    }
    return false;
}

class FilterOnTaskFile : public store_test::StoreTest {};

TEST_F(FilterOnTaskFile, LetsThroughExactlyTheTasksTheFilterMeans) {
    const rtl::TDateTime today = rtl::Today();
    auto at = [today](int offset) { return store::DateToStored(today + offset); };
    auto task = [](std::string date, std::string descript, std::string keys,
                   std::string priority = "B", bool done = false) {
        store_test::Task t;
        t.date = std::move(date);
        t.descript = std::move(descript);
        t.keys = std::move(keys);
        t.priority = std::move(priority);
        t.done = done;
        return t;
    };
    const std::vector<store_test::Task> tasks = {
        task("", "no date", "work"),
        task(at(0), "today", "Work home", "A"),
        task(at(0), "today done", "home", "B", true),
        task(at(1), "tomorrow", "caf\xE9", "C"),
        task(at(2), "quoted", "say \"it's [done]\" now", "b"),
        task(at(3), "all three", "x\"']y", "c"),
        task(at(7), "a week on", "6\"screen"),
        task(at(8), "eight days on", "it's [x]", "A"),
        task(at(30), "a month on", "$.money"),
        task(at(31), "past a month", "STRASSE stra\xDF" "e"),
        task(at(365), "a year on", "", "a"),
        task(at(-1), "yesterday", "homework", "C"),
        task("19000101", "long ago", "", "B", true),
        task("18991231", "before 1900", ""),
    };
    MakeTaskFile("QUILX.DBF", tasks, false);
    ASSERT_NE(sx_Use(PathOf("QUILX.DBF"), "TASKS", 2, 2), 0);

    const char* keyTexts[] = {"", "  ", "work", "ork, home", "CAF\xC9", "stra\xDF" "e",
                              "6\"screen", "it's", "[x]", "$.", "a,,", "nothing",
                              "\"it's [done]\"", "\"']", "]\"'", "\"\",\"']"};
    int checked = 0;
    for (std::uint8_t date = 0; date <= 6; ++date) {
        for (std::uint8_t priority = 0; priority <= 3; ++priority) {
            for (bool showDone : {false, true}) {
                for (const char* keys : keyTexts) {
                    const store::TaskFilter filter{date, priority, showDone, keys};
                    const std::string expression = store::BuildFilterExpression(filter, today);
                    ASSERT_EQ(sx_Query(expression), 1) << expression;
                    std::set<std::string> shown;
                    for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
                        shown.insert(sx_GetTrimString("DESCRIPT"));
                    }
                    std::set<std::string> meant;
                    for (const store_test::Task& task : tasks) {
                        if (Passes(filter, task, today)) {
                            meant.insert(task.descript);
                        }
                    }
                    ASSERT_EQ(shown, meant) << expression;
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 7 * 4 * 2 * 16);
}

}  // namespace
