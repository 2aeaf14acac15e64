// The main window on real task files: the grid's texts and colours, FitGrid, the commands on a
// populated and an empty list through the real editor and question boxes, the column menus,
// filter, sort and report reached from the window, the keys that belong to a text, the notes
// pane, preferences and placement, and a settings file or a record that cannot be written.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_placement.h"
#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/splitter.h"
#include "platform/ini/profile.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "platform/xbase/sx.h"
#include "report/report_setup.h"
#include "rtl/date_format.h"
#include "rtl/format_sets.h"
#include "rtl/format_settings.h"
#include "store/backups.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/set_time_dialog.h"
#include "ui/dialogs/task_editor.h"
#include "ui/main/backup_form.h"
#include "ui/main/filter_form.h"
#include "ui/main/main_screen.h"
#include "ui/main/sort_menus.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

namespace {

using store_test::Task;
using ui::test::Choose;
using ui::test::WhenPopupShown;

class MainWindow : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes_.push_back(request.text.toStdString());
            return answer_;
        });
    }
    void TearDown() override {
        if (form_) {
            Finish();
        }
        ui::SetMessageBoxPresenter(previous_);
        ui::OverrideScreenMetrics(std::nullopt);
        StoreTest::TearDown();
    }

    void Start() {
        form_ = ui::CreateForm<TMainScreen>(Dir());
        ui::SetMainForm(form_.get());
        form_->show();
        form_->FormActivate();
        ui::ProcessMessages();
    }
    void Finish() {
        form_->close();
        ui::SetMainForm(nullptr);
        form_.reset();
    }

    TaskGridModel& Model() { return form_->GridModel(); }
    QString Cell(int row, int column) { return Model().index(row, column).data().toString(); }
    bool Shows(const char* button) { return form_->Button(button)->isVisible(); }
    std::string Current(const char* field) {
        std::string text = form_->Store().TodoTable.FieldByName(field)->AsString();
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }
    void SelectRow(int row, int column = TaskGridModel::kTask) {
        form_->ActiveGrid()->setCurrentIndex(Model().index(row, column));
    }
    // Answers the next task editor: `fill` sets its controls, then Ok.
    void NextEditor(std::function<void(TTaskEditor&)> fill) {
        ui::test::WhenModalShown([fill](QWidget* window) {
            auto* editor = qobject_cast<TTaskEditor*>(window);
            ASSERT_NE(editor, nullptr);
            fill(*editor);
            editor->OKButtonClick();
        });
    }
    std::string Today() { return rtl::FormatDateTime("yyyymmdd", rtl::Today()); }

    ui::FormPtr<TMainScreen> form_;
    ui::MessageBoxPresenter previous_;
    std::vector<std::string> boxes_;
    int answer_ = ui::kIdYes;
    ui::test::ConnectionGuard guard_;
};

TEST_F(MainWindow, TheGridShowsDisplayFieldsAndColoursOnlyUnfocusedCellsOfOpenTasks) {
    MakeTaskFile("QUILX.DBF",
                 {{Today(), "13:05", "Due today, high", "", false, "home", "A"},
                  {Today(), "00:00", "Done today", "", true, "", "A"},
                  {"20260230", "", "No such day", "", false, "", "a"},
                  {"", "", "No date", "", false, "", ""}},
                 true);
    Start();
    ASSERT_EQ(Model().rowCount(), 3);  // done tasks hidden at start
    EXPECT_EQ(form_->Button("ShowDone")->caption(), QStringLiteral("Show DONE"));
    form_->ShowDoneClick();
    EXPECT_EQ(form_->Button("ShowDone")->caption(), QStringLiteral("Hide DONE"));
    ASSERT_EQ(Model().rowCount(), 4);
    for (int column = 0; column < TaskGridModel::kColumnCount; ++column) {
        EXPECT_EQ(Model().headerData(column, Qt::Horizontal).toString(),
                  TaskGridModel::Title(column));
    }
    EXPECT_EQ(Cell(0, 0), QStringLiteral("High"));
    EXPECT_EQ(Cell(0, 1), QString::fromStdString(rtl::FormatDateTime("dd mmm yyyy", rtl::Today())));
    EXPECT_EQ(Cell(0, 2), QStringLiteral(" 01:05pm"));
    EXPECT_EQ(Cell(0, 4), QStringLiteral("N"));
    EXPECT_EQ(Cell(0, 5), QStringLiteral(" home"));
    EXPECT_EQ(Cell(1, 2), QStringLiteral(" 12:00am"));
    EXPECT_EQ(Cell(1, 4), QStringLiteral("Y"));
    EXPECT_EQ(Cell(2, 0), QStringLiteral("High"));
    EXPECT_EQ(Cell(2, 1), QString());
    EXPECT_EQ(Cell(3, 0), QString());
    EXPECT_EQ(Cell(3, 2), QString());

    // Drawn colours: purple and blue on the open tasks' cells, none on the done task's, and the
    // grid's own colours on the focused cell.
    SelectRow(3);
    QTableView* grid = form_->ActiveGrid();
    auto colourAt = [&](int row, int column) {
        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(Model().index(row, column));
        return image.pixelColor(cell.left() + 2, cell.center().y());
    };
    EXPECT_EQ(colourAt(0, 0), QColor(128, 0, 128));
    EXPECT_EQ(colourAt(0, 1), QColor(0, 0, 255));
    EXPECT_EQ(colourAt(1, 0), QColor(Qt::white));
    EXPECT_EQ(colourAt(1, 1), QColor(Qt::white));
    EXPECT_EQ(colourAt(2, 0), QColor(128, 0, 128));  // "a" is High, as the cell says
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    grid->setFocus();
    SelectRow(0, 1);
    EXPECT_NE(colourAt(0, 1), QColor(0, 0, 255));
    EXPECT_EQ(colourAt(0, 0), QColor(128, 0, 128));

    // While the table's Tag is -1 no display field is computed.
    store::TaskEntry task{Today(), "13:05", "x", "k", "A", false};
    const TaskRowTexts hidden = TodoTableCalcFields(task, -1, rtl::InternalFormats());
    EXPECT_TRUE(hidden.ShowDate.empty() && hidden.ShowTime.empty() && hidden.IsDone.empty() &&
                hidden.ShowKeys.empty() && hidden.ShowPriority.empty());
    EXPECT_EQ(hidden.DESCRIPT, "x");
}

// Every cell's text and colour, row by row.
std::vector<std::string> AllCells(const TaskGridModel& model) {
    std::vector<std::string> cells;
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < TaskGridModel::kColumnCount; ++column) {
            const QModelIndex cell = model.index(row, column);
            cells.push_back((cell.data().toString() + QLatin1Char('|') +
                             cell.data(TaskGridModel::kHighlightRole).toString())
                                .toStdString());
        }
    }
    return cells;
}

