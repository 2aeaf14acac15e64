// TFindBox: the find box under the task grid. Typing narrows the grid to the tasks whose
// description, key words or note contain the text; Enter and F3 / Shift+F3 step through them;
// Esc closes it and shows every task again, the one found still current.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class TFindBox;
}
class QLineEdit;
class QScrollArea;
class QTableView;
class TaskGridModel;

// Its label has no underlined letter: each letter of "Find" is one of the window's already, and
// a letter claimed twice reaches neither.
class TFindBox : public QWidget {
    Q_OBJECT

  public:
    // Sits under `grid` in the pane that holds it, hidden until opened. Moving the grid there
    // moves it to the end of the window's focus chain.
    TFindBox(QScrollArea& pane, QTableView& grid, TaskGridModel& model);
    ~TFindBox() override;

    // Opens the box, or takes the keyboard to its text when it is open.
    void Open();
    void Close();
    // Moves to the next found task, or the previous one; past the last comes the first again.
    void FindNext(bool forward);
    QLineEdit* FindText() const;

  Q_SIGNALS:
    // Before the box reads or seeks texts: an edit not yet posted must be, or the box would
    // seek in the task as it was.
    void aboutToFind();
    // What the status bar says while the box is open ("3 of 120 tasks match"); empty once it
    // closes.
    void countChanged(const QString& text);

  public Q_SLOTS:
    void FindTextChange();
    void FindNextClick();
    void HelpClick();

  private:
    // Puts the grid on the table's current task when it is among the rows, else, when asked,
    // on the first row (which the table then follows), keeping the column.
    void ShowCurrent(int column, bool firstWhenNotShown);
    void CountChanged();

    std::unique_ptr<Ui::TFindBox> ui_;
    QTableView& grid_;
    TaskGridModel& model_;
};

// The status bar's words for `found` of `total` tasks.
QString FoundCountText(int found, int total);
