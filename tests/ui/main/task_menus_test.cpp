// The task list's quick-entry menus, sort menus and filter dialog on real task files: the
// value each menu item stores, quick dates after midnight, the sort ticks in every order,
// and the filter dialog's Ok, Reset and Cancel with key words of every kind.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "rtl/ansi.h"
#include "rtl/date_time.h"
#include "rtl/format_settings.h"
#include "store/display_fields.h"
#include "store/filter_expression.h"
#include "store/quick_entry.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/set_time_dialog.h"
#include "ui/main/column_menus.h"
#include "ui/main/filter_form.h"
#include "ui/main/sort_menus.h"
#include "widget_test_support.h"

namespace {

using ui::test::Choose;
using ui::test::WhenPopupShown;

rtl::TDateTime Day(int year, int month, int day) {
    rtl::TDateTime value = 0;
    EXPECT_TRUE(rtl::TryEncodeDate(year, month, day, value));
    return value;
}

// Key words with Windows-1252 letters and with the characters an expression or a menu
// caption treats specially.
const std::vector<std::string> kOddKeyWords = {"caf\xE9", "Stra\xDF\x65", "6\"screen", "it's",
                                               "x]",      "$5",           "a.b",       "R&D"};

store_test::Task TaskOf(const char* descript, const char* keys = "", const char* date = "",
                        const char* priority = "B") {
    store_test::Task task;
    task.descript = descript;
    task.keys = keys;
    task.date = date;
    task.priority = priority;
    return task;
}

rtl::TDateTime At(int hour, int minute, int second = 0) {
    return (hour * 3600 + minute * 60 + second) / 86400.0;
}

class TaskMenusTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        formats_ = rtl::CurrentFormats();
        rtl::FormatSettings internal = rtl::DefaultFormatSettings();
        rtl::SetCurrentFormats(internal);
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes_.push_back(request.text);
            return ui::kIdOk;
        });
        store_ = std::make_unique<store::TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
    }
    void TearDown() override {
        menus_.reset();
        store_.reset();
        ui::SetMessageBoxPresenter(previous_);
        rtl::SetCurrentFormats(formats_);
        StoreTest::TearDown();
    }

    void Open(const std::vector<store_test::Task>& tasks) {
        MakeTaskFile("QUILX.DBF", tasks, true);
        ASSERT_TRUE(store_->OpenTaskTable(false));
        ASSERT_EQ(Table().First(), store::dbi::kOk);
        menus_ = std::make_unique<TColumnMenus>(
            Table(), keyWords_, nullptr,
            [this](rtl::TDateTime& value) { return Pick(dates_, value); },
            [this](rtl::TDateTime& value) { return Pick(times_, value); });
        menus_->SetClock([this] { return now_; });
        QObject::connect(menus_.get(), &TColumnMenus::taskChanged, [this] { ++changes_; });
    }

    store::TTable& Table() { return store_->TodoTable; }
    std::string Field(const char* name) { return Table().FieldByName(name)->AsString(); }
    void Trigger(QMenu* menu, const char* item) {
        auto* action = menu->findChild<QAction*>(QString::fromLatin1(item));
        ASSERT_NE(action, nullptr) << item;
        action->trigger();
    }

    // A scripted picker: notes where it started and answers with the next choice, or
    // Cancel when the choice is empty.
    struct Script {
        std::vector<std::optional<rtl::TDateTime>> choices;
        std::vector<rtl::TDateTime> starts;
    };
    static bool Pick(Script& script, rtl::TDateTime& value) {
        script.starts.push_back(value);
        if (script.choices.empty()) {
            ADD_FAILURE() << "a picker was not expected";
            return false;
        }
        std::optional<rtl::TDateTime> choice = script.choices.front();
        script.choices.erase(script.choices.begin());
        if (choice) {
            value = *choice;
        }
        return choice.has_value();
    }

    std::unique_ptr<store::TTaskStore> store_;
    std::unique_ptr<TColumnMenus> menus_;
    std::vector<std::string> keyWords_;
    rtl::TDateTime now_ = Day(2026, 12, 28) + At(10, 15);
    Script dates_;
    Script times_;
    int changes_ = 0;
    std::vector<QString> boxes_;
    ui::MessageBoxPresenter previous_;
    rtl::FormatSettings formats_;
    ui::test::ConnectionGuard guard_;
};