TEST_F(MainWindow, TheGridKeepsItsDatesWhileTheEditorShowsTheUsersDayFirstDates) {
    const rtl::FormatSettings startup = rtl::CurrentFormats();
    rtl::FormatSettings dayFirst = rtl::DefaultFormatSettings();
    dayFirst.shortDateFormat = "dd/mm/yyyy";
    dayFirst.timeSeparator = '.';
    rtl::SetCurrentFormats(dayFirst);
    MakeTaskFile("QUILX.DBF",
                 {{"20270531", "09:30", "Last of May", "", false, "", "B"},
                  {"20270304", "13:05", "Fourth of March", "", false, "", "C"},
                  {Today(), "", "Due today", "", false, "", "A"}},
                 true);
    Start();
    const std::vector<std::string> before = AllCells(Model());
    ASSERT_EQ(before.size(), 3u * TaskGridModel::kColumnCount);
    EXPECT_EQ(Cell(0, TaskGridModel::kDate), QStringLiteral("31 May 2027"));
    EXPECT_EQ(Cell(1, TaskGridModel::kDate), QStringLiteral("04 Mar 2027"));

    // The grid is read and drawn behind the open editor, while the user's notation is in force.
    std::vector<std::string> whileOpen;
    QString shownDate;
    ui::test::WhenModalShown([&](QWidget* window) {
        auto* editor = qobject_cast<TTaskEditor*>(window);
        ASSERT_NE(editor, nullptr);
        shownDate = editor->DateEdit()->text();
        form_->ActiveGrid()->viewport()->grab();
        whileOpen = AllCells(Model());
        editor->CancelButtonClick();
    });
    SelectRow(1);
    form_->EditButtonClick();
    EXPECT_EQ(shownDate, QStringLiteral("04/03/2027"));
    EXPECT_EQ(whileOpen, before);
    EXPECT_EQ(AllCells(Model()), before);
    rtl::SetCurrentFormats(startup);
}

TEST_F(MainWindow, EnterEndsAnInPlaceEditOfTheTaskCellAndOpensNoEditor) {
    MakeTaskFile("QUILX.DBF", {{"", "", "Only task", "", false, "", "B"}}, true);
    Start();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    static QStringList warnings;
    warnings.clear();
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            warnings << message;
            previous(type, context, message);
        });
    // Counts the task editors that open and cancels each from its own modal loop.
    struct EditorCloser : QObject {
        int opened = 0;
        bool eventFilter(QObject* object, QEvent* event) override {
            auto* editor = qobject_cast<TTaskEditor*>(object);
            if (editor != nullptr && event->type() == QEvent::Show) {
                ++opened;
                QTimer::singleShot(0, editor, [editor] { editor->CancelButtonClick(); });
            }
            return false;
        }
    } editors;
    qApp->installEventFilter(&editors);

    QTableView* grid = form_->ActiveGrid();
    const QModelIndex task = Model().index(0, TaskGridModel::kTask);
    grid->setCurrentIndex(task);
    grid->edit(task);
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Renamed in place"));
    QTest::keyClick(line, Qt::Key_Return);
    ui::ProcessMessages();
    EXPECT_EQ(editors.opened, 0);
    EXPECT_EQ(Current("DESCRIPT"), "Renamed in place");
    EXPECT_EQ(QApplication::focusWidget(), grid);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.filter(QStringLiteral("commitData")).isEmpty())
        << warnings.join(QLatin1Char('\n')).toStdString();

    // Enter in the grid itself still edits the task in the editor.
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(editors.opened, 1);
    qApp->removeEventFilter(&editors);
}

TEST_F(MainWindow, TheCurrentCellKeepsItsColoursWhileTheGridHasNoFocus) {
    MakeTaskFile("QUILX.DBF", {{Today(), "", "Due today, high", "", false, "", "A"}}, true);
    Start();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    QTableView* grid = form_->ActiveGrid();
    const QColor selection = grid->palette().color(QPalette::Highlight);
    auto pixel = [&](int column, bool atEdge) {
        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(Model().index(0, column));
        return image.pixelColor(atEdge ? cell.left() : cell.left() + 2, cell.center().y());
    };
    const QColor purple(128, 0, 128);
    const QColor blue(0, 0, 255);
    struct Case {
        int current;
        bool gridFocused;
    } cases[] = {
        {TaskGridModel::kDate, true},
        {TaskGridModel::kPriority, true},
        {TaskGridModel::kDate, false},
        {TaskGridModel::kPriority, false},
    };
    for (const Case& c : cases) {
        SelectRow(0, c.current);
        if (c.gridFocused) {
            grid->setFocus();
        } else {
            form_->ActiveNotes()->setFocus();
        }
        ui::ProcessMessages();
        ASSERT_EQ(grid->hasFocus(), c.gridFocused);
        for (const int column : {int(TaskGridModel::kPriority), int(TaskGridModel::kDate)}) {
            const QColor own = column == TaskGridModel::kPriority ? purple : blue;
            if (column == c.current && c.gridFocused) {
                EXPECT_NE(pixel(column, false), own) << column;
            } else {
                EXPECT_EQ(pixel(column, false), own) << column << " focused " << c.gridFocused;
                // Without the focus a frame in the selection colour marks the current cell.
                EXPECT_EQ(pixel(column, true) == selection, column == c.current) << column;
            }
        }
    }
}

TEST_F(MainWindow, TheBlueCellFollowsTheClockPastMidnight) {
    MakeTaskFile("QUILX.DBF",
                 {{"20261208", "", "Tuesday", "", false, "", "B"},
                  {"20261209", "", "Wednesday", "", false, "", "B"}},
                 true);
    Start();
    rtl::TDateTime now = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 12, 8, now));
    now += 23.0 / 24;
    Model().SetClock([&now] { return now; });
    auto blue = [&](int row) {
        const QModelIndex date = Model().index(row, TaskGridModel::kDate);
        return date.data(TaskGridModel::kHighlightRole).toInt() ==
               static_cast<int>(store::CellHighlight::kDueToday);
    };
    int redraws = 0;
    QObject::connect(&Model(), &TaskGridModel::dataChanged, [&redraws] { ++redraws; });
    EXPECT_TRUE(blue(0));
    EXPECT_FALSE(blue(1));
    Model().CheckDayChange();
    EXPECT_EQ(redraws, 0);

    now += 2.0 / 24;
    EXPECT_FALSE(blue(0));
    EXPECT_TRUE(blue(1));
    Model().CheckDayChange();
    EXPECT_EQ(redraws, 1);
    Model().CheckDayChange();
    EXPECT_EQ(redraws, 1);
    // The window outlives this test's clock: it paints again while it closes.
    Model().SetClock(rtl::Today);
}

