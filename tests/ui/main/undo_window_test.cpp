// Undo and redo from the main window: the Edit menu names the change, its keys act on the
// task list but leave a text being typed to that text, the grid shows the task put back, and
// a rebuild's question warns that the history goes with it.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "store/task_file.h"
#include "store_test_support.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

namespace {

// Longer than a string holds inside itself, so that a step read after its text was freed
// shows.
constexpr char kKeptNote[] = "a note kept long enough to live on the heap";

class UndoWindow : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter([this](const ui::MessageBoxRequest& request) {
            boxes_.push_back(request.text.toStdString());
            return ui::kIdYes;
        });
        MakeTaskFile("QUILX.DBF",
                     {{"20260110", "", "Alpha", "", false, "home", "B"},
                      {"20260120", "", "Bravo", kKeptNote, false, "work", "C"}},
                     true);
        form_ = ui::CreateForm<TMainScreen>(Dir());
        ui::SetMainForm(form_.get());
        form_->show();
        form_->FormActivate();
        ui::ProcessMessages();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }
    void TearDown() override {
        form_->close();
        ui::SetMainForm(nullptr);
        form_.reset();
        ui::SetMessageBoxPresenter(previous_);
        StoreTest::TearDown();
    }

    QAction* Item(const char* name) {
        return form_->findChild<QAction*>(QString::fromLatin1(name));
    }
    // The Edit menu's items as a person reads them, a disabled one in brackets.
    std::vector<std::string> EditMenu() {
        std::vector<std::string> items;
        for (QAction* item : {Item("Undo1"), Item("Redo1")}) {
            const std::string text = item->text().toStdString();
            items.push_back(item->isEnabled() ? text : "(" + text + ")");
        }
        return items;
    }
    TaskGridModel& Model() { return form_->GridModel(); }
    QString Cell(int row, int column) { return Model().index(row, column).data().toString(); }
    std::string CurrentTask() {
        return form_->Store().TodoTable.FieldByName("DESCRIPT")->AsString();
    }
    void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        widget->setFocus();
        QTest::keyClick(widget, key, modifiers);
        ui::ProcessMessages();
    }

    ui::FormPtr<TMainScreen> form_;
    ui::MessageBoxPresenter previous_;
    std::vector<std::string> boxes_;
};

TEST_F(UndoWindow, TheEditMenuSitsBetweenFileAndHelpAndStartsEmpty) {
    QStringList titles;
    for (QAction* menu : form_->menuBar()->actions()) {
        titles << menu->text();
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("&File"), QStringLiteral("Ed&it"),
                                   QStringLiteral("&Help")}));
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"(&Undo)", "(&Redo)"}));
}

TEST_F(UndoWindow, TheKeysUndoAndRedoTasksButLeaveATextBeingTypedToIt) {
    QTableView* grid = form_->ActiveGrid();
    QPlainTextEdit* notes = form_->ActiveNotes();
    grid->setCurrentIndex(Model().index(0, TaskGridModel::kTask));
    form_->DeleteButtonClick();
    ASSERT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"&Undo Delete", "(&Redo)"}));

    Key(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Model().rowCount(), 2);
    EXPECT_EQ(CurrentTask(), "Alpha");
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"(&Undo)", "&Redo Delete"}));

    // In the notes pane the redo keys are the pane's own: the task stays.
    Key(notes, Qt::Key_Y, Qt::ControlModifier);
    Key(notes, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Model().rowCount(), 2);
    Key(grid, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(CurrentTask(), "Bravo");

    // A note typed in the pane is one step, undone once the pane is left; its undo key
    // undoes typing while the pane has the keyboard.
    QTest::keyClicks(notes, QStringLiteral(" and more"));
    Key(notes, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Model().rowCount(), 1);
    QTest::keyClicks(notes, QStringLiteral("!"));
    grid->setFocus();
    ui::ProcessMessages();
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"&Undo Note", "(&Redo)"}));
    const std::string typed = form_->Store().TodoTable.FieldByName("NOTE")->AsString();
    EXPECT_NE(typed, kKeptNote);
    Key(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), kKeptNote);
    EXPECT_EQ(notes->toPlainText(), QString::fromLatin1(kKeptNote));
    Key(grid, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), typed);

    // The Task cell typed in place and ended with Enter is undone by the next Ctrl+Z.
    const QModelIndex task = Model().index(0, TaskGridModel::kTask);
    grid->setCurrentIndex(task);
    grid->edit(task);
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Renamed"));
    QTest::keyClick(line, Qt::Key_Return);
    ui::ProcessMessages();
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Renamed"));
    Key(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Bravo"));
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"&Undo Note", "&Redo Task Text"}));
    EXPECT_TRUE(boxes_.size() == 1);  // the delete's question only
}

TEST_F(UndoWindow, AColumnMenuChangeIsUndoneAndARebuildClearsTheHistoryAfterSayingSo) {
    form_->ActiveGrid()->setCurrentIndex(Model().index(1, TaskGridModel::kPriority));
    ui::test::WhenPopupShown(
        [](QMenu* menu) { ui::test::Choose(menu, QStringLiteral("High Priority")); });
    form_->ActiveGridDblClick();
    EXPECT_EQ(Cell(1, TaskGridModel::kPriority), QStringLiteral("High"));
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"&Undo Priority", "(&Redo)"}));
    form_->Undo1Click();
    EXPECT_EQ(Cell(1, TaskGridModel::kPriority), QStringLiteral("Low"));

    boxes_.clear();
    form_->RebuildIndexes1Click();
    EXPECT_EQ(boxes_, (std::vector<std::string>{
                          "Rebuild Index Files?\nThe changes made so far can no longer be undone.",
                          "Done!"}));
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"(&Undo)", "(&Redo)"}));
    boxes_.clear();
    form_->RebuildIndexes1Click();
    EXPECT_EQ(boxes_, (std::vector<std::string>{"Rebuild Index Files?", "Done!"}));
}

TEST_F(UndoWindow, TextTypedIsTheFirstChangeUndoneWhoeverPostedIt) {
    QTableView* grid = form_->ActiveGrid();
    const QModelIndex task = Model().index(0, TaskGridModel::kTask);
    grid->setCurrentIndex(task);
    grid->edit(task);
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Typed"));
    QTest::keyClick(line, Qt::Key_Return);
    ui::ProcessMessages();
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"&Undo Task Text", "(&Redo)"}));
    Key(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Cell(0, TaskGridModel::kTask), QStringLiteral("Alpha"));

    // A note typed and then posted by a new filter, not by a command of the window.
    grid->setCurrentIndex(Model().index(0, TaskGridModel::kTask));
    QPlainTextEdit* notes = form_->ActiveNotes();
    notes->setFocus();
    QTest::keyClicks(notes, QStringLiteral("new note"));
    form_->ShowDoneClick();
    ASSERT_EQ(form_->Store().TodoTable.State(), store::TDataSetState::dsBrowse);
    // Typing on is a step of its own, the first one kept as it was posted.
    QTest::keyClicks(notes, QStringLiteral("!"));
    form_->ActiveGrid()->setFocus();
    ui::ProcessMessages();
    form_->Undo1Click();
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), "new note");
    form_->Undo1Click();
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), "");
    EXPECT_EQ(EditMenu(), (std::vector<std::string>{"(&Undo)", "&Redo Note"}));
    form_->Redo1Click();
    form_->Redo1Click();
    EXPECT_EQ(form_->Store().TodoTable.FieldByName("NOTE")->AsString(), "new note!");
}

}  // namespace
