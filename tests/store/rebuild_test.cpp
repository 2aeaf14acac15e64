// The rebuild work without its window, on real task files: the gauge arithmetic and the key-down
// reports, the pack, the five tags and the gauge through them, the filter and order kept, the
// work running once, failures that end it cleanly, and the task file rebuilding a lost index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/xbase/file_system.h"
#include "platform/xbase/sx.h"
#include "store/rebuild.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace {

using namespace store;
using store_test::NumberedTasks;
using store_test::Task;

constexpr char kPackLabel[] = "Permanently removing deleted tasks";
constexpr char kIndexLabel[] = "Rebuilding indexes";

// ---- the gauge ---------------------------------------------------------------------------

TEST(RebuildGauge, PackPhaseShowsThePercentageKeptWithinTheGauge) {
    RebuildGauge gauge;
    gauge.SetPackPhase(true);
    gauge.Report(30);
    EXPECT_EQ(gauge.Position(), 30);
    gauge.Report(10);
    EXPECT_EQ(gauge.Position(), 10) << "the pack's own figure, not a running total";
    gauge.Report(250);
    EXPECT_EQ(gauge.Position(), 100);
    gauge.Report(-4);
    EXPECT_EQ(gauge.Position(), 0);
    EXPECT_EQ(gauge.ProgressTotal, 0) << "the pack adds nothing to the index phase's total";
    EXPECT_EQ(gauge.LastProgress, 0);
}

TEST(RebuildGauge, IndexPhaseShowsAQuarterOfTheRisesOverAllTags) {
    RebuildGauge gauge;
    gauge.SetPackPhase(true);
    gauge.Report(100);
    gauge.SetPackPhase(false);
    gauge.Report(0);
    EXPECT_EQ(gauge.Position(), 0) << "a finished pack does not count towards the tags";

    // A tag whose figure falls back counts only what it climbs again.
    gauge.Report(60);
    gauge.Report(20);
    gauge.Report(100);
    EXPECT_EQ(gauge.ProgressTotal, 140);
    EXPECT_EQ(gauge.Position(), 35);

    // Whole tags from 0 to 100: a quarter each, full at the total of 400 and held there.
    RebuildGauge tags;
    std::vector<int> afterEachTag;
    for (int tag = 0; tag < 5; ++tag) {
        for (int percent : {0, 40, 80, 100}) {
            tags.Report(percent);
        }
        afterEachTag.push_back(tags.Position());
    }
    EXPECT_EQ(afterEachTag, (std::vector<int>{25, 50, 75, 100, 100}));
    EXPECT_EQ(tags.ProgressTotal, 500);
}

// A quarter of the total rounds halves to the even neighbour, as every figure of the program.
TEST(RebuildGauge, IndexPhaseRoundsHalvesToEven) {
    const std::pair<int, int> cases[] = {{1, 0},  {2, 0},  {3, 1},  {6, 2},    {10, 2},
                                         {14, 4}, {18, 4}, {22, 6}, {398, 100}};
    for (auto [total, position] : cases) {
        RebuildGauge gauge;
        gauge.Report(0);
        gauge.Report(total);
        EXPECT_EQ(gauge.Position(), position) << "total " << total;
    }
}