TEST_F(MainWindow, FitGridGivesTheTaskColumnWhatTheOthersLeave) {
    MakeTaskFile("QUILX.DBF", {{"", "", "One", "", false, "", "B"}}, true);
    Start();
    QTableView* grid = form_->ActiveGrid();
    auto widths = [&] {
        std::vector<int> w;
        for (int column = 0; column < TaskGridModel::kColumnCount; ++column) {
            w.push_back(grid->columnWidth(column));
        }
        return w;
    };
    auto sum = [](const std::vector<int>& w) { return std::accumulate(w.begin(), w.end(), 0); };
    const std::vector<int> before = widths();
    EXPECT_EQ(sum(before), form_->oxSplit1()->width() - 30);
    form_->resize(form_->width() - 80, form_->height());
    ui::ProcessMessages();
    const std::vector<int> after = widths();
    EXPECT_EQ(sum(after), form_->oxSplit1()->width() - 30);
    for (int column = 0; column < TaskGridModel::kColumnCount; ++column) {
        if (column == TaskGridModel::kTask) {
            EXPECT_EQ(after[column], before[column] - 80);
        } else {
            EXPECT_EQ(after[column], before[column]) << column;
        }
    }
}

TEST_F(MainWindow, CommandsOnAnEmptyThenPopulatedList) {
    Start();
    // An empty list: only the buttons that do not need a task show; nothing acts on one.
    for (const char* name : {"Editbutton", "DeleteButton", "DoneToggleButton", "CloneButton",
                             "CalendarButton", "Printbutton"}) {
        EXPECT_FALSE(Shows(name)) << name;
    }
    for (const char* name : {"Newbutton", "Filterbutton", "OrderButton", "ShowDone", "Helpbutton",
                             "MouseHelpbutton", "ExitButton"}) {
        EXPECT_TRUE(Shows(name)) << name;
    }
    form_->ActiveGridDblClick();
    form_->ActiveNotesDblClick();
    EXPECT_TRUE(boxes_.empty());

    // New: the editor opens with a new task's texts; Ok stores it and the grid shows it.
    NextEditor([](TTaskEditor& editor) {
        EXPECT_EQ(editor.TaskLabel()->text(), QStringLiteral("Adding Task"));
        EXPECT_EQ(editor.Task()->text(), QStringLiteral("{Task description}"));
        EXPECT_TRUE(editor.pMedium()->isChecked());
        editor.Task()->setText(QStringLiteral("Write the letter"));
        editor.KeyWords()->setText(QStringLiteral("post Home"));
    });
    form_->NewButtonClick();
    ASSERT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Write the letter"));
    EXPECT_EQ(Cell(0, TaskGridModel::kPriority), QStringLiteral("Medium"));
    EXPECT_TRUE(Shows("Editbutton"));
    EXPECT_EQ(form_->KeyWords().Words(), (std::vector<std::string>{"post", "Home"}));

    // Edit through Enter in the grid: the editor shows the task; High is stored.
    NextEditor([](TTaskEditor& editor) {
        EXPECT_EQ(editor.TaskLabel()->text(), QStringLiteral("Editing Task"));
        EXPECT_EQ(editor.Task()->text(), QStringLiteral("Write the letter"));
        editor.pHigh()->setChecked(true);
        editor.KeyWords()->setText(QStringLiteral("post home office"));
    });
    QTest::keyClick(form_->ActiveGrid(), Qt::Key_Return);
    EXPECT_EQ(Current("PRIORITY"), "A");
    EXPECT_EQ(form_->KeyWords().Words(), (std::vector<std::string>{"post", "Home", "office"}));

    // Clone asks first; the copy is exact, priority included.
    form_->CloneButtonClick();
    ASSERT_EQ(boxes_.back(), "Clone this task?");
    ASSERT_EQ(Model().rowCount(), 2);
    EXPECT_EQ(Current("PRIORITY"), "A");
    EXPECT_EQ(Cell(Model().CurrentRow(), TaskGridModel::kTask), QStringLiteral("Write the letter"));

    // Done: the task leaves the list while done tasks are hidden.
    form_->DoneToggleButtonClick();
    EXPECT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(form_->Store().TodoEngine.RecordCount(), 2);

    // Delete asks with its trailing space; No keeps the task, Yes deletes it.
    answer_ = ui::kIdNo;
    form_->DeleteButtonClick();
    EXPECT_EQ(boxes_.back(), "Delete this task? ");
    EXPECT_EQ(Model().rowCount(), 1);
    answer_ = ui::kIdYes;
    form_->ActiveGrid()->setFocus();
    QTest::keyClick(form_->ActiveGrid(), Qt::Key_Delete);
    EXPECT_EQ(Model().rowCount(), 0);
    EXPECT_FALSE(Shows("Editbutton"));
}

TEST_F(MainWindow, DoubleClicksGoingToADateAndTheRebuild) {
    MakeTaskFile("QUILX.DBF",
                 {{"20260110", "", "Tenth", "", false, "", "B"},
                  {"20260105", "", "Fifth", "", false, "", "B"},
                  {"20260120", "", "Twentieth", "", false, "", "B"}},
                 true, {2});
    Start();
    ASSERT_EQ(Model().rowCount(), 2);
    // A double-click on the Done column toggles; on the Task column it edits.
    SelectRow(0, TaskGridModel::kDone);
    form_->ActiveGridDblClick();
    EXPECT_EQ(Model().rowCount(), 1);
    bool edited = false;
    ui::test::WhenModalShown([&](QWidget* window) {
        auto* editor = qobject_cast<TTaskEditor*>(window);
        ASSERT_NE(editor, nullptr);
        edited = true;
        editor->CancelButtonClick();
    });
    SelectRow(0, TaskGridModel::kTask);
    form_->ActiveGridDblClick();
    EXPECT_TRUE(edited);
    form_->ShowDoneClick();
    ASSERT_EQ(Model().rowCount(), 2);

    // Calendar: the chosen day in the order in force, here DATETIME.
    form_->SortMenus().mnuSortDateTimeClick();
    ui::test::WhenModalShown([](QWidget* window) {
        auto* selector = qobject_cast<TDateSelector*>(window);
        ASSERT_NE(selector, nullptr);
        rtl::TDateTime day = 0;
        ASSERT_TRUE(rtl::TryEncodeDate(2026, 1, 20, day));
        selector->Calendar()->setCalendarDate(day);
        selector->OKButtonClick();
    });
    form_->CalendarButtonClick();
    EXPECT_EQ(Current("DESCRIPT"), "Twentieth");
    EXPECT_EQ(form_->ActiveGrid()->currentIndex().row(), 1);

    // Rebuild: asked (the done toggle could still be undone), packed (the deleted task leaves
    // the file), "Done!", DATETIME order.
    form_->SortMenus().mnuSortDescriptionClick();
    form_->RebuildIndexes1Click();
    EXPECT_EQ(boxes_, (std::vector<std::string>{
                          "Rebuild Index Files?\nThe changes made so far can no longer be undone.",
                          "Done!"}));
    EXPECT_EQ(form_->Store().TodoEngine.RecordCount(), 2);
    EXPECT_EQ(form_->Store().TodoTable.IndexName(), "DATETIME");
    EXPECT_EQ(form_->Store().TodoTable.Tag, 0);
    EXPECT_EQ(Model().rowCount(), 2);
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Tenth"));
}