TEST_F(TaskMenusTest, EachMenuItemStoresItsValueInTheCurrentTask) {
    store_test::Task task;
    task.date = "20261225";
    task.time = "14:30";
    task.descript = "Only task";
    task.priority = "B";
    Open({task});
    menus_->FormCreate();
    const auto stored = [this](int days) { return store::DateToStored(std::floor(now_) + days); };

    struct Case {
        QMenu* menu;
        const char* item;
        const char* field;
        std::string value;  // what the field holds afterwards
        bool changed = true;
    } cases[] = {
        {menus_->PriorityColumnMenu(), "High1", "PRIORITY", "A"},
        {menus_->PriorityColumnMenu(), "Low1", "PRIORITY", "C"},
        {menus_->PriorityColumnMenu(), "Cancel3", "PRIORITY", "C", false},
        {menus_->PriorityColumnMenu(), "MediumPriority1", "PRIORITY", "B"},
        {menus_->QuickDateMenu(), "Today", "DATE", stored(0)},
        {menus_->QuickDateMenu(), "TodayPlus6", "DATE", stored(6)},
        {menus_->QuickDateMenu(), "WeekFromTomorrow", "DATE", stored(8)},
        {menus_->QuickDateMenu(), "Week6", "DATE", stored(13)},
        {menus_->QuickDateMenu(), "ThreeWeeksFromToday", "DATE", stored(21)},
        {menus_->QuickDateMenu(), "ThirtyDaysFromToday", "DATE", stored(30)},
        {menus_->QuickDateMenu(), "Cancel2", "DATE", stored(30), false},
        {menus_->DateColumnMenu(), "Cancel1", "DATE", stored(30), false},
        {menus_->DateColumnMenu(), "ClearDate1", "DATE", ""},
        // The calendar answers 4 March 2027 (late in the day), then Cancel.
        {menus_->DateColumnMenu(), "Calendar1", "DATE", "20270304"},
        {menus_->DateColumnMenu(), "Calendar1", "DATE", "20270304", false},
    };
    dates_.choices = {Day(2027, 3, 4) + At(23, 59), std::nullopt};
    for (const Case& c : cases) {
        const int before = changes_;
        Trigger(c.menu, c.item);
        EXPECT_EQ(Field(c.field), c.value) << c.item;
        EXPECT_EQ(changes_ - before, c.changed ? 1 : 0) << c.item;
        EXPECT_EQ(Table().State(), store::TDataSetState::dsBrowse) << c.item;
    }
    // A blank date starts the calendar today; a stored one at that day.
    ASSERT_EQ(dates_.starts.size(), 2u);
    EXPECT_EQ(dates_.starts[0], std::floor(now_));
    EXPECT_EQ(dates_.starts[1], Day(2027, 3, 4));

    // Quick time: starts at TIME, stores the minute chosen; Cancel keeps it; a blank TIME
    // starts at the clock's time of day.
    times_.choices = {At(9, 7, 30), std::nullopt, At(0, 0), At(23, 59, 59)};
    menus_->DoQuickTime();
    EXPECT_EQ(Field("TIME"), "09:07");
    menus_->DoQuickTime();
    EXPECT_EQ(Field("TIME"), "09:07");
    menus_->DoQuickTime();
    EXPECT_EQ(Field("TIME"), "00:00");
    ASSERT_TRUE(store::ChangeTaskField(Table(), "TIME", "").empty());
    menus_->DoQuickTime();
    EXPECT_EQ(Field("TIME"), "23:59");
    ASSERT_EQ(times_.starts.size(), 4u);
    EXPECT_NEAR(times_.starts[0], At(14, 30), 1e-9);
    EXPECT_NEAR(times_.starts[1], At(9, 7), 1e-9);
    EXPECT_NEAR(times_.starts[3], At(10, 15), 1e-9);
    EXPECT_TRUE(boxes_.empty());

    // What was stored is in the file.
    Table().Close();
    ASSERT_TRUE(store_->OpenTaskTable(false));
    ASSERT_EQ(Table().First(), store::dbi::kOk);
    EXPECT_EQ(Field("DATE"), "20270304");
    EXPECT_EQ(Field("TIME"), "23:59");
    EXPECT_EQ(Field("PRIORITY"), "B");
}

