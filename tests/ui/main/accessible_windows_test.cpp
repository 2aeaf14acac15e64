// Every window as a screen reader reads it: each button a person can reach is named and has
// its role, the grid, notes, splitter and calendar read as what they are, and the main
// window's keys reach every command.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "accessible_tree.h"
#include "app/about_box.h"
#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "report/preview_form.h"
#include "report/report_setup.h"
#include "rtl/date_format.h"
#include "rtl/date_time.h"
#include "store_test_support.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/set_time_dialog.h"
#include "ui/dialogs/task_editor.h"
#include "ui/main/backup_form.h"
#include "ui/main/filter_form.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

namespace {

using ui::test::AccessibleItem;
using ui::test::ReadAccessibleTree;
using ui::test::RoleName;

std::string Describe(const AccessibleItem& item) {
    return (RoleName(item.role) + QStringLiteral(" \"") + item.name + QStringLiteral("\"")).toStdString();
}

class AccessibleWindows : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes_.push_back(request.text.toStdString());
            return ui::kIdYes;
        });
        MakeTaskFile("QUILX.DBF",
                     {{"20260105", "09:30", "Call the plumber", "", false, "home", "A"},
                      {"20260106", "", "Pay the rent", "monthly", false, "", "B"}},
                     true);
        main_ = ui::CreateForm<TMainScreen>(Dir());
        ui::SetMainForm(main_.get());
        main_->show();
        main_->FormActivate();
        ui::ProcessMessages();
    }
    void TearDown() override {
        if (main_) {
            main_->close();
            ui::SetMainForm(nullptr);
            main_.reset();
        }
        ui::SetMessageBoxPresenter(previous_);
        StoreTest::TearDown();
    }

    ui::FormPtr<TMainScreen> main_;
    ui::MessageBoxPresenter previous_;
    std::vector<std::string> boxes_;
    ui::test::ConnectionGuard guard_;
};

using WindowPtr = std::shared_ptr<QWidget>;

// The windows a person meets, each made as the program makes it and shown.
struct WindowCase {
    const char* window;
    std::function<WindowPtr(TMainScreen& main)> make;
};

std::vector<WindowCase> Windows() {
    return {
        {"main window", [](TMainScreen& main) { return WindowPtr(&main, [](QWidget*) {}); }},
        {"task editor",
         [](TMainScreen&) {
             return WindowPtr(ui::CreateForm<TTaskEditor>(std::vector<std::string>{"home"}));
         }},
        {"date selector", [](TMainScreen&) { return WindowPtr(ui::CreateForm<TDateSelector>()); }},
        {"time dialog", [](TMainScreen&) { return WindowPtr(ui::CreateForm<TSetTimeDialog>()); }},
        {"filter",
         [](TMainScreen&) {
             return WindowPtr(ui::CreateForm<TFilterForm>(std::vector<std::string>{"home"}));
         }},
        {"report",
         [](TMainScreen& main) {
             return WindowPtr(ui::CreateForm<report::TReportSetup>(main.Store()));
         }},
        {"preview",
         [](TMainScreen&) {
             return WindowPtr(ui::CreateForm<report::TPreviewForm>(std::string(), QString()));
         }},
        {"backups",
         [](TMainScreen&) {
             return WindowPtr(ui::CreateForm<TBackupForm>(std::vector<store::BackupEntry>{
                 {"QUILX-20260105-093000", "2026-01-05 09:30:00", 2, ""}}));
         }},
        {"about", [](TMainScreen&) { return WindowPtr(ui::CreateForm<TSplashform>()); }},
    };
}

// The roles a person reaches and must hear a name for; cells and items are named by their
// texts, which may be empty.
bool NeedsName(const AccessibleItem& item) {
    switch (item.role) {
        case QAccessible::Button:
        case QAccessible::ButtonMenu:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::EditableText:
        case QAccessible::Table:
        case QAccessible::Tree:
        case QAccessible::List:
        case QAccessible::PageTab:
            return true;
        default:
            return false;
    }
}

// The shown items of `window`, and of every page of its notebook when it has one.
std::vector<AccessibleItem> EveryPage(QWidget* window) {
    auto* notebook = window->findChild<QTabWidget*>();
    if (notebook == nullptr) {
        return ReadAccessibleTree(window);
    }
    std::vector<AccessibleItem> items;
    for (int page = 0; page < notebook->count(); ++page) {
        notebook->setCurrentIndex(page);
        const std::vector<AccessibleItem> shown = ReadAccessibleTree(window);
        items.insert(items.end(), shown.begin(), shown.end());
    }
    notebook->setCurrentIndex(0);
    return items;
}