TEST_F(MainWindow, ColumnMenusFilterSortAndReportWorkFromTheWindow) {
    MakeTaskFile("QUILX.DBF",
                 {{"20260110", "", "Charlie", "", false, "home", "C"},
                  {"", "", "Alpha", "", false, "work", "B"},
                  {"", "", "Bravo", "", false, "play", "B"}},
                 true);
    Start();
    ASSERT_EQ(Model().rowCount(), 3);
    // The File menu's "Sort" item of an order, found as a person finds it.
    const auto fileSortItem = [this](const char* name) -> QAction* {
        QMenu* file = form_->menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
        for (QAction* item : file->actions()) {
            if (item->menu() != nullptr && item->menu()->title() == QStringLiteral("Sort")) {
                return item->menu()->findChild<QAction*>(QString::fromLatin1(name));
            }
        }
        return nullptr;
    };
    ASSERT_NE(fileSortItem("mainmnuSortDescription"), nullptr);

    // A double-click on each menu column changes that field of the task and its row.
    SelectRow(0, TaskGridModel::kPriority);
    WhenPopupShown([](QMenu* menu) { Choose(menu, QStringLiteral("High Priority")); });
    form_->ActiveGridDblClick();
    EXPECT_EQ(Current("PRIORITY"), "A");
    EXPECT_EQ(Cell(0, TaskGridModel::kPriority), QStringLiteral("High"));
    SelectRow(0, TaskGridModel::kDate);
    WhenPopupShown([](QMenu* menu) {
        WhenPopupShown([](QMenu* quick) { Choose(quick, QStringLiteral("Tomorrow")); });
        Choose(menu, QStringLiteral("Quick Date"));
    });
    form_->ActiveGridDblClick();
    EXPECT_EQ(Current("DATE"), rtl::FormatDateTime("yyyymmdd", rtl::Today() + 1));
    SelectRow(0, TaskGridModel::kTime);
    ui::test::WhenModalShown([](QWidget* window) {
        auto* dialog = qobject_cast<TSetTimeDialog*>(window);
        ASSERT_NE(dialog, nullptr);
        dialog->SetSelectedTime((9 * 60 + 45) / 1440.0);
        dialog->OkbuttonClick();
    });
    form_->ActiveGridDblClick();
    EXPECT_EQ(Current("TIME"), "09:45");
    // The key word menu offers the window's own list, which the choice leaves as it was.
    SelectRow(0, TaskGridModel::kKeys);
    QStringList offered;
    WhenPopupShown([&offered](QMenu* menu) {
        for (QAction* item : menu->actions()) {
            offered << item->text();
        }
        Choose(menu, QStringLiteral("work"));
    });
    form_->ActiveGridDblClick();
    EXPECT_EQ(Current("KEYS"), "home work");
    EXPECT_EQ(offered,
              (QStringList{QStringLiteral("home"), QStringLiteral("work"), QStringLiteral("play"),
                           QString(), QStringLiteral("Clear Entry"), QStringLiteral("Cancel")}));
    EXPECT_EQ(form_->KeyWords().Words(), (std::vector<std::string>{"home", "work", "play"}));
    EXPECT_EQ(Cell(0, TaskGridModel::kKeys), QStringLiteral(" home work"));

    // The filter dialog's Ok narrows the list and shows the indicator.
    ui::test::WhenModalShown([](QWidget* window) {
        auto* filter = qobject_cast<TFilterForm*>(window);
        ASSERT_NE(filter, nullptr);
        filter->SetKeyFilterText("work");
        filter->OKButtonClick();
    });
    form_->FilterbuttonClick();
    EXPECT_EQ(form_->Filter().KeyFilterText, "work");
    EXPECT_TRUE(form_->Button("FilterClearbutton")->isVisible());
    ASSERT_EQ(Model().rowCount(), 2);
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Charlie"));

    // The Sort button drops its menu down; a pending note is posted before the order changes.
    form_->ActiveNotes()->setPlainText(QStringLiteral("Call first"));
    ASSERT_EQ(form_->Store().TodoTable.State(), store::TDataSetState::dsEdit);
    WhenPopupShown([](QMenu* menu) { Choose(menu, QStringLiteral("Sort by Description")); });
    QTest::mousePress(form_->Button("OrderButton"), Qt::LeftButton);
    QTest::mouseRelease(form_->Button("OrderButton"), Qt::LeftButton);
    EXPECT_EQ(form_->Store().TodoTable.IndexName(), "DESCRIPT");
    EXPECT_TRUE(fileSortItem("mainmnuSortDescription")->isChecked());
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Alpha"));
    EXPECT_EQ(form_->Store().TodoTable.State(), store::TDataSetState::dsBrowse);
    EXPECT_EQ(form_->ActiveGrid()->currentIndex().row(), 0);

    // The report dialog exports the list as the window shows it, then closes.
    const std::string exported = PathOf("tasks.txt");
    bool reported = false;
    ui::test::WhenModalShown([&](QWidget* window) {
        auto* dialog = qobject_cast<report::TReportSetup*>(window);
        ASSERT_NE(dialog, nullptr);
        reported = true;
        ui::test::WhenModalShown([&exported](QWidget* saveDialog) {
            auto* files = qobject_cast<QFileDialog*>(saveDialog);
            ASSERT_NE(files, nullptr);
            files->selectFile(QString::fromStdString(exported));
            QMetaObject::invokeMethod(files, "accept");
        });
        dialog->TextSaveButtonClick();
        dialog->OKButtonClick();
    });
    form_->PrintButtonClick();
    EXPECT_TRUE(reported);
    EXPECT_EQ(boxes_, std::vector<std::string>{"Saved as " + exported});
    QFile text(QString::fromStdString(exported));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QByteArray written = text.readAll();
    EXPECT_LT(written.indexOf("Alpha"), written.indexOf("Charlie"));
    EXPECT_GE(written.indexOf("Alpha"), 0);
    EXPECT_EQ(written.indexOf("Bravo"), -1);

    // The order chosen is the one the next start puts in force and ticks.
    const int description = form_->Store().TodoEngine.TagOrder("DESCRIPT");
    Finish();
    EXPECT_EQ(ini::ReadInteger(PathOf("TODO.INI"), "Preferences", "Order", 0), description);
    Start();
    EXPECT_EQ(form_->OrderNumber(), description);
    EXPECT_EQ(form_->Store().TodoTable.IndexName(), "DESCRIPT");
    EXPECT_TRUE(fileSortItem("mainmnuSortDescription")->isChecked());
    EXPECT_FALSE(fileSortItem("mainmnuSortDateTime")->isChecked());
    ASSERT_EQ(Model().rowCount(), 3);
    EXPECT_EQ(Cell(2, TaskGridModel::kTask), QStringLiteral("Charlie"));
    SelectRow(2);
    EXPECT_EQ(form_->ActiveNotes()->toPlainText(), QStringLiteral("Call first"));
}

