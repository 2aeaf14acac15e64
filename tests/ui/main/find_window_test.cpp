// Find as you type in the main window: Ctrl+F opens the box under the grid, typing narrows the
// list to the tasks found (under the filter in force) and the status bar counts them, Enter
// and F3 / Shift+F3 step through them and wrap, changes while the box is open keep the list
// consistent, and Esc shows every task again with the one found still current.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/explorer_button.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/main/find_box.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

namespace {

class FindWindow : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter(
            [](const ui::MessageBoxRequest&) { return ui::kIdYes; });
        // Windows-1252: E9 é, C9 É, EB ë. Dates give the order; done tasks start hidden.
        MakeTaskFile("QUILX.DBF",
                     {{"20260101", "", "Buy milk", "", false, "shop"},
                      {"20260102", "", "Call Zo\xEB", "about the caf\xE9", false, "phone"},
                      {"20260103", "", "Write report", "for the board", false, "work"},
                      {"20260104", "", "Pay rent", "", true, "home"},
                      {"20260105", "", "Milk the cow", "", false, "farm"},
                      {"20260106", "", "Plan trip", "", false, "Home"}},
                     true);
        form_ = ui::CreateForm<TMainScreen>(Dir());
        ui::SetMainForm(form_.get());
        form_->show();
        form_->FormActivate();
        ui::ProcessMessages();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        box_ = form_->findChild<TFindBox*>();
        ASSERT_NE(box_, nullptr);
    }
    void TearDown() override {
        form_->close();
        ui::SetMainForm(nullptr);
        form_.reset();
        ui::SetMessageBoxPresenter(previous_);
        StoreTest::TearDown();
    }

    TaskGridModel& Model() { return form_->GridModel(); }
    QTableView* Grid() { return form_->ActiveGrid(); }
    // The Task column of every row, as the grid shows it.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int row = 0; row < Model().rowCount(); ++row) {
            rows.push_back(ui::ToAnsi(Model().index(row, TaskGridModel::kTask).data().toString()));
        }
        return rows;
    }
    std::string CurrentTask() {
        return form_->Store().TodoTable.FieldByName("DESCRIPT")->AsString();
    }
    // The task the grid shows as current; empty when it shows none.
    std::string GridTask() {
        const QModelIndex current = Grid()->currentIndex();
        return current.isValid()
                   ? ui::ToAnsi(
                         Model().index(current.row(), TaskGridModel::kTask).data().toString())
                   : std::string();
    }
    std::string Status() { return form_->MessageLine()->text().toStdString(); }
    void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget, key, modifiers);
        ui::ProcessMessages();
    }
    void Type(const QString& text) {
        QTest::keyClicks(box_->FindText(), text);
        ui::ProcessMessages();
    }

    ui::FormPtr<TMainScreen> form_;
    TFindBox* box_ = nullptr;
    ui::MessageBoxPresenter previous_;
    ui::test::ConnectionGuard guard_;
};

using Tasks = std::vector<std::string>;

