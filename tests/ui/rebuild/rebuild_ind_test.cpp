// The rebuild window on real task files: one run per showing, its texts and gauge as the
// work goes, closes refused while it runs, failed packs and tag builds, and the main
// window building a missing index through it.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/gauge.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "ui/rebuild/rebuild_ind.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/main/main_screen.h"
#include "widget_test_support.h"

namespace {

const QString kPackText = QStringLiteral("Permanently removing deleted tasks");
const QString kIndexText = QStringLiteral("Rebuilding indexes");

// What the window showed at one progress report, after its gauge moved.
struct Sample {
    QString label;
    bool labelVisible = false;
    bool gaugeVisible = false;
    int position = 0;
    int total = 0;
    bool packPhase = false;
    bool canClose = false;
    bool controlsDisabled = false;
};

// The window as the runner builds it, noting what it shows at every report.
class WatchedRebuildInd : public store::TRebuildInd {
  public:
    explicit WatchedRebuildInd(store::TTaskStore& store) : TRebuildInd(store), store_(store) {}

    void GaugeChanged(int position) override {
        TRebuildInd::GaugeChanged(position);
        samples.push_back({WhatAmIDoing()->text(), WhatAmIDoing()->isVisible(),
                           Gauge1()->isVisible(), Gauge1()->progress(), Gauge().ProgressTotal,
                           Gauge().PackPhase, CanCloseNow(), store_.TodoTable.ControlsDisabled()});
        if (duringWork) {
            duringWork(*this);
        }
    }

    std::vector<Sample> samples;
    std::function<void(WatchedRebuildInd&)> duringWork;

    // The label texts in the order they were seen, each once per stretch.
    std::vector<QString> Labels() const {
        std::vector<QString> labels;
        for (const Sample& s : samples) {
            if (labels.empty() || labels.back() != s.label) {
                labels.push_back(s.label);
            }
        }
        return labels;
    }

  private:
    store::TTaskStore& store_;
};

class RebuildWindowTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes_.push_back(request);
            return ui::kIdOk;
        });
        store_ = std::make_unique<store::TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
    }
    void TearDown() override {
        store_.reset();
        ui::SetMessageBoxPresenter(previous_);
        StoreTest::TearDown();
    }

    // Ten tasks, the second and fifth deleted, with their five tags, opened as a rebuild
    // opens them (exclusively) or as ordinary work does.
    void OpenTasks(bool exclusive) {
        MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(10), true, {2, 5});
        ASSERT_TRUE(store_->OpenTaskTable(exclusive));
    }

    // Shows the window modally, as the runner does, and returns once it closed.
    std::unique_ptr<WatchedRebuildInd, ui::FormDeleter> Run(
        bool packFirst, std::function<void(WatchedRebuildInd&)> duringWork = {},
        const std::function<void(WatchedRebuildInd&)>& beforeShow = {}) {
        auto window = ui::CreateForm<WatchedRebuildInd>(*store_);
        window->PackFirst = packFirst;
        if (beforeShow) {
            beforeShow(*window);
        }
        window->duringWork = std::move(duringWork);
        // Only keeps a broken window from hanging the test: it is never meant to fire.
        QPointer<WatchedRebuildInd> watched(window.get());
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [watched] {
            if (watched != nullptr && watched->isVisible()) {
                ADD_FAILURE() << "the rebuild window did not close itself";
                watched->QDialog::done(0);
            }
        });
        guard.start(60000);
        window->ShowModal();
        return window;
    }

    std::vector<std::string> TagNames() {
        std::vector<std::string> names;
        for (int order = 1; !store_->TodoEngine.TagName(order).empty(); ++order) {
            names.push_back(store_->TodoEngine.TagName(order));
        }
        return names;
    }

    // The window closed, the table is back as the work found it: display updates on,
    // deleted records hidden.
    void ExpectHandedBack(const WatchedRebuildInd& window) {
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(window.CanCloseNow());
        EXPECT_FALSE(store_->TodoTable.ControlsDisabled());
        EXPECT_TRUE(store_->EngineEnv1.Deleted());
        EXPECT_FALSE(window.Gauge1()->isVisible());
        EXPECT_EQ(window.Gauge1()->progress(), 0);
    }

    std::unique_ptr<store::TTaskStore> store_;
    std::vector<ui::MessageBoxRequest> boxes_;
    ui::MessageBoxPresenter previous_;
    ui::test::ConnectionGuard guard_;
};

const std::vector<std::string> kTagOrder = {"DATETIME", "DESCRIPT", "DONE", "KEYS", "PRIORITY"};