TEST(RebuildGauge, KeyDownTakesReportsAndLeavesOtherKeysAlone) {
    RebuildGauge gauge;
    gauge.SetPackPhase(true);
    for (std::uint16_t key : {std::uint16_t{0x0D}, std::uint16_t{0x41}, std::uint16_t{0x0FFF},
                              std::uint16_t{0x8000}, std::uint16_t{0x0000}}) {
        std::uint16_t code = key;
        EXPECT_FALSE(gauge.KeyDown(code)) << key;
        EXPECT_EQ(code, key) << "a key that is no report goes on unchanged";
        EXPECT_EQ(gauge.Position(), 0) << key;
    }

    // A report of v arrives as the code -v.
    std::uint16_t code = static_cast<std::uint16_t>(-42);
    EXPECT_TRUE(gauge.KeyDown(code));
    EXPECT_EQ(code, 0) << "taken, so nothing else sees it";
    EXPECT_EQ(gauge.Position(), 42);
    code = static_cast<std::uint16_t>(-100);
    EXPECT_TRUE(gauge.KeyDown(code));
    EXPECT_EQ(gauge.Position(), 100);

    // Any bit of the mask makes a report, whatever figure it then reads as.
    code = 0x1000;
    EXPECT_TRUE(gauge.KeyDown(code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(gauge.Position(), 0);

    // In the index phase the reports feed the running total.
    gauge.SetPackPhase(false);
    for (int percent : {20, 100}) {
        code = static_cast<std::uint16_t>(-percent);
        ASSERT_TRUE(gauge.KeyDown(code));
    }
    EXPECT_EQ(gauge.ProgressTotal, 100);
    EXPECT_EQ(gauge.Position(), 25);
}

// ---- the work on real files -------------------------------------------------------------

// What the window would have shown: every event in order, and each gauge change with the
// label it showed under and the state of the work at that moment.
class RecordingView : public RebuildView {
  public:
    struct Step {
        std::string label;
        int position;
        int lastProgress;  // of the gauge, which tells one tag's figures from the next
        bool canClose;
        bool controlsDisabled;
    };

    explicit RecordingView(TTaskStore& store) : store_(store) {}

    void ShowGauge(bool visible) override {
        events.emplace_back(visible ? "show gauge" : "hide gauge");
    }
    void SetLabel(std::string_view text) override {
        label_ = text;
        events.push_back("label '" + label_ + "'");
    }
    void ShowLabel() override { events.emplace_back("show label"); }
    void GaugeChanged(int position) override {
        steps.push_back({label_, position, work != nullptr ? work->Gauge().LastProgress : -1,
                         work != nullptr && work->CanCloseNow(),
                         store_.TodoTable.ControlsDisabled()});
        if (onGauge) {
            onGauge();
        }
    }

    std::vector<Step> StepsUnder(const std::string& label) const {
        std::vector<Step> under;
        for (const Step& s : steps) {
            if (s.label == label) {
                under.push_back(s);
            }
        }
        return under;
    }
    bool Showed(const std::string& label) const {
        for (const std::string& e : events) {
            if (e == "label '" + label + "'") {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> events;
    std::vector<Step> steps;
    std::function<void()> onGauge;
    TRebuildWork* work = nullptr;  // the work being shown, while it runs

  private:
    TTaskStore& store_;
    std::string label_;
};

// Runs the work with a recording view, as the window would.
class RecordingRunner : public RebuildRunner {
  public:
    explicit RecordingRunner(TTaskStore& store) : store_(store) {}
    void RunRebuildWindow(bool packFirst) override {
        packFirst_.push_back(packFirst);
        view = std::make_unique<RecordingView>(store_);
        TRebuildWork work(store_, view.get());
        view->work = &work;
        results_.push_back(work.Run(packFirst));
        canClose_.push_back(work.CanCloseNow());
        view->work = nullptr;
    }
    std::vector<bool> packFirst_, results_, canClose_;
    std::unique_ptr<RecordingView> view;

  private:
    TTaskStore& store_;
};

// Passes everything to the operating system's file system, except that files whose names end
// in `refuseCreating` cannot be created, as on a full disk.
class RefusingFileSystem : public store_test::PassThroughFileSystem {
  public:
    std::unique_ptr<xbase::File> Open(const std::string& path, xbase::OpenMode mode) override {
        bool refused = !refuseCreating.empty() && path.size() >= refuseCreating.size() &&
                       path.compare(path.size() - refuseCreating.size(), refuseCreating.size(),
                                    refuseCreating) == 0;
        if (mode == xbase::OpenMode::kCreate && refused) {
            return nullptr;
        }
        return PassThroughFileSystem::Open(path, mode);
    }

    std::string refuseCreating;
};

class RebuildTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        // The store as the main window holds it: engine started, deleted records hidden.
        store_ = std::make_unique<TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
    }
    void TearDown() override {
        store_.reset();
        sx_UseFileSystem(nullptr);
        StoreTest::TearDown();
    }

    // Writes QUILX.DBF with its tags and opens it for a rebuild, as the Rebuild command does.
    void OpenForRebuild(const std::vector<Task>& tasks, const std::vector<int>& deleted = {}) {
        MakeTaskFile("QUILX.DBF", tasks, true, deleted);
        ASSERT_TRUE(store_->OpenTaskTable(true)) << ::testing::PrintToString(sink.messages);
        ASSERT_TRUE(store_->TodoTable.Exclusive());
    }

    // Runs the work once with a fresh recording view; `onStep` hears each gauge change.
    bool RunWork(bool packFirst, std::function<void(const RecordingView::Step&)> onStep = nullptr) {
        view_ = std::make_unique<RecordingView>(*store_);
        if (onStep) {
            view_->onGauge = [this, onStep] { onStep(view_->steps.back()); };
        }
        work_ = std::make_unique<TRebuildWork>(*store_, view_.get());
        view_->work = work_.get();
        return work_->Run(packFirst);
    }

    // The descriptions of the set in its present order, from the first record on.
    std::vector<std::string> Walk(const char* field = "DESCRIPT") {
        TTable& t = store_->TodoTable;
        std::vector<std::string> seen;
        for (t.First(); !t.Eof() && !t.IsEmpty(); t.Next()) {
            std::string value = t.FieldByName(field)->AsString();
            seen.push_back(field == std::string("DESCRIPT") ? value.substr(5) : value);
        }
        return seen;
    }

    std::vector<std::string> TagNames() {
        std::vector<std::string> names;
        for (int order = 1; order <= 6; ++order) {
            std::string name = store_->TodoEngine.TagName(order);
            if (name.empty()) {
                break;
            }
            names.push_back(name);
        }
        return names;
    }

    std::uintmax_t SizeOf(const std::string& name) const {
        return std::filesystem::file_size(PathOf(name));
    }

    // Every rebuild, finished or failed, leaves the store as the windows need it.
    void ExpectHandedBack(const RecordingView& view) {
        EXPECT_TRUE(work_->CanCloseNow());
        EXPECT_FALSE(store_->TodoTable.ControlsDisabled()) << "display updates resumed";
        EXPECT_TRUE(store_->EngineEnv1.Deleted());
        EXPECT_EQ(sx_SysProp(SxProp::kDeletedHidden), 1)
            << "the engine hides deleted records again";
        ASSERT_FALSE(view.events.empty());
        EXPECT_EQ(view.events.back(), "hide gauge");
        EXPECT_EQ(work_->Gauge().Position(), 0);
        for (const RecordingView::Step& s : view.steps) {
            EXPECT_FALSE(s.canClose) << "the window may not close while the engine works";
            EXPECT_TRUE(s.controlsDisabled);
        }
    }

    const std::vector<std::string> kIndexOnlyEvents = {"show gauge", "label ''", "show label",
                                                       "label 'Rebuilding indexes'", "hide gauge"};

    RefusingFileSystem files_;  // outlives the store, whose files go through it
    std::unique_ptr<TTaskStore> store_;
    std::unique_ptr<RecordingView> view_;
    std::unique_ptr<TRebuildWork> work_;
};

// Numbered tasks with notes long enough to take several memo blocks each.
std::vector<Task> TasksWithNotes(int count) {
    std::vector<Task> tasks = NumberedTasks(count);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        for (int line = 0; line < 6; ++line) {
            tasks[i].note +=
                "Note of " + tasks[i].descript + ", line " + std::to_string(line) + "\r\n";
        }
    }
    return tasks;
}

TEST_F(RebuildTest, PackRemovesDeletedTasksForGoodAndRebuildsTheTagsOnTheNewNumbers) {
    std::vector<int> deleted;
    for (int n = 1; n <= 30; n += 3) {
        deleted.push_back(n);
    }
    std::vector<Task> tasks = TasksWithNotes(30);
    MakeTaskFile("QUILX.DBF", tasks, true, deleted);
    std::uintmax_t tableBefore = SizeOf("QUILX.DBF"), memoBefore = SizeOf("QUILX.FPT");
    ASSERT_TRUE(store_->OpenTaskTable(true));
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 30);

    ASSERT_TRUE(RunWork(true));
    ExpectHandedBack(*view_);
    TEngineComponent& e = store_->TodoEngine;
    EXPECT_EQ(e.RecordCount(), 20);
    store_->EngineEnv1.SetDeleted(false);
    EXPECT_EQ(e.FilteredCount(), 20) << "no deleted record is left to show";
    store_->EngineEnv1.SetDeleted(true);

    // The live tasks, in their old order, with their own notes.
    e.SetOrder(0);
    std::vector<std::string> expected, notes;
    for (int n = 1; n <= 30; ++n) {
        if (n % 3 != 1) {
            expected.push_back(tasks[static_cast<std::size_t>(n - 1)].descript.substr(5));
            notes.push_back(tasks[static_cast<std::size_t>(n - 1)].note);
        }
    }
    EXPECT_EQ(Walk(), expected);
    EXPECT_EQ(Walk("NOTE"), notes);

    // The tags point at the new record numbers.
    EXPECT_EQ(TagNames(),
              (std::vector<std::string>{"DATETIME", "DESCRIPT", "DONE", "KEYS", "PRIORITY"}));
    e.SetOrder(e.TagOrder("DESCRIPT"));
    EXPECT_TRUE(e.Seek("TASK 0003"));
    EXPECT_EQ(e.RecordNumber(), 2);
    EXPECT_FALSE(e.Seek("TASK 0004")) << "a packed task is in no tag";
    e.SetOrder(e.TagOrder("DATETIME"));
    std::vector<std::string> reversed(expected.rbegin(), expected.rend());
    EXPECT_EQ(Walk(), reversed);

    // The files themselves shrank.
    store_->TodoTable.Close();
    EXPECT_LT(SizeOf("QUILX.DBF"), tableBefore);
    EXPECT_LT(SizeOf("QUILX.FPT"), memoBefore);
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
        EXPECT_EQ(entry.path().string().find(".pack"), std::string::npos) << entry.path();
    }
}