const AccessibleItem* Find(const std::vector<AccessibleItem>& items, const char* object) {
    for (const AccessibleItem& item : items) {
        if (item.objectName == QLatin1String(object)) {
            return &item;
        }
    }
    return nullptr;
}

QAccessibleInterface* Interface(QWidget* window, const char* object) {
    auto* widget = window->findChild<QWidget*>(QString::fromLatin1(object));
    return widget != nullptr ? QAccessible::queryAccessibleInterface(widget) : nullptr;
}

// Each window: every item a person reaches has a name, and the ones listed read as given
// ("role name" by object name); `more` checks what the window's reader needs beyond names.
TEST_F(AccessibleWindows, EveryWindowNamesWhatAPersonReachesWithItsRole) {
    const std::map<std::string, std::vector<std::pair<const char*, const char*>>> expected{
        {"main window",
         {{"Editbutton", "push button \"Edit\""},
          {"Newbutton", "push button \"New\""},
          {"CloneButton", "push button \"Clone\""},
          {"DeleteButton", "push button \"Delete\""},
          {"Filterbutton", "push button \"Filter\""},
          {"OrderButton", "menu button \"Sort\""},
          {"DoneToggleButton", "push button \"Done\""},
          {"Printbutton", "push button \"Report\""},
          {"CalendarButton", "push button \"Calendar\""},
          {"FilterClearbutton", "push button \"Clear filter\""},
          {"ShowDone", "push button \"Show DONE\""},
          {"Helpbutton", "push button \"Help\""},
          {"MouseHelpbutton", "push button \"What's this?\""},
          {"ActiveGrid", "table \"Tasks\""},
          {"ActiveNotes", "editable text \"Notes\""},
          {"oxSplit1", "split pane \"\""}}},
        {"task editor",
         {{"Task", "editable text \"Task\""},
          {"KeyWords", "editable text \"Key words\""},
          {"KeyListbutton", "menu button \"Key words\""},
          {"DateEdit", "editable text \"Date (blank for none)\""},
          {"CalendarButton", "push button \"Calendar\""},
          {"QuickDateButton", "menu button \"Quick Date\""},
          {"QuickTimeButton", "push button \"Quick Time\""},
          {"Notes", "editable text \"Notes\""},
          {"OKButton", "push button \"Ok\""},
          {"CancelButton", "push button \"Cancel\""},
          {"MouseHelpButton", "push button \"What's this?\""}}},
        {"date selector",
         {{"Calendar", "table \"Calendar\""},
          {"PrevYear", "push button \"Year-\""},
          {"DoCurrentDate", "push button \"Today\""},
          {"OKButton", "push button \"Ok\""},
          {"CancelButton", "push button \"Cancel\""}}},
        {"time dialog",
         {{"Hour0", "push button \"12 AM\""},
          {"Hour11", "push button \"11 AM\""},
          {"Hour12", "push button \"12 PM\""},
          {"Hour13", "push button \"1 PM\""},
          {"Minute5", "push button \"05\""},
          {"Okbutton", "push button \"Ok\""},
          {"CancelButton", "push button \"Cancel\""}}},
        {"filter",
         {{"KeyListbutton", "menu button \"Key words\""},
          {"OKButton", "push button \"Ok\""},
          {"CancelButton", "push button \"Cancel\""},
          {"ResetButton", "push button \"Reset\""}}},
        {"report",
         {{"ReportTitleField", "editable text \"Report Title\""},
          {"PrintNow", "push button \"Print\""},
          {"ColorPanel", "push button \"Background Color (click to change)\""},
          {"ReturnButton", "push button \"Ok\""},
          {"MouseHelpButton", "push button \"What's this?\""}}},
        {"preview",
         {{"sbFirstPage", "push button \"First page\""},
          {"sbLastPAge", "push button \"Last page\""},
          {"zbZoom100", "push button \"100%\""},
          {"ReturnButton", "push button \"Ok\""}}},
        {"backups",
         {{"BackupList", "tree \"Backups\""},
          {"RestoreButton", "push button \"Restore\""},
          {"CancelButton", "push button \"Cancel\""}}},
        {"about", {{"OKButton", "push button \"OK\""}}},
    };
    main_->findChild<QWidget*>(QStringLiteral("FilterClearbutton"))->setVisible(true);
    for (const WindowCase& c : Windows()) {
        SCOPED_TRACE(c.window);
        WindowPtr window = c.make(*main_);
        if (auto* about = qobject_cast<TSplashform*>(window.get())) {
            about->OKButton()->setVisible(true);  // as the Help menu shows it
        }
        window->show();
        ui::ProcessMessages();
        const std::vector<AccessibleItem> items = EveryPage(window.get());
        for (const AccessibleItem& item : items) {
            if (NeedsName(item)) {
                EXPECT_FALSE(item.name.trimmed().isEmpty())
                    << Describe(item) << " " << item.objectName.toStdString();
            }
        }
        for (const auto& [object, reads] : expected.at(c.window)) {
            const AccessibleItem* item = Find(items, object);
            ASSERT_NE(item, nullptr) << object;
            EXPECT_EQ(Describe(*item), reads) << object;
        }
    }
}