TEST_F(RebuildWindowTest, AnIndexOnlyRunBuildsTheTagsUnderAClimbingGaugeAndRestoresFilterAndOrder) {
    OpenTasks(true);
    store_->TodoEngine.ApplyFilter("DONE");
    store_->TodoEngine.SetOrder(2);

    auto window = Run(false);
    EXPECT_TRUE(window->Succeeded());
    ExpectHandedBack(*window);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Rebuild Indexes"));
    EXPECT_EQ(window->size(), QSize(288, 141));

    // Only the index text was ever shown, with the label and gauge up all along.
    EXPECT_EQ(window->Labels(), std::vector<QString>{kIndexText});
    EXPECT_EQ(window->WhatAmIDoing()->text(), kIndexText);
    ASSERT_FALSE(window->samples.empty());
    int previous = 0;
    for (const Sample& s : window->samples) {
        EXPECT_TRUE(s.labelVisible && s.gaugeVisible && s.controlsDisabled);
        EXPECT_FALSE(s.canClose);
        EXPECT_FALSE(s.packPhase);
        EXPECT_GE(s.position, previous) << "at total " << s.total;
        previous = s.position;
        // A quarter of the summed rises: four tags' worth fills the gauge.
        if (s.total >= 400) {
            EXPECT_EQ(s.position, 100);
        } else {
            EXPECT_LT(s.position, 100) << "at total " << s.total;
        }
    }
    EXPECT_EQ(window->samples.back().total, 500);
    EXPECT_GT(std::count_if(window->samples.begin(), window->samples.end(),
                            [](const Sample& s) { return s.total > 400; }),
              0)
        << "the fifth tag reported no progress";

    EXPECT_EQ(TagNames(), kTagOrder);
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 10);  // no pack: deleted tasks stay
    EXPECT_EQ(store_->TodoEngine.FilterText(), "DONE");
    EXPECT_EQ(store_->TodoEngine.IndexOrder(), 2);
}

TEST_F(RebuildWindowTest, APackFirstRunShowsThePackTextThenTheIndexTextAndDropsDeletedTasks) {
    OpenTasks(true);
    auto window = Run(true);
    EXPECT_TRUE(window->Succeeded());
    ExpectHandedBack(*window);
    EXPECT_EQ(window->Labels(), (std::vector<QString>{kPackText, kIndexText}));
    for (const Sample& s : window->samples) {
        // The pack phase shows the pack's own percentage.
        EXPECT_EQ(s.packPhase, s.label == kPackText);
    }
    EXPECT_EQ(window->samples.front().total, 0);
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 8);
    EXPECT_EQ(TagNames(), kTagOrder);
    EXPECT_EQ(store_->TodoEngine.IndexOrder(), 1);
}

TEST_F(RebuildWindowTest, ClosesKeysAndActivationsDuringTheWorkChangeNothing) {
    OpenTasks(true);
    int refused = 0;
    int lastTotal = -1;
    auto window = Run(true, [&](WatchedRebuildInd& w) {
        // At the first report of the pack, and once in the middle of the tags.
        const bool first = w.samples.size() == 1;
        const bool middle = lastTotal < 250 && w.Gauge().ProgressTotal >= 250;
        if (!first && !middle) {
            return;
        }
        w.close();
        w.SetModalResult(ui::kModalOk);
        w.FormActivate();
        const int total = w.Gauge().ProgressTotal;
        const int position = w.Gauge1()->progress();
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_F4, Qt::AltModifier);
        // Keys whose codes carry report bits (a character key of the CJK range, an unknown
        // key) are the user's keys all the same.
        for (int code : {0x6C34, 0x7FFF, static_cast<int>(Qt::Key_unknown)}) {
            QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
            QApplication::sendEvent(&w, &press);
        }
        ui::ProcessMessages();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.ModalResult(), ui::kModalNone);
        EXPECT_EQ(w.Gauge().ProgressTotal, total);
        EXPECT_EQ(w.Gauge1()->progress(), position);
        lastTotal = total;
        ++refused;
    });
    EXPECT_EQ(refused, 2);
    EXPECT_GE(lastTotal, 250);
    EXPECT_LT(lastTotal, 500);
    EXPECT_TRUE(window->Succeeded());
    ExpectHandedBack(*window);
    // The work ran once: one pack, one climb through the five tags.
    EXPECT_EQ(window->Labels(), (std::vector<QString>{kPackText, kIndexText}));
    EXPECT_EQ(window->samples.back().total, 500);
    EXPECT_EQ(store_->TodoEngine.RecordCount(), 8);
    EXPECT_EQ(TagNames(), kTagOrder);
}