TEST_F(FindWindow, TypingNarrowsTheListAndTheKeysStepThroughItAndWrap) {
    const Tasks all{"Buy milk", "Call Zo\xEB", "Write report", "Milk the cow", "Plan trip"};
    ASSERT_EQ(Rows(), all);
    // The box's pane does not take the keyboard from the grid when the window opens.
    EXPECT_EQ(form_->focusWidget(), Grid());
    Grid()->setFocus();
    Grid()->setCurrentIndex(Model().index(2, TaskGridModel::kTask));
    ASSERT_EQ(CurrentTask(), "Write report");

    Key(Grid(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(box_->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box_->FindText());
    EXPECT_EQ(Rows(), all);  // the empty text shows all
    EXPECT_EQ(Status(), "5 of 5 tasks match");

    // The current task is not found: the first task found becomes current.
    Type(QStringLiteral("MiLk"));
    EXPECT_EQ(Rows(), (Tasks{"Buy milk", "Milk the cow"}));
    EXPECT_EQ(CurrentTask(), "Buy milk");
    EXPECT_EQ(GridTask(), "Buy milk");
    EXPECT_EQ(Status(), "2 of 5 tasks match");

    // Wherever the keyboard is, F3 and Shift+F3 step and wrap; Enter in the box steps on.
    struct Step {
        QWidget* where;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* current;
    };
    const Step steps[] = {
        {box_->FindText(), Qt::Key_F3, Qt::NoModifier, "Milk the cow"},
        {box_->FindText(), Qt::Key_F3, Qt::NoModifier, "Buy milk"},
        {Grid(), Qt::Key_F3, Qt::ShiftModifier, "Milk the cow"},
        {Grid(), Qt::Key_F3, Qt::ShiftModifier, "Buy milk"},
        {box_->FindText(), Qt::Key_Return, Qt::NoModifier, "Milk the cow"},
    };
    for (const Step& step : steps) {
        step.where->setFocus();
        Key(step.where, step.key, step.modifiers);
        EXPECT_EQ(CurrentTask(), step.current) << QTest::toString(step.key);
        EXPECT_EQ(GridTask(), step.current);
    }

    // Each field, letter case and accents as the engine folds them, under the filter.
    struct Sought {
        QString text;
        Tasks found;
    };
    const Sought sought[] = {
        {QStringLiteral("BOARD"), {"Write report"}},                  // the note
        {QStringLiteral("home"), {"Plan trip"}},                      // key words; one is done
        {QStringLiteral("CAF\u00C9"), {"Call Zo\xEB"}},               // the note's café
        {QStringLiteral("zo\u00CB"), {"Call Zo\xEB"}},                // the description
        {QStringLiteral("cafe"), {}},
    };
    for (const Sought& s : sought) {
        box_->FindText()->setText(s.text);
        ui::ProcessMessages();
        EXPECT_EQ(Rows(), s.found) << s.text.toStdString();
    }
    EXPECT_EQ(Status(), "0 of 5 tasks match");
    // With no task shown, the buttons that act on one go, and no note shows to type into.
    EXPECT_FALSE(form_->Button("DeleteButton")->isVisible());
    EXPECT_TRUE(form_->ActiveNotes()->isReadOnly());
    EXPECT_EQ(form_->ActiveNotes()->toPlainText(), QString());
    // Showing done tasks widens the list the find narrows.
    box_->FindText()->setText(QStringLiteral("home"));
    form_->ShowDoneClick();
    EXPECT_EQ(Rows(), (Tasks{"Pay rent", "Plan trip"}));
    EXPECT_EQ(Status(), "2 of 6 tasks match");
    EXPECT_TRUE(form_->Button("DeleteButton")->isVisible());
    EXPECT_FALSE(form_->ActiveNotes()->isReadOnly());
    form_->ShowDoneClick();
    EXPECT_EQ(Rows(), (Tasks{"Plan trip"}));
}

TEST_F(FindWindow, ChangesWhileOpenKeepTheListAndEscShowsAllWithTheSameTaskCurrent) {
    Key(Grid(), Qt::Key_F, Qt::ControlModifier);
    Type(QStringLiteral("milk"));
    ASSERT_EQ(Rows(), (Tasks{"Buy milk", "Milk the cow"}));

    // Renamed in place so that it no longer holds the text: it stays until the next keystroke.
    const QModelIndex first = Model().index(0, TaskGridModel::kTask);
    Grid()->setCurrentIndex(first);
    Grid()->edit(first);
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Buy bread"));
    Key(line, Qt::Key_Return);
    Key(Grid(), Qt::Key_F3);
    EXPECT_EQ(Rows(), (Tasks{"Buy bread", "Milk the cow"}));
    EXPECT_EQ(CurrentTask(), "Milk the cow");
    // Reading the list again (here for another filter; also when the task file grew) keeps it.
    form_->ShowDoneClick();
    form_->ShowDoneClick();
    EXPECT_EQ(Rows(), (Tasks{"Buy bread", "Milk the cow"}));
    box_->FindText()->setFocus();
    Key(box_->FindText(), Qt::Key_Backspace);
    EXPECT_EQ(Rows(), (Tasks{"Milk the cow"}));
    EXPECT_EQ(Status(), "1 of 5 tasks matches");

    // Deleted, it leaves; undone, it comes back, current; an added task shows.
    form_->DeleteButtonClick();
    EXPECT_EQ(Rows(), Tasks{});
    EXPECT_EQ(Status(), "0 of 4 tasks match");
    form_->Undo1Click();
    EXPECT_EQ(Rows(), (Tasks{"Milk the cow"}));
    EXPECT_EQ(GridTask(), "Milk the cow");
    EXPECT_EQ(Status(), "1 of 5 tasks matches");

    // Esc: every task again, the one found current, and the count gone from the status bar.
    Key(box_->FindText(), Qt::Key_Escape);
    EXPECT_FALSE(box_->isVisible());
    EXPECT_EQ(Rows(), (Tasks{"Buy bread", "Call Zo\xEB", "Write report", "Milk the cow",
                             "Plan trip"}));
    EXPECT_EQ(CurrentTask(), "Milk the cow");
    EXPECT_EQ(GridTask(), "Milk the cow");
    EXPECT_EQ(QApplication::focusWidget(), Grid());
    EXPECT_EQ(Status(), "");
    // Opened again, the box starts from the empty text.
    Key(Grid(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(box_->FindText()->text(), QString());
    EXPECT_EQ(Model().rowCount(), 5);
}

}  // namespace

QUILLET_UI_TEST_MAIN()