// What the main window's reader hears beyond names: the grid's headings, rows and current
// cell, the bar between grid and notes, and the selected day of the date selector.
TEST_F(AccessibleWindows, TheGridTheSplitterAndTheCalendarReadAsWhatTheyShow) {
    QTableView* grid = main_->ActiveGrid();
    grid->setCurrentIndex(main_->GridModel().index(1, TaskGridModel::kTask));
    QAccessibleTableInterface* table = Interface(main_.get(), "ActiveGrid")->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 2);
    ASSERT_EQ(table->columnCount(), TaskGridModel::kColumnCount);
    for (int column = 0; column < TaskGridModel::kColumnCount; ++column) {
        EXPECT_EQ(table->columnDescription(column), TaskGridModel::Title(column));
    }
    ASSERT_EQ(table->selectedCellCount(), 1);
    EXPECT_EQ(table->selectedCells()[0]->text(QAccessible::Name), QStringLiteral("Pay the rent"));
    EXPECT_EQ(table->cellAt(0, TaskGridModel::kTask)->text(QAccessible::Name),
              QStringLiteral("Call the plumber"));

    QAccessibleInterface* splitter = Interface(main_.get(), "oxSplit1");
    ASSERT_NE(splitter, nullptr);
    QAccessibleInterface* bar = splitter->child(splitter->childCount() - 1);
    EXPECT_EQ(bar->role(), QAccessible::Separator);
    ASSERT_NE(bar->valueInterface(), nullptr);

    auto selector = ui::CreateForm<TDateSelector>();
    rtl::TDateTime date = 0;
    ASSERT_TRUE(rtl::TryEncodeDate(2026, 1, 5, date));
    selector->Calendar()->setCalendarDate(date);
    selector->show();
    QAccessibleInterface* calendar = QAccessible::queryAccessibleInterface(selector->Calendar());
    EXPECT_EQ(calendar->text(QAccessible::Value),
              QString::fromStdString(rtl::FormatDateTime("dddddd", date)));
    ASSERT_NE(calendar->tableInterface(), nullptr);
    ASSERT_EQ(calendar->tableInterface()->selectedCellCount(), 1);
    EXPECT_EQ(calendar->tableInterface()->selectedCells()[0]->text(QAccessible::Name),
              QStringLiteral("5"));
}

// Tab and Shift+Tab alone go round each dialog through its answer buttons.
TEST_F(AccessibleWindows, TabReachesTheAnswerButtonsOfEveryDialog) {
    const std::map<std::string, std::vector<const char*>> answers{
        {"task editor", {"OKButton", "CancelButton", "Helpbutton"}},
        {"date selector", {"Calendar", "OKButton", "CancelButton", "Helpbutton"}},
        {"time dialog", {"Okbutton", "CancelButton", "Helpbutton"}},
        {"filter", {"OKButton", "CancelButton", "ResetButton"}},
        {"report", {"PrintNow", "ReturnButton", "Helpbutton"}},
        {"preview", {"ReturnButton", "sbNextPage"}},
        {"backups", {"RestoreButton", "CancelButton"}},
        {"about", {"OKButton"}},
    };
    for (const WindowCase& c : Windows()) {
        if (answers.count(c.window) == 0) {
            continue;
        }
        SCOPED_TRACE(c.window);
        WindowPtr window = c.make(*main_);
        if (auto* about = qobject_cast<TSplashform*>(window.get())) {
            about->OKButton()->setVisible(true);
        }
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ui::ProcessMessages();
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            std::set<std::string> visited;
            for (int press = 0; press < 40; ++press) {
                QWidget* focus = QApplication::focusWidget();
                ASSERT_NE(focus, nullptr);
                visited.insert(focus->objectName().toStdString());
                QTest::keyClick(focus, key,
                                key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            }
            for (const char* answer : answers.at(c.window)) {
                EXPECT_EQ(visited.count(answer), 1u) << answer << " by key " << key;
            }
        }
        window->hide();
    }
}