TEST_F(TaskMenusTest, CalendarAndQuickTimeGoThroughTheRealDialogs) {
    Open({TaskOf("Dialogs", "", "20261225")});
    ASSERT_TRUE(store::ChangeTaskField(Table(), "TIME", "14:30").empty());
    TColumnMenus menus(Table(), keyWords_, nullptr);

    ui::test::WhenModalShown([](QWidget* window) {
        auto* selector = qobject_cast<TDateSelector*>(window);
        ASSERT_NE(selector, nullptr);
        EXPECT_EQ(selector->Calendar()->calendarDate(), Day(2026, 12, 25));
        selector->Calendar()->setCalendarDate(Day(2027, 2, 3));
        selector->OKButtonClick();
    });
    menus.Calendar1Click();
    EXPECT_EQ(Field("DATE"), "20270203");

    ui::test::WhenModalShown([](QWidget* window) {
        auto* dialog = qobject_cast<TSetTimeDialog*>(window);
        ASSERT_NE(dialog, nullptr);
        EXPECT_NEAR(dialog->SelectedTime(), At(14, 30), 1e-9);
        dialog->SetSelectedTime(At(16, 45));
        dialog->OkbuttonClick();
    });
    menus.DoQuickTime();
    EXPECT_EQ(Field("TIME"), "16:45");

    ui::test::WhenModalShown(
        [](QWidget* window) { qobject_cast<TSetTimeDialog*>(window)->CancelButtonClick(); });
    menus.DoQuickTime();
    EXPECT_EQ(Field("TIME"), "16:45");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(TaskMenusTest, AQuickDateChosenAfterMidnightCountsFromTheNewDay) {
    Open({TaskOf("Late")});
    now_ = Day(2026, 12, 31) + At(23, 59, 30);
    menus_->FormCreate();
    auto* tomorrow = menus_->QuickDateMenu()->findChild<QAction*>(QStringLiteral("Tomorrow"));
    ASSERT_NE(tomorrow, nullptr);
    EXPECT_EQ(tomorrow->text(), QStringLiteral("Tomorrow\t01/01/2027"));
    now_ = Day(2027, 1, 1) + At(0, 0, 30);
    tomorrow->trigger();
    EXPECT_EQ(Field("DATE"), "20270102");
    // The captions still show the day the window was made.
    EXPECT_EQ(tomorrow->text(), QStringLiteral("Tomorrow\t01/01/2027"));
}

TEST_F(TaskMenusTest, KeyWordMenuOffersEveryWordAndAppendsTheChoice) {
    Open({TaskOf("Keys", "caf\xE9")});
    keyWords_ = kOddKeyWords;
    std::unique_ptr<QMenu> menu = menus_->MakeKeyListMenu();
    QStringList shown;
    for (QAction* action : menu->actions()) {
        shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(shown, (QStringList{QString::fromUtf8("café"), QString::fromUtf8("Straße"),
                                  QStringLiteral("6\"screen"), QStringLiteral("it's"),
                                  QStringLiteral("x]"), QStringLiteral("$5"), QStringLiteral("a.b"),
                                  QStringLiteral("R&&D"), QStringLiteral("-"),
                                  QStringLiteral("Clear Entry"), QStringLiteral("Cancel")}));

    // Chosen through a double-click on the Key Words column, as the grid does.
    const struct {
        QString item;
        std::string keys;
    } choices[] = {
        {QStringLiteral("6\"screen"), "caf\xE9 6\"screen"},
        {QStringLiteral("R&&D"), "caf\xE9 6\"screen R&D"},
        {QString::fromUtf8("café"), "caf\xE9 6\"screen R&D caf\xE9"},
        {QStringLiteral("Cancel"), "caf\xE9 6\"screen R&D caf\xE9"},
        {QStringLiteral("Clear Entry"), ""},
        {QStringLiteral("x]"), "x]"},
    };
    for (const auto& choice : choices) {
        WhenPopupShown([&](QMenu* popup) { Choose(popup, choice.item); });
        EXPECT_TRUE(menus_->ColumnDblClick("ShowKeys", QPoint(100, 100)));
        EXPECT_EQ(Field("KEYS"), choice.keys) << choice.item.toStdString();
    }

    // KEYS holds 60 characters; a longer text is cut there.
    const std::string long58(58, 'k');
    ASSERT_TRUE(store::ChangeTaskField(Table(), "KEYS", long58).empty());
    WhenPopupShown([&](QMenu* popup) { Choose(popup, QStringLiteral("$5")); });
    menus_->DoKeyListMenu(10, 10);
    EXPECT_EQ(Field("KEYS"), long58 + " $");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(TaskMenusTest, DoubleClicksOpenTheirColumnsMenuOrAreLeftToTheWindow) {
    Open({TaskOf("Task", "", "20261225", "C")});
    menus_->FormCreate();
    WhenPopupShown([](QMenu* popup) { Choose(popup, QStringLiteral("High Priority")); });
    EXPECT_TRUE(menus_->ColumnDblClick("SHOWPRIORITY", QPoint(50, 50)));
    EXPECT_EQ(Field("PRIORITY"), "A");
    WhenPopupShown([](QMenu* popup) { Choose(popup, QStringLiteral("Clear Date")); });
    EXPECT_TRUE(menus_->ColumnDblClick("ShowDate", QPoint(50, 50)));
    EXPECT_EQ(Field("DATE"), "");
    times_.choices = {At(7, 45)};
    EXPECT_TRUE(menus_->ColumnDblClick("showtime", QPoint(50, 50)));
    EXPECT_EQ(Field("TIME"), "07:45");
    EXPECT_FALSE(menus_->ColumnDblClick("IsDone", QPoint(50, 50)));
    EXPECT_FALSE(menus_->ColumnDblClick("DESCRIPT", QPoint(50, 50)));
}

TEST_F(TaskMenusTest, AFailedChangeReachesTheErrorBoxInTheEnginesWords) {
    Open({TaskOf("Task")});
    Table().Close();
    menus_->High1Click();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], QStringLiteral("Engine Error : 9990"));
    EXPECT_EQ(changes_, 0);
}

TEST_F(TaskMenusTest, SortMenusTickTheOrderInForceAndSortFromTheTop) {
    Open(store_test::NumberedTasks(10));
    int orderNumber = -1;
    TSortMenus sort(store_->TodoEngine, Table(), orderNumber, nullptr);
    const QStringList captions = {QStringLiteral("Sort by Date+Time"),
                                  QStringLiteral("Sort by Description"),
                                  QStringLiteral("Sort by Priority")};
    auto ticks = [](QMenu* menu) {
        QString marks;
        for (QAction* action : menu->actions()) {
            marks += action->isChecked() ? QLatin1Char('x') : QLatin1Char('.');
        }
        return marks;
    };
    for (QMenu* menu : {sort.ButtonSortMenu(), sort.MainSortMenu()}) {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << action->text();
        }
        EXPECT_EQ(texts, captions);
    }
    EXPECT_EQ(sort.MainSortMenu()->title(), QStringLiteral("Sort"));

    // Every order of the task file: record order and the DONE and KEYS tags tick nothing.
    const struct {
        int order;
        QString ticks;
    } orders[] = {{0, QStringLiteral("...")}, {1, QStringLiteral("x..")},
                  {2, QStringLiteral(".x.")}, {3, QStringLiteral("...")},
                  {4, QStringLiteral("...")}, {5, QStringLiteral("..x")}};
    for (const auto& o : orders) {
        store_->TodoEngine.SetOrder(o.order);
        sort.ButtonSortMenuPopup();
        sort.SetMainMenuSortChecks();
        EXPECT_EQ(ticks(sort.ButtonSortMenu()), o.ticks) << o.order;
        EXPECT_EQ(ticks(sort.MainSortMenu()), o.ticks) << o.order;
        EXPECT_EQ(orderNumber, o.order);
    }

    // Opening the toolbar's menu ticks afresh.
    store_->TodoEngine.SetOrder(2);
    WhenPopupShown([&](QMenu* popup) {
        EXPECT_EQ(ticks(popup), QStringLiteral(".x."));
        popup->close();
    });
    sort.ButtonSortMenu()->exec(QPoint(20, 20));

    // Each item of either menu: its order, both ticks, the first task of that order.
    int sorted = 0;
    QObject::connect(&sort, &TSortMenus::sorted, [&] { ++sorted; });
    const struct {
        QMenu* menu;
        const char* item;
        int order;
        QString ticks;
        const char* first;  // NumberedTasks: dates fall as numbers rise; priority A every third
    } clicks[] = {
        {sort.ButtonSortMenu(), "mnuSortDescription", 2, QStringLiteral(".x."), "Task 0001"},
        {sort.MainSortMenu(), "mainmnuSortDateTime", 1, QStringLiteral("x.."), "Task 0010"},
        {sort.ButtonSortMenu(), "mnuSortPriority", 5, QStringLiteral("..x"), "Task 0009"},
        {sort.MainSortMenu(), "mainmnuSortDescription", 2, QStringLiteral(".x."), "Task 0001"},
        {sort.ButtonSortMenu(), "mnuSortDateTime", 1, QStringLiteral("x.."), "Task 0010"},
        {sort.MainSortMenu(), "mainmnuSortPriority", 5, QStringLiteral("..x"), "Task 0009"},
    };
    for (const auto& c : clicks) {
        ASSERT_EQ(Table().Last(), store::dbi::kOk);
        Trigger(c.menu, c.item);
        EXPECT_EQ(store_->TodoEngine.IndexOrder(), c.order) << c.item;
        EXPECT_EQ(orderNumber, c.order) << c.item;
        EXPECT_EQ(ticks(sort.MainSortMenu()), c.ticks) << c.item;
        sort.ButtonSortMenuPopup();
        EXPECT_EQ(ticks(sort.ButtonSortMenu()), c.ticks) << c.item;
        EXPECT_EQ(Field("DESCRIPT"), c.first) << c.item;
        EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Default);
    }
    EXPECT_EQ(sorted, 6);
}