TEST_F(RebuildTest, PackOfATableOfDeletedTasksOnlyLeavesItEmptyWithItsFiveTags) {
    OpenForRebuild(NumberedTasks(4), {1, 2, 3, 4});
    ASSERT_TRUE(RunWork(true));
    ExpectHandedBack(*view_);
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 0);
    EXPECT_TRUE(store_->TodoTable.IsEmpty());
    EXPECT_EQ(TagNames().size(), 5U);
    EXPECT_EQ(store_->TodoEngine.IndexOrder(), 1);

    // The empty table takes new tasks in every tag.
    TTable& t = store_->TodoTable;
    ASSERT_EQ(t.Append(), dbi::kOk);
    ASSERT_TRUE(t.FieldByName("DESCRIPT")->SetAsString("Task 0100"));
    ASSERT_EQ(t.Post(), dbi::kOk);
    store_->TodoEngine.SetOrder(store_->TodoEngine.TagOrder("DESCRIPT"));
    EXPECT_TRUE(store_->TodoEngine.Seek("TASK 0100"));
}

TEST_F(RebuildTest, GaugeClimbsThroughFourTagsAndStaysFullDuringTheFifth) {
    OpenForRebuild(NumberedTasks(60), {5, 6, 7});
    ASSERT_TRUE(RunWork(true));
    ExpectHandedBack(*view_);
    EXPECT_EQ(view_->events,
              (std::vector<std::string>{"show gauge", "label ''", "show label",
                                        "label 'Permanently removing deleted tasks'",
                                        "label 'Rebuilding indexes'", "hide gauge"}));

    // The pack shows its own percentage up to full.
    std::vector<RecordingView::Step> pack = view_->StepsUnder(kPackLabel);
    ASSERT_FALSE(pack.empty());
    for (std::size_t i = 0; i < pack.size(); ++i) {
        EXPECT_GE(pack[i].position, 0);
        EXPECT_LE(pack[i].position, 100);
        if (i > 0) {
            EXPECT_GE(pack[i].position, pack[i - 1].position) << i;
        }
    }
    EXPECT_EQ(pack.back().position, 100);

    // The tags: each one's figures start again from 0; the gauge climbs a quarter per tag.
    std::vector<std::vector<int>> tags;
    int last = -1;
    for (const RecordingView::Step& s : view_->StepsUnder(kIndexLabel)) {
        if (s.lastProgress == 0 && last != 0) {
            tags.emplace_back();
        }
        ASSERT_FALSE(tags.empty()) << "the first tag's figures start from 0";
        tags.back().push_back(s.position);
        last = s.lastProgress;
    }
    ASSERT_EQ(tags.size(), 5U);
    for (std::size_t tag = 0; tag < tags.size(); ++tag) {
        SCOPED_TRACE("tag " + std::to_string(tag + 1));
        ASSERT_GT(tags[tag].size(), 1U);
        for (std::size_t i = 1; i < tags[tag].size(); ++i) {
            EXPECT_GE(tags[tag][i], tags[tag][i - 1]);
        }
        int full = static_cast<int>(25 * std::min<std::size_t>(tag + 1, 4));
        EXPECT_EQ(tags[tag].back(), full);
        if (tag > 0) {
            EXPECT_EQ(tags[tag].front(), tags[tag - 1].back()) << "the gauge does not fall back";
        }
    }
    EXPECT_LT(tags[3].front(), 100) << "the fourth tag still moves the gauge";
    for (int position : tags[4]) {
        EXPECT_EQ(position, 100);
    }
}