// Keys: Ctrl+Tab between the grid and the notes both ways, Tab on from the notes to the first
// button, which Space presses, and the command keys, which press their buttons.
TEST_F(AccessibleWindows, TheKeysReachEveryCommand) {
    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    QTableView* grid = main_->ActiveGrid();
    QPlainTextEdit* notes = main_->ActiveNotes();
    grid->setFocus();
    grid->setCurrentIndex(main_->GridModel().index(0, TaskGridModel::kTask));
    {
        // Back in the grid, a reader hears the cell the person stands on.
        ui::test::AccessibleEventLog log;
        notes->setFocus();
        QTest::keyClick(notes, Qt::Key_Tab, Qt::ControlModifier);
        QCoreApplication::processEvents();
        const ui::test::AccessibleEventLog::Entry* focus = log.Last(QAccessible::Focus);
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus->item.role, QAccessible::Cell);
        EXPECT_EQ(focus->item.name, QStringLiteral("Call the plumber"));
    }
    const auto focused = [] {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName().toStdString() : std::string("(none)");
    };
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* lands;
    } moves[] = {
        {Qt::Key_Tab, Qt::ControlModifier, "ActiveNotes"},
        {Qt::Key_Tab, Qt::ControlModifier, "ActiveGrid"},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "ActiveNotes"},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "ActiveGrid"},
        {Qt::Key_Tab, Qt::ControlModifier, "ActiveNotes"},
        {Qt::Key_Tab, Qt::NoModifier, "Editbutton"},
        {Qt::Key_Tab, Qt::NoModifier, "Newbutton"},
        {Qt::Key_Backtab, Qt::ShiftModifier, "Editbutton"},
    };
    for (const auto& m : moves) {
        QTest::keyClick(QApplication::focusWidget(), m.key, m.modifiers);
        EXPECT_EQ(focused(), m.lands) << "after key " << m.key;
    }
    EXPECT_EQ(notes->toPlainText(), QString()) << "no tab was typed into the notes";

    // Opens the editor, reads its heading, and cancels it.
    QString heading;
    const auto nextEditor = [&heading] {
        heading.clear();
        ui::test::WhenModalShown([&heading](QWidget* window) {
            auto* editor = qobject_cast<TTaskEditor*>(window);
            ASSERT_NE(editor, nullptr);
            heading = editor->findChild<QLabel*>(QStringLiteral("TaskLabel"))->text();
            editor->CancelButtonClick();
        });
    };
    nextEditor();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(heading, QStringLiteral("Editing Task"));

    // A closed dialog gives the activation back by the window manager, which offscreen has
    // none of; the window keys need it.
    const auto activate = [&] {
        main_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
        grid->setFocus();
    };
    activate();
    nextEditor();
    QTest::keyClick(grid, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(heading, QStringLiteral("Adding Task"));
    activate();
    nextEditor();
    QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(heading, QStringLiteral("Editing Task"));

    activate();
    bool reportShown = false;
    ui::test::WhenModalShown([&reportShown](QWidget* window) {
        reportShown = qobject_cast<report::TReportSetup*>(window) != nullptr;
        window->close();
    });
    QTest::keyClick(grid, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(reportShown);
    activate();

    ASSERT_EQ(main_->GridModel().rowCount(), 2);
    QTest::keyClick(grid, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(main_->GridModel().rowCount(), 1) << "the done task is hidden";

    // With no task left the task commands are hidden, and their keys do nothing.
    QTest::keyClick(grid, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(main_->GridModel().rowCount(), 0);
    ASSERT_FALSE(main_->Button("Editbutton")->isVisible());
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);

    QTest::keyClick(grid, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(main_->isVisible());
}

}  // namespace