// Ok without a change stores each task as it was, under a short date of two-digit years and
// with priorities that other programs wrote in small letters.
TEST_F(MainWindow, TheEditorGivesEveryTaskBackAsStoredUnderADayFirstLocale) {
    const rtl::FormatSettings before = rtl::CurrentFormats();
    rtl::FormatSettings british = before;
    british.shortDateFormat = "dd/mm/yy";
    british.dateSeparator = '/';
    rtl::SetCurrentFormats(british);
    const struct {
        const char* date;
        const char* priority;
        const char* shown;  // the editor's date field
        const char* button;
        const char* stored;  // PRIORITY after Ok
    } cases[] = {
        {"19991231", "a", "31/12/1999", "pHigh", "A"},
        {"21000301", "c", "01/03/2100", "pLow", "C"},
        {"18991230", "b", "30/12/1899", "pMedium", "B"},
        {"20270531", "A", "31/05/2027", "pHigh", "A"},
        {"", "x", "", "pMedium", "B"},
    };
    std::vector<Task> tasks;
    for (const auto& c : cases) {
        tasks.push_back({c.date, "", c.date, "", false, "", c.priority});
    }
    MakeTaskFile("QUILX.DBF", tasks, true);
    Start();
    for (int row = 0; row < Model().rowCount(); ++row) {
        SelectRow(row);
        const std::string task = Current("DESCRIPT");
        const auto* c = std::find_if(std::begin(cases), std::end(cases),
                                     [&](const auto& one) { return task == one.date; });
        ASSERT_NE(c, std::end(cases)) << task;
        QString shown;
        QString checked;
        NextEditor([&](TTaskEditor& editor) {
            shown = editor.DateEdit()->text();
            for (QRadioButton* button : {editor.pHigh(), editor.pMedium(), editor.pLow()}) {
                if (button->isChecked()) {
                    checked = button->objectName();
                }
            }
        });
        form_->EditButtonClick();
        EXPECT_EQ(shown, QLatin1String(c->shown)) << task;
        EXPECT_EQ(checked, QLatin1String(c->button)) << task;
        EXPECT_EQ(Current("DATE"), c->date) << task;
        EXPECT_EQ(Current("PRIORITY"), c->stored) << task;
    }
    EXPECT_TRUE(boxes_.empty());
    Finish();
    rtl::SetCurrentFormats(before);
    SaveUserFormats();
}

TEST_F(MainWindow, KeysTypedIntoATextStayThereAndTheNotesArePostedAsTyped) {
    MakeTaskFile("QUILX.DBF", {{"", "", "Only task", "", false, "", "B"}}, true);
    Start();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    QPlainTextEdit* notes = form_->ActiveNotes();
    notes->setFocus();
    QTest::keyClicks(notes, QStringLiteral("1234567"));
    QTest::keyClick(notes, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(notes, Qt::Key_Insert);
    QTest::keyClick(notes, Qt::Key_Home);
    QTest::keyClick(notes, Qt::Key_Delete);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(form_->Store().TodoEngine.RecordCount(), 1);
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("234567+"));

    // Leaving the pane posts the note, unpadded although its length is a multiple of 4...
    QTest::keyClick(notes, Qt::Key_End);
    QTest::keyClick(notes, Qt::Key_8);
    form_->ActiveGrid()->setFocus();
    ui::ProcessMessages();
    EXPECT_EQ(form_->Store().TodoTable.State(), store::TDataSetState::dsBrowse);
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), "234567+8");

    // The Task cell's editor keeps its keys too; what it holds is posted with the close.
    QTableView* grid = form_->ActiveGrid();
    const QModelIndex task = Model().index(0, TaskGridModel::kTask);
    grid->setCurrentIndex(task);
    grid->edit(task);
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Renamed in place"));
    QTest::keyClick(line, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(line, Qt::Key_Insert);
    QTest::keyClick(line, Qt::Key_Delete);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(line->maxLength(), 50);
    Finish();
    Start();
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Renamed in place+"));
    SelectRow(0);

    // ...and in the grid the same keys act on the task: Delete asks.
    answer_ = ui::kIdNo;
    QTest::keyClick(form_->ActiveGrid(), Qt::Key_Delete);
    EXPECT_EQ(boxes_, std::vector<std::string>{"Delete this task? "});
}

TEST_F(MainWindow, PreferencesAndPlacementComeBackAsTheyWereLeft) {
    MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(6), true);
    const std::string ini = PathOf("TODO.INI");
    // The first start: the designed place, the placement written at once, record order.
    Start();
    EXPECT_EQ(ui::FormBounds(form_.get()).topLeft(), QPoint(144, 99));
    EXPECT_EQ(ini::ReadInteger(ini, "TMainScreen_Placement", "Left", -1), 144);
    EXPECT_EQ(form_->oxSplit1()->barPosition(), 200);
    EXPECT_EQ(form_->Store().TodoEngine.IndexOrder(), 0);
    EXPECT_FALSE(form_->Filter().ShowDoneFlag);
    form_->SortMenus().mnuSortPriorityClick();
    form_->ShowDoneClick();
    form_->oxSplit1()->setBarPosition(150);
    Finish();
    EXPECT_EQ(ini::ReadInteger(ini, "Preferences", "SplitterBar", 0), 150);
    EXPECT_EQ(ini::ReadInteger(ini, "Preferences", "Order", 0), 5);
    EXPECT_TRUE(ini::ReadBool(ini, "Preferences", "ShowDone", false));

    Start();
    EXPECT_EQ(form_->oxSplit1()->barPosition(), 150);
    EXPECT_EQ(form_->Store().TodoTable.IndexName(), "PRIORITY");
    EXPECT_TRUE(form_->Filter().ShowDoneFlag);
    EXPECT_EQ(Model().rowCount(), 6);
    Finish();

    // A window stored off a 1024-wide screen comes back inside it; a maximised one maximised.
    ui::OverrideScreenMetrics(ui::ScreenMetrics{1024, 768, 96});
    ini::WriteInteger(ini, "TMainScreen_Placement", "Left", 1500);
    ini::WriteInteger(ini, "TMainScreen_Placement", "Right", 2300);
    ini::WriteInteger(ini, "TMainScreen_Placement", "Top", 10);
    ini::WriteInteger(ini, "TMainScreen_Placement", "Bottom", 500);
    Start();
    EXPECT_EQ(ui::FormBounds(form_.get()).left(), 224);
    EXPECT_EQ(ini::ReadInteger(ini, "TMainScreen_Placement", "Right", 0), 1024);
    form_->showMaximized();
    ui::ProcessMessages();
    Finish();
    EXPECT_TRUE(ini::ReadBool(ini, "TMainScreen_Placement", "Maximized", false));
    Start();
    EXPECT_TRUE(form_->isMaximized());
    Finish();

    // Another density starts its own section: the window opens at its designed place.
    ui::OverrideScreenMetrics(ui::ScreenMetrics{1024, 768, 120});
    Start();
    EXPECT_FALSE(form_->isMaximized());
    EXPECT_EQ(ui::FormBounds(form_.get()).topLeft(), QPoint(144, 99));
    EXPECT_EQ(ini::ReadInteger(ini, "TMainScreen_Placement120", "Left", -1), 144);
    EXPECT_EQ(PlacementSection("TMainScreen", 96), "TMainScreen_Placement");
}