TEST_F(RebuildTest, AnIndexOnlyRunKeepsDeletedTasksAndNeverShowsThePack) {
    OpenForRebuild(NumberedTasks(6), {2, 5});
    ASSERT_TRUE(RunWork(false));
    ExpectHandedBack(*view_);
    EXPECT_EQ(view_->events, kIndexOnlyEvents);
    EXPECT_TRUE(view_->StepsUnder(kPackLabel).empty());

    TEngineComponent& e = store_->TodoEngine;
    EXPECT_EQ(e.RecordCount(), 6);
    EXPECT_EQ(e.IndexOrder(), e.TagOrder("DATETIME"));
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0006", "0004", "0003", "0001"}));

    // The deleted tasks keep their keys in the unconditioned tags; DATETIME leaves them out.
    store_->EngineEnv1.SetDeleted(false);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0006", "0004", "0003", "0001"}));
    e.SetOrder(e.TagOrder("DESCRIPT"));
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0001", "0002", "0003", "0004", "0005", "0006"}));
    store_->EngineEnv1.SetDeleted(true);
}

TEST_F(RebuildTest, TheOldIndexFileIsReplacedNotAddedTo) {
    MakeTaskFile("QUILX.DBF", NumberedTasks(5), true);
    ASSERT_NE(sx_Use(PathOf("QUILX.DBF"), "EXTRA", 2, 2), 0);
    ASSERT_NE(sx_IndexTag({}, "STRAY", "KEYS", 0, false, {}), 0);
    ASSERT_TRUE(sx_Close());
    ASSERT_TRUE(store_->OpenTaskTable(true));
    ASSERT_EQ(TagNames().size(), 6U);
    TEngineComponent& e = store_->TodoEngine;
    e.SetOrder(e.TagOrder("STRAY"));
    ASSERT_EQ(e.IndexOrder(), 6);

    ASSERT_TRUE(RunWork(false));
    EXPECT_EQ(TagNames(),
              (std::vector<std::string>{"DATETIME", "DESCRIPT", "DONE", "KEYS", "PRIORITY"}));
    EXPECT_EQ(e.TagOrder("STRAY"), 0);
    EXPECT_EQ(e.IndexOrder(), 1) << "an order whose tag is gone gives way to DATETIME";
    EXPECT_EQ(store_->TodoTable.IndexName(), "DATETIME");
}