// The filter dialog shown by the Filter command, answered by `answer` once it shows.
bool RunFilter(store::TaskFilter& filter, const std::vector<std::string>& keyWords,
               const std::function<void(TFilterForm&)>& answer) {
    ui::test::WhenModalShown([&](QWidget* window) {
        auto* form = qobject_cast<TFilterForm*>(window);
        ASSERT_NE(form, nullptr);
        answer(*form);
    });
    return FilterbuttonClick(filter, keyWords, nullptr);
}

TEST_F(TaskMenusTest, FilterDialogShowsTheStateAndOkResetOrCancelDecide) {
    const std::vector<std::string> keyWords = {"work", "caf\xE9", "R&D"};
    const store::TaskFilter start{3, 2, true, "home, work"};

    // The dialog as it opens: its texts and the filter state.
    store::TaskFilter filter = start;
    EXPECT_FALSE(RunFilter(filter, keyWords, [](TFilterForm& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Task Filter"));
        EXPECT_EQ(form.size(), QSize(447, 255));
        QStringList dates;
        for (int i = 0; i < 7; ++i) {
            dates
                << form.findChild<QRadioButton*>(QStringLiteral("DateFilterItem%1").arg(i))->text();
        }
        EXPECT_EQ(dates, QStringLiteral("All Dates|Today |Tomorrow|Next 7 Days|Next 30 Days|"
                                        "Next 365 Days|Before Today")
                             .split(QLatin1Char('|')));
        EXPECT_EQ(form.DateFilterIndex(), 3);
        EXPECT_EQ(form.PriorityFilterIndex(), 2);
        EXPECT_EQ(form.KeyWords()->text(), QStringLiteral("home, work"));
        QStringList words;
        for (QAction* item : form.KeyListMenu()->actions()) {
            words << item->text();
        }
        EXPECT_EQ(words, QString::fromUtf8("work|café|R&&D").split(QLatin1Char('|')));
        EXPECT_EQ(form.Button("KeyListbutton")->dropDownMenu(), form.KeyListMenu());
        // Changed, then cancelled: nothing of it reaches the filter.
        form.SetDateFilterIndex(6);
        form.SetPriorityFilterIndex(1);
        form.KeyWords()->setText(QStringLiteral("other"));
        QTest::keyClick(&form, Qt::Key_Escape);
    }));
    EXPECT_EQ(filter.DateFilterIndex, 3);
    EXPECT_EQ(filter.PriorityFilterIndex, 2);
    EXPECT_EQ(filter.KeyFilterText, "home, work");

    EXPECT_FALSE(RunFilter(filter, keyWords, [](TFilterForm& form) {
        form.SetDateFilterIndex(1);
        form.Button("CancelButton")->click();
    }));
    EXPECT_EQ(filter.DateFilterIndex, 3);

    // Reset clears the three conditions and closes as Ok; done tasks stay as they were.
    EXPECT_TRUE(RunFilter(filter, keyWords,
                          [](TFilterForm& form) { form.Button("ResetButton")->click(); }));
    EXPECT_EQ(filter.DateFilterIndex, 0);
    EXPECT_EQ(filter.PriorityFilterIndex, 0);
    EXPECT_EQ(filter.KeyFilterText, "");
    EXPECT_TRUE(filter.ShowDoneFlag);

    // Ok takes the controls; key words from the menu are joined by commas.
    EXPECT_TRUE(RunFilter(filter, keyWords, [](TFilterForm& form) {
        form.findChild<QRadioButton*>(QStringLiteral("DateFilterItem6"))->click();
        form.findChild<QRadioButton*>(QStringLiteral("PriorityFilterItem3"))->click();
        for (QAction* item : form.KeyListMenu()->actions()) {
            item->trigger();
        }
        QTest::keyClick(&form, Qt::Key_Return);
    }));
    EXPECT_EQ(filter.DateFilterIndex, 6);
    EXPECT_EQ(filter.PriorityFilterIndex, 3);
    EXPECT_EQ(filter.KeyFilterText, "work,caf\xE9,R&D");
}