// A start that cannot open the task file says which file and why, and leaves the person's
// settings as they were rather than writing back defaults never read.
TEST_F(MainWindow, AStartThatCannotOpenTheTableLeavesTheSettingsUntouched) {
    {
        std::ofstream(PathOf("QUILX.DBF"), std::ios::binary) << "not a table";
        std::ofstream(PathOf("TODO.INI"), std::ios::binary)
            << "[Preferences]\r\nOrder=3\r\nShowDone=1\r\nSplitterBar=300\r\n"
               "[TMainScreen_Placement]\r\nLeft=-5000\r\nTop=10\r\nRight=32767\r\n"
               "Bottom=-4\r\nMaximized=0\r\n";
    }
    auto settings = [this] {
        std::ifstream in(PathOf("TODO.INI"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = settings();
    Start();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].rfind("Unable to open the Todo file: QUILX.DBF\n\n", 0), 0u) << boxes_[0];
    EXPECT_NE(boxes_[0].find(PathOf("QUILX.DBF") + ": "), std::string::npos) << boxes_[0];
    EXPECT_TRUE(form_->StartFailed());
    EXPECT_FALSE(form_->isVisible());
    Finish();
    EXPECT_EQ(settings(), before);
}

// Placements no screen has (hand-edited, from a larger desk, or not numbers at all) bring the
// whole window back onto the screen, and what is saved is where it now stands.
TEST_F(MainWindow, OddPlacementsInTheSettingsFileBringTheWholeWindowOntoTheScreen) {
    MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(2), true);
    ui::OverrideScreenMetrics(ui::ScreenMetrics{1024, 768, 96});
    const QRect screen(0, 0, 1024, 768);
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"binary", std::string("\0\xFF\x01[TMainScreen_Placement]\0Left=\x80\r\n", 34)},
        {"huge", "Left=32767\r\nTop=32767\r\nRight=40000\r\nBottom=40000"},
        {"negative", "Left=-5000\r\nTop=-5000\r\nRight=-5100\r\nBottom=-4000"},
        {"overflowing", "Left=-99999999999\r\nTop=10\r\nRight=99999999999\r\nBottom=2147483647"},
    };
    for (const auto& [name, placement] : cases) {
        SCOPED_TRACE(name);
        {
            std::ofstream ini(PathOf("TODO.INI"), std::ios::binary | std::ios::trunc);
            ini << (placement.front() == '\0'
                        ? placement
                        : "[TMainScreen_Placement]\r\n" + placement + "\r\nMaximized=0\r\n");
        }
        Start();
        const QRect bounds = ui::FormBounds(form_.get());
        EXPECT_TRUE(screen.contains(bounds))
            << bounds.x() << "," << bounds.y() << " " << bounds.width() << "x" << bounds.height();
        EXPECT_GT(bounds.width(), 100);
        EXPECT_GT(bounds.height(), 100);
        Finish();
        const std::string ini = PathOf("TODO.INI");
        const QRect saved(QPoint(ini::ReadInteger(ini, "TMainScreen_Placement", "Left", -1),
                                 ini::ReadInteger(ini, "TMainScreen_Placement", "Top", -1)),
                          QPoint(ini::ReadInteger(ini, "TMainScreen_Placement", "Right", -1) - 1,
                                 ini::ReadInteger(ini, "TMainScreen_Placement", "Bottom", -1) - 1));
        EXPECT_EQ(saved, bounds);
    }
}

TEST_F(MainWindow, ASettingsFileThatCannotBeWrittenLosesNothingElse) {
    MakeTaskFile("QUILX.DBF", {{"", "", "Kept", "", false, "", "B"}}, true);
    // A folder where the settings file should be: no write of it can succeed.
    std::filesystem::create_directory(PathOf("TODO.INI"));
    Start();
    ASSERT_TRUE(form_->isVisible());
    store::TTable& table = form_->Store().TodoTable;
    ASSERT_EQ(table.Append(), store::dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Typed before closing"));
    Finish();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("TODO.INI")));
    Start();
    EXPECT_EQ(form_->Store().TodoEngine.RecordCount(), 2);
}

TEST_F(MainWindow, AnEditThatCannotBePostedAtCloseIsReported) {
    MakeTaskFile("QUILX.DBF", {{"", "", "Kept", "", false, "", "B"}}, true);
    Start();
    store::TTable& table = form_->Store().TodoTable;
    ASSERT_EQ(table.Append(), store::dbi::kOk);
    ASSERT_TRUE(table.FieldByName("DESCRIPT")->SetAsString("Cannot be written"));
    // A full disk: no file may grow any more.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = old;
    full.rlim_cur = static_cast<rlim_t>(std::filesystem::file_size(PathOf("QUILX.DBF")));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    Finish();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.front().rfind("Error:Unable to save changes", 0), 0u) << boxes_.front();
}

// Calendar, a date, Ok: in any order the first task in date order on or after that day
// becomes current (past the last date, the last dated task), and a note typed then is kept.
TEST_F(MainWindow, GoingToADateLandsOnATaskInAnyOrderAndANoteTypedThenIsStored) {
    MakeTaskFile("QUILX.DBF",
                 {{"20260110", "", "Tenth", "", false, "", "B"},
                  {"", "", "Undated", "", false, "", "A"},
                  {"20260105", "", "Fifth", "", false, "", "C"},
                  {"20260120", "", "Twentieth", "", false, "", "B"}},
                 true);
    Start();
    struct Case {
        int day;
        const char* lands;
    };
    const Case cases[] = {
        {1, "Fifth"}, {6, "Tenth"}, {10, "Tenth"}, {11, "Twentieth"}, {31, "Twentieth"}};
    for (const char* order : {"record", "DESCRIPT", "PRIORITY", "DATETIME"}) {
        const int number =
            std::string_view(order) == "record" ? 0 : form_->Store().TodoEngine.TagOrder(order);
        form_->Store().TodoEngine.SetOrder(number);
        Model().Reload();
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(order) + " order, day " + std::to_string(c.day));
            SelectRow(0);
            ui::test::WhenModalShown([&](QWidget* window) {
                auto* selector = qobject_cast<TDateSelector*>(window);
                ASSERT_NE(selector, nullptr);
                rtl::TDateTime day = 0;
                ASSERT_TRUE(rtl::TryEncodeDate(2026, 1, c.day, day));
                selector->Calendar()->setCalendarDate(day);
                selector->OKButtonClick();
            });
            form_->CalendarButtonClick();
            EXPECT_EQ(form_->Store().TodoEngine.IndexOrder(), number);
            EXPECT_FALSE(form_->Store().TodoTable.Eof());
            EXPECT_EQ(Current("DESCRIPT"), c.lands);
            const QModelIndex current = form_->ActiveGrid()->currentIndex();
            EXPECT_EQ(Cell(current.row(), TaskGridModel::kTask), QString::fromLatin1(c.lands));
            EXPECT_TRUE(form_->Button("Editbutton")->isVisible());
        }
    }

    // A first start is in record order; the note typed after going to a date is the task's.
    form_->Store().TodoEngine.SetOrder(0);
    Model().Reload();
    ui::test::WhenModalShown([](QWidget* window) {
        auto* selector = qobject_cast<TDateSelector*>(window);
        ASSERT_NE(selector, nullptr);
        rtl::TDateTime day = 0;
        ASSERT_TRUE(rtl::TryEncodeDate(2026, 1, 7, day));
        selector->Calendar()->setCalendarDate(day);
        selector->OKButtonClick();
    });
    form_->CalendarButtonClick();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    QPlainTextEdit* notes = form_->ActiveNotes();
    notes->setFocus();
    EXPECT_FALSE(notes->isReadOnly());
    QTest::keyClicks(notes, QStringLiteral("Bring the receipts"));
    form_->ActiveGrid()->setFocus();
    ui::ProcessMessages();
    EXPECT_TRUE(boxes_.empty());
    Finish();
    Start();
    form_->Store().TodoEngine.GoToRecord(1);
    EXPECT_EQ(Current("DESCRIPT"), "Tenth");
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), "Bring the receipts");
}