TEST_F(RebuildTest, AFilterAndAnOrderInForceBeforeAreInForceAfter) {
    OpenForRebuild(NumberedTasks(12), {2, 7});
    TEngineComponent& e = store_->TodoEngine;
    const std::string filter = "KEYS = 'even'";
    const std::vector<std::string> evenByDescript = {"0004", "0006", "0008", "0010", "0012"};
    ASSERT_EQ(e.ApplyFilter(filter), 1);
    e.SetOrder(e.TagOrder("DESCRIPT"));
    ASSERT_EQ(Walk(), evenByDescript);

    for (bool packFirst : {false, true}) {
        SCOPED_TRACE(packFirst ? "with pack" : "index only");
        ASSERT_TRUE(RunWork(packFirst));
        EXPECT_EQ(e.FilterText(), filter);
        EXPECT_EQ(e.Filter(), filter);
        EXPECT_EQ(e.IndexOrder(), 2);
        EXPECT_EQ(store_->TodoTable.IndexName(), "DESCRIPT");
        EXPECT_EQ(e.FilteredCount(), 5);
        EXPECT_EQ(Walk(), evenByDescript);
    }
    EXPECT_EQ(e.RecordCount(), 10);

    // The component still knows the filter, so a reopened table has it again.
    store_->TodoTable.Close();
    store_->TodoTable.SetExclusive(false);
    ASSERT_EQ(store_->TodoTable.Open(), dbi::kOk);
    EXPECT_EQ(e.FilterText(), filter);
    EXPECT_EQ(e.FilteredCount(), 5);
}