TEST_F(TaskMenusTest, KeyWordsOfEveryKindFilterTheirTasksThroughTheDialog) {
    keyWords_ = kOddKeyWords;
    keyWords_.insert(keyWords_.end(), {"\"both'", "plain"});
    std::vector<store_test::Task> tasks;
    for (const std::string& keys : keyWords_) {
        tasks.push_back(TaskOf(keys.c_str(), keys.c_str()));
    }
    Open(tasks);

    for (std::size_t i = 0; i < keyWords_.size(); ++i) {
        store::TaskFilter filter;
        // The word chosen from the dialog's menu, and the same word typed in capitals.
        ASSERT_TRUE(RunFilter(filter, keyWords_, [i](TFilterForm& form) {
            form.KeyListMenu()->actions()[static_cast<qsizetype>(i)]->trigger();
            form.Button("OKButton")->click();
        }));
        const std::string upper = rtl::AnsiUpperCase(keyWords_[i]);
        for (const std::string& keyText : {filter.KeyFilterText, upper + " , nothing"}) {
            filter.KeyFilterText = keyText;
            const std::string expression = store::BuildFilterExpression(filter, rtl::Today());
            EXPECT_EQ(store_->TodoEngine.TestFilter(expression), 1) << expression;
            store_->TodoEngine.ApplyFilter(expression);
            std::set<std::string> shown;
            for (Table().First(); !Table().Eof(); Table().Next()) {
                shown.insert(Field("DESCRIPT"));
            }
            EXPECT_EQ(shown, std::set<std::string>{keyWords_[i]}) << expression;
        }
    }
}

}  // namespace

QUILLET_UI_TEST_MAIN()