// A record this program cannot put into editing (another work area holds its lock): typing
// in the notes pane or the Task cell shows the engine's words and the text as stored.
TEST_F(MainWindow, TypingIntoATaskHeldElsewhereShowsWhyAndPutsTheStoredTextBack) {
    MakeTaskFile("QUILX.DBF", {{"", "", "Held task", "Stored note", false, "", "B"}}, true);
    Start();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    SelectRow(0);
    sx_SetLockTimeout(0);
    const int holder = sx_Use(PathOf("QUILX.DBF"), "HOLDER", 0, 2);
    ASSERT_NE(holder, 0);
    ASSERT_TRUE(sx_Rlock(1));

    QPlainTextEdit* notes = form_->ActiveNotes();
    notes->setFocus();
    notes->moveCursor(QTextCursor::End);
    QTest::keyClick(notes, Qt::Key_X);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Engine Error : 10245");  // the record lock was refused
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("Stored note"));

    QTableView* grid = form_->ActiveGrid();
    const QModelIndex task = Model().index(0, TaskGridModel::kTask);
    grid->setFocus();
    grid->setCurrentIndex(task);
    grid->edit(task);
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Renamed"));
    // Leaving the cell commits its text.
    notes->setFocus();
    ui::ProcessMessages();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1], boxes_[0]);
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Held task"));
    EXPECT_EQ(form_->Store().TodoTable.State(), store::TDataSetState::dsBrowse);

    // Let go, the same typing is stored.
    ASSERT_TRUE(sx_Select(holder));
    ASSERT_TRUE(sx_Close());
    notes->setFocus();
    notes->moveCursor(QTextCursor::End);
    QTest::keyClick(notes, Qt::Key_X);
    grid->setFocus();
    ui::ProcessMessages();
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), "Stored notex");
}

// Characters the task file cannot hold are refused where they are typed, and the message
// line says why; it takes any short message the window has.
TEST_F(MainWindow, RefusedCharactersAreExplainedOnTheMessageLine) {
    MakeTaskFile("QUILX.DBF", {{"", "", "Only task", "ab", false, "", "B"}}, true);
    Start();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    SelectRow(0);
    QLabel* line = form_->MessageLine();
    EXPECT_TRUE(line->text().isEmpty());
    const QString reason = QStringLiteral("Quillet's task file cannot hold '\u03BB'");

    QPlainTextEdit* notes = form_->ActiveNotes();
    notes->setFocus();
    notes->moveCursor(QTextCursor::End);
    QTest::sendKeyEvent(QTest::Click, notes, Qt::Key_unknown, QStringLiteral("\u03BB"),
                        Qt::NoModifier);
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("ab"));
    EXPECT_EQ(line->text(), reason);
    EXPECT_TRUE(line->isVisible());
    EXPECT_GT(line->geometry().left(), form_->Button("ShowDone")->geometry().right());

    form_->ShowMessageLine(QStringLiteral("Another message"));
    EXPECT_EQ(line->text(), QStringLiteral("Another message"));

    QTableView* grid = form_->ActiveGrid();
    const QModelIndex task = Model().index(0, TaskGridModel::kTask);
    grid->setFocus();
    grid->setCurrentIndex(task);
    grid->edit(task);
    auto* cell = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(cell, nullptr);
    cell->end(false);
    QTest::sendKeyEvent(QTest::Click, cell, Qt::Key_unknown, QStringLiteral("\u03C9"),
                        Qt::NoModifier);
    EXPECT_EQ(cell->text(), QStringLiteral("Only task"));
    EXPECT_EQ(line->text(), QStringLiteral("Quillet's task file cannot hold '\u03C9'"));
    EXPECT_TRUE(boxes_.empty());
}

// Counts the task editors that show and cancels each one as it shows.
class EditorCounter : public QObject {
  public:
    EditorCounter() { QApplication::instance()->installEventFilter(this); }
    int shown = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* editor = qobject_cast<TTaskEditor*>(watched)) {
                ++shown;
                QTimer::singleShot(0, editor, [editor] { editor->CancelButtonClick(); });
            }
        }
        return false;
    }
};

// Keys typed while a command opens the task editor (Insert, then Enter soon after; New
// clicked, then Enter) never open a second one.
TEST_F(MainWindow, KeysArrivingWhileTheEditorOpensNeverOpenASecondOne) {
    MakeTaskFile("QUILX.DBF", {{"", "", "Only task", "", false, "", "B"}}, true);
    Start();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    SelectRow(0);
    QTableView* grid = form_->ActiveGrid();
    grid->setFocus();
    const auto post = [grid](QEvent::Type type, int key) {
        QCoreApplication::postEvent(grid, new QKeyEvent(type, key, Qt::NoModifier));
    };
    {
        EditorCounter editors;
        post(QEvent::KeyPress, Qt::Key_Insert);
        post(QEvent::KeyRelease, Qt::Key_Insert);
        post(QEvent::KeyPress, Qt::Key_Return);
        post(QEvent::KeyRelease, Qt::Key_Return);
        ui::ProcessMessages();
        ui::ProcessMessages();
        EXPECT_EQ(editors.shown, 1);
    }
    {
        EditorCounter editors;
        post(QEvent::KeyPress, Qt::Key_Return);
        post(QEvent::KeyRelease, Qt::Key_Return);
        form_->NewButtonClick();
        ui::ProcessMessages();
        EXPECT_EQ(editors.shown, 1);
    }
    // Once the editor has closed, keys reach the window again.
    {
        EditorCounter editors;
        post(QEvent::KeyPress, Qt::Key_Return);
        post(QEvent::KeyRelease, Qt::Key_Return);
        ui::ProcessMessages();
        ui::ProcessMessages();
        EXPECT_EQ(editors.shown, 1);
    }
    EXPECT_EQ(form_->Store().TodoEngine.RecordCount(), 1);
}

}  // namespace

QUILLET_UI_TEST_MAIN()