TEST_F(RebuildTest, TheWorkRunsOnceAndTheWindowMayCloseOnlyAfterIt) {
    OpenForRebuild(NumberedTasks(8), {3});
    RecordingView view(*store_);
    work_ = std::make_unique<TRebuildWork>(*store_, &view);
    view.work = work_.get();
    EXPECT_FALSE(work_->CanCloseNow());
    EXPECT_FALSE(work_->Ran());

    // The window activated again while the engine is busy: nothing starts.
    int nested = 0;
    view.onGauge = [&] {
        if (nested++ == 0) {
            std::size_t events = view.events.size(), steps = view.steps.size();
            work_->Run(true);
            EXPECT_EQ(view.events.size(), events);
            EXPECT_EQ(view.steps.size(), steps);
        }
    };
    ASSERT_TRUE(work_->Run(false));
    EXPECT_GT(nested, 0);
    EXPECT_TRUE(work_->Ran());
    ExpectHandedBack(view);
    EXPECT_EQ(view.events, kIndexOnlyEvents);
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 8) << "the nested run did not pack";

    // And once it is done, nothing runs again either.
    view.onGauge = nullptr;
    std::size_t steps = view.steps.size();
    EXPECT_TRUE(work_->Run(true)) << "answers how the work went";
    EXPECT_EQ(view.events, kIndexOnlyEvents);
    EXPECT_EQ(view.steps.size(), steps);
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 8);
    EXPECT_TRUE(work_->CanCloseNow());
}

TEST_F(RebuildTest, AFailedPackEndsTheWorkWithTheTableIntact) {
    sx_UseFileSystem(&files_);
    OpenForRebuild(NumberedTasks(9), {1, 2});
    TEngineComponent& e = store_->TodoEngine;
    ASSERT_EQ(e.ApplyFilter("DONE"), 1);
    e.SetOrder(e.TagOrder("KEYS"));

    files_.refuseCreating = ".pack";
    sx_ClearLastError();
    EXPECT_FALSE(RunWork(true));
    ExpectHandedBack(*view_);
    EXPECT_NE(work_->FailureText().find(".pack"), std::string::npos)
        << "the failure's own words are kept for the error display: " << work_->FailureText();
    EXPECT_FALSE(view_->Showed(kIndexLabel)) << "no tag is built after the failed pack";
    EXPECT_EQ(e.RecordCount(), 9) << "every record is still there";
    EXPECT_EQ(e.FilterText(), "DONE") << "the filter is put back";
    EXPECT_EQ(e.Filter(), "DONE");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0003", "0006", "0009"}));
    EXPECT_FALSE(work_->Run(true)) << "a second activation answers the failure again";
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
        EXPECT_EQ(entry.path().string().find(".pack"), std::string::npos) << entry.path();
    }

    // The index file went before the pack; the next open builds it again, and the table is
    // whole.
    files_.refuseCreating.clear();
    RecordingRunner runner(*store_);
    store_->SetRebuildRunner(&runner);
    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(runner.packFirst_, std::vector<bool>{false});
    EXPECT_EQ(runner.results_, std::vector<bool>{true});
    EXPECT_EQ(e.RecordCount(), 9);
    EXPECT_EQ(TagNames().size(), 5U);
    EXPECT_EQ(e.FilterText(), "DONE");
    store_->SetRebuildRunner(nullptr);
}