TEST_F(RebuildWindowTest, AWindowWhoseActivationIsWithheldStillRunsTheWorkAndCloses) {
    OpenTasks(true);
    auto window = Run(false, {}, [](WatchedRebuildInd& w) {
        // As under a window manager that keeps the focus where it was.
        EXPECT_TRUE(QObject::disconnect(&w, SIGNAL(activated()), &w, SLOT(FormActivate())));
    });
    EXPECT_TRUE(window->Succeeded());
    ExpectHandedBack(*window);
    EXPECT_EQ(TagNames(), kTagOrder);
}

TEST_F(RebuildWindowTest, AFailedPackOrTagBuildIsShownAndTheWindowStillHandsControlBack) {
    {
        SCOPED_TRACE("a pack on a table opened for shared use");
        OpenTasks(false);
        auto window = Run(true);
        EXPECT_FALSE(window->Succeeded());
        ExpectHandedBack(*window);
        EXPECT_EQ(window->WhatAmIDoing()->text(), kPackText);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].Icon(), ui::MessageIcon::Hand);
        EXPECT_EQ(boxes_[0].caption, ui::ApplicationTitle());
        EXPECT_FALSE(boxes_[0].text.isEmpty());
        EXPECT_EQ(store_->TodoEngine.RecordCount(), 10);
        store_->TodoTable.Close();
    }
    {
        SCOPED_TRACE("tags whose index file cannot be written");
        boxes_.clear();
        // The index file's name is taken by a folder that neither the delete nor the new
        // index can replace.
        std::filesystem::remove(PathOf("QUILX.CDX"));
        std::filesystem::create_directory(PathOf("QUILX.CDX"));
        std::ofstream(PathOf("QUILX.CDX/keep")) << "x";
        store_->TodoTable.SetExclusive(true);
        ASSERT_EQ(store_->TodoTable.Open(), store::dbi::kOk);
        store_->TodoTable.DisableControls();  // the caller's own suspension survives
        auto window = Run(false);
        EXPECT_FALSE(window->Succeeded());
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(store_->TodoTable.ControlsDisabled());
        store_->TodoTable.EnableControls();
        ExpectHandedBack(*window);
        EXPECT_EQ(window->WhatAmIDoing()->text(), kIndexText);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].Icon(), ui::MessageIcon::Hand);
        EXPECT_TRUE(TagNames().empty());
        // The table itself is still there to work on.
        EXPECT_EQ(store_->TodoEngine.RecordCount(), 10);
    }
}

// Notes every rebuild window shown, with where it stood.
class ShowWatcher : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* window = qobject_cast<store::TRebuildInd*>(watched)) {
                titles.push_back(window->windowTitle());
                bounds.push_back(ui::FormBounds(window));
                modal.push_back(window->isModal());
                fixed.push_back(window->minimumSize() == window->maximumSize());
                closeButton.push_back(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            }
        }
        return false;
    }
    std::vector<QString> titles;
    std::vector<QRect> bounds;
    std::vector<bool> modal, fixed, closeButton;
};

TEST_F(RebuildWindowTest, TheMainWindowStartedInAnEmptyFolderBuildsTheTagsThroughTheWindow) {
    store_.reset();
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    {
        ui::FormPtr<TMainScreen> form = ui::CreateForm<TMainScreen>(Dir());
        ui::SetMainForm(form.get());
        form->show();
        form->FormActivate();
        ui::ProcessMessages();
        const QRect main = ui::FormBounds(form.get());

        EXPECT_TRUE(boxes_.empty());
        ASSERT_EQ(watcher.titles.size(), 1u);
        EXPECT_EQ(watcher.titles[0], QStringLiteral("Rebuild Indexes"));
        EXPECT_TRUE(watcher.modal[0]);
        EXPECT_TRUE(watcher.fixed[0]);
        EXPECT_FALSE(watcher.closeButton[0]);
        EXPECT_EQ(watcher.bounds[0].topLeft(), ui::CentredPosition(watcher.bounds[0].size(), main));
        // The window is gone once the runner returned.
        EXPECT_TRUE(form->findChildren<store::TRebuildInd*>().isEmpty());

        store::TTaskStore& store = form->Store();
        std::vector<std::string> names;
        for (int order = 1; order <= 5; ++order) {
            names.push_back(store.TodoEngine.TagName(order));
        }
        EXPECT_EQ(names, kTagOrder);
        // No preferences stored yet: the window puts record order in force.
        EXPECT_EQ(store.TodoTable.IndexName(), "");
        EXPECT_FALSE(store.TodoTable.ControlsDisabled());
        form->close();
        ui::SetMainForm(nullptr);
    }
    qApp->removeEventFilter(&watcher);
    EXPECT_TRUE(Exists("QUILX.CDX"));
}

}  // namespace

QUILLET_UI_TEST_MAIN()