// Lets the window's idle-time work run until `done`, for at most a bounded number of rounds.
bool RunEventsUntil(const std::function<bool()>& done) {
    for (int round = 0; round < 2000 && !done(); ++round) {
        QTest::qWait(5);
    }
    return done();
}

// Appends a task in another process, as another program sharing the task file would; with
// `keepIndex` false it opens the table without its index, which is then left short.
void AppendElsewhere(const std::string& table, const std::string& descript, bool keepIndex) {
    const std::string index = table.substr(0, table.size() - 3) + "CDX";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!keepIndex) {
            std::filesystem::rename(index, index + ".away");
        }
        bool ok = sx_Use(table, "OTHERPRG", 0, 2) != 0 && sx_AppendBlank() &&
                  sx_Replace("DESCRIPT", SxReplace::kText, descript) &&
                  sx_Replace("DATE", SxReplace::kText, "20260301") && sx_Commit();
        if (!keepIndex) {
            std::filesystem::rename(index + ".away", index);
        }
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

const QString kIndexRebuiltLine = QStringLiteral(
    "The index did not match the task file and was rebuilt (the old one is kept as "
    "QUILX.CDX.bad).");

// Another program's appends show without a restart, on the next activation or by the
// window's own look; one that left the index short is found by the idle-time check, which
// sets the index aside, rebuilds it and says so.
TEST_F(MainWindow, AnotherProgramsAppendsShowAndAShortIndexIsRepairedInIdleTime) {
    MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(30), true);
    Start();
    ASSERT_EQ(Model().rowCount(), 20);  // every third is done
    QLabel* line = form_->MessageLine();

    // Kept in the index: shown at the next activation, nothing to repair.
    AppendElsewhere(PathOf("QUILX.DBF"), "Kept", true);
    form_->FormActivate();
    EXPECT_EQ(Model().rowCount(), 21);
    // Left out of the index: shown by the window's look, then repaired.
    AppendElsewhere(PathOf("QUILX.DBF"), "Unindexed", false);
    EXPECT_TRUE(RunEventsUntil([&] { return line->text() == kIndexRebuiltLine; }))
        << line->text().toStdString();
    EXPECT_TRUE(Exists("QUILX.CDX.bad"));
    EXPECT_EQ(Model().rowCount(), 22);
    EXPECT_EQ(store_test::IndexProblems(form_->Store().TodoTable.Handle()), "");
    EXPECT_TRUE(boxes_.empty()) << testing::PrintToString(boxes_);
}

// An index a stopped writer left half-written, or one taken from another copy of the task
// file, is rebuilt before the grid reads it; the grid and the commands then agree.
TEST_F(MainWindow, AHalfWrittenOrForeignIndexIsRebuiltAtStartAndSaidSo) {
    for (bool foreign : {false, true}) {
        SCOPED_TRACE(foreign);
        for (const char* name : {"QUILX.DBF", "QUILX.FPT", "QUILX.CDX", "QUILX.CDX.bad"}) {
            std::filesystem::remove(PathOf(name));
        }
        if (foreign) {
            MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(40), true);
            std::filesystem::rename(PathOf("QUILX.CDX"), PathOf("FOREIGN.CDX"));
            std::filesystem::remove(PathOf("QUILX.DBF"));
            std::filesystem::remove(PathOf("QUILX.FPT"));
            MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(4), false);
            std::filesystem::rename(PathOf("FOREIGN.CDX"), PathOf("QUILX.CDX"));
        } else {
            MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(4), true);
            std::fstream index(PathOf("QUILX.CDX"),
                               std::ios::in | std::ios::out | std::ios::binary);
            index.seekp(500);
            index.put('\1');
        }
        Start();
        EXPECT_EQ(form_->MessageLine()->text(), kIndexRebuiltLine);
        EXPECT_TRUE(Exists("QUILX.CDX.bad"));
        ASSERT_EQ(Model().rowCount(), 3);  // the fourth is done
        // Done acts on the task the grid shows.
        SelectRow(1);
        const std::int32_t shown = Model().RecordAt(1);
        form_->DoneToggleButtonClick();
        int area = sx_Use(PathOf("QUILX.DBF"), "LOOK", 1, 2);
        ASSERT_NE(area, 0);
        for (int record = 1; record <= 4; ++record) {
            ASSERT_TRUE(sx_Go(record));
            const bool wasDone = record % 3 == 0;
            EXPECT_EQ(sx_GetLogical("DONE"), record == shown ? !wasDone : wasDone) << record;
        }
        sx_Close();
        Finish();
    }
}

// The day's backup is taken once the window shows its rows; File, Restore from Backup puts the
// tasks of the chosen one back after the question and keeps the replaced ones as a backup.
TEST_F(MainWindow, TheDaysBackupAndARestoreFromTheFileMenu) {
    MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(30), true);
    Start();
    ASSERT_TRUE(RunEventsUntil([&] { return store::Backups(Dir()).List().size() == 1; }));
    ASSERT_EQ(Model().rowCount(), 20);
    SelectRow(0);
    form_->DeleteButtonClick();
    ASSERT_EQ(Model().rowCount(), 19);

    ui::test::WhenModalShown([](QWidget* window) {
        auto* form = qobject_cast<TBackupForm*>(window);
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(form->List()->topLevelItemCount(), 1);
        EXPECT_EQ(form->List()->topLevelItem(0)->text(1), QStringLiteral("30"));
        form->RestoreButtonClick();
    });
    form_->RestoreFromBackup1Click();
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back().rfind("Restore the tasks as they were at ", 0), 0u) << boxes_.back();
    // The delete named a record of the replaced table: it can no longer be undone.
    EXPECT_NE(boxes_.back().find("The changes made so far can no longer be undone."),
              std::string::npos)
        << boxes_.back();
    EXPECT_FALSE(form_->History().CanUndo());
    EXPECT_EQ(Model().rowCount(), 20);
    EXPECT_EQ(store_test::IndexProblems(form_->Store().TodoTable.Handle()), "");
    EXPECT_TRUE(form_->MessageLine()->text().startsWith(
        QStringLiteral("Tasks restored from the backup of ")))
        << form_->MessageLine()->text().toStdString();
    const std::vector<store::BackupEntry> backups = store::Backups(Dir()).List();
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].tasks, 29);
}

// A backup that cannot be made is said once on the message line; the window works on.
TEST_F(MainWindow, AFailedBackupIsSaidOnTheMessageLineAndStopsNothing) {
    MakeTaskFile("QUILX.DBF", store_test::NumberedTasks(3), true);
    std::ofstream(PathOf("backups")) << "a file where the folder would go";
    Start();
    QLabel* line = form_->MessageLine();
    EXPECT_TRUE(RunEventsUntil([&] {
        return line->text().startsWith(QStringLiteral("The backup of the tasks failed: "));
    })) << line->text().toStdString();
    EXPECT_EQ(Model().rowCount(), 2);
    EXPECT_TRUE(boxes_.empty()) << testing::PrintToString(boxes_);
}