TEST_F(RebuildTest, ATagThatCannotBeBuiltEndsTheWorkAtThatTag) {
    // A table without PRIORITY cannot give the fifth tag's key.
    ASSERT_TRUE(WriteTaskTable("QUILX.DBF", true));
    ASSERT_NE(sx_Use(PathOf("QUILX.DBF"), "MAKER", 2, 2), 0);
    AppendTasks(NumberedTasks(5), false);
    ASSERT_TRUE(sx_Go(2));
    ASSERT_TRUE(sx_Delete());
    ASSERT_TRUE(sx_Close());
    TTable& t = store_->TodoTable;
    t.SetDatabaseName(Dir());
    t.SetTableName("QUILX.DBF");
    t.SetExclusive(true);
    ASSERT_EQ(t.Open(), dbi::kOk);
    TEngineComponent& e = store_->TodoEngine;
    ASSERT_EQ(e.ApplyFilter(".not. DONE"), 1);

    sx_ClearLastError();
    EXPECT_FALSE(RunWork(false));
    ExpectHandedBack(*view_);
    EXPECT_FALSE(work_->FailureText().empty()) << "the failure is kept for the error display";
    EXPECT_EQ(TagNames(), (std::vector<std::string>{"DATETIME", "DESCRIPT", "DONE", "KEYS"}));
    EXPECT_EQ(e.FilterText(), ".not. DONE");
    EXPECT_EQ(e.RecordCount(), 5);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0001", "0004", "0005"}))
        << "deleted records hidden, filter in force";
}

TEST_F(RebuildTest, AnIndexFileThatCannotBeCreatedEndsTheWorkAtTheFirstTag) {
    sx_UseFileSystem(&files_);
    OpenForRebuild(NumberedTasks(6), {4});
    TEngineComponent& e = store_->TodoEngine;
    e.SetOrder(e.TagOrder("DESCRIPT"));
    files_.refuseCreating = ".CDX";
    sx_ClearLastError();
    EXPECT_FALSE(RunWork(false));
    ExpectHandedBack(*view_);
    EXPECT_FALSE(work_->FailureText().empty()) << "the failure is kept for the error display";
    EXPECT_TRUE(TagNames().empty());
    EXPECT_FALSE(Exists("QUILX.CDX"));
    EXPECT_EQ(e.IndexOrder(), 0) << "the lost order falls back to record order";
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0001", "0002", "0003", "0005", "0006"}));
}

TEST_F(RebuildTest, AnIndexDeletedByHandIsRebuiltOnOpenWithoutPacking) {
    MakeTaskFile("QUILX.DBF", NumberedTasks(8), true, {3, 6});
    ASSERT_TRUE(std::filesystem::remove(PathOf("QUILX.CDX")));
    RecordingRunner runner(*store_);
    store_->SetRebuildRunner(&runner);

    ASSERT_TRUE(store_->OpenTaskTable(false));
    EXPECT_EQ(runner.packFirst_, std::vector<bool>{false});
    EXPECT_EQ(runner.results_, std::vector<bool>{true});
    EXPECT_EQ(runner.canClose_, std::vector<bool>{true});
    ASSERT_NE(runner.view, nullptr);
    EXPECT_FALSE(runner.view->Showed(kPackLabel));
    EXPECT_TRUE(runner.view->StepsUnder(kPackLabel).empty());
    EXPECT_TRUE(Exists("QUILX.CDX"));

    TEngineComponent& e = store_->TodoEngine;
    EXPECT_FALSE(store_->TodoTable.Exclusive()) << "reopened as asked";
    EXPECT_EQ(TagNames(),
              (std::vector<std::string>{"DATETIME", "DESCRIPT", "DONE", "KEYS", "PRIORITY"}));
    EXPECT_EQ(e.IndexOrder(), 1);
    EXPECT_EQ(store_->TodoTable.IndexName(), "DATETIME");
    EXPECT_EQ(e.RecordCount(), 8) << "nothing was packed";
    EXPECT_EQ(e.FilteredCount(), 6) << "the deleted tasks are hidden";
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0008", "0007", "0005", "0004", "0002", "0001"}));
    store_->SetRebuildRunner(nullptr);
}

}  // namespace
