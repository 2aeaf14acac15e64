// The task grid: a table model over the task table that reads only the rows it shows (and,
// while a find is open, the texts of every row once, to narrow them to the tasks found), the
// column layout and Task column sizing, the drawing of the purple and blue cells, and the
// in-place editing of the Task cell.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/display_fields.h"
#include "store/row_order.h"
#include "store/task_find.h"

namespace store {
class TTable;
}
class QTableView;

// The display fields of one row; empty while the task table's Tag is -1.
struct TaskRowTexts {
    std::string ShowPriority;
    std::string ShowDate;
    std::string ShowTime;
    std::string DESCRIPT;
    std::string IsDone;
    std::string ShowKeys;
    store::TaskEntry stored;
};
// TodoTableCalcFields: the display fields of a task, read under `formats` (the internal ones).
TaskRowTexts TodoTableCalcFields(const store::TaskEntry& task, int tableTag,
                                 const rtl::FormatSettings& formats);

class TaskGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { kPriority, kDate, kTime, kTask, kDone, kKeys, kColumnCount };
    // A cell's colour (a store::CellHighlight) once the grid is ready.
    static constexpr int kHighlightRole = Qt::UserRole + 1;

    explicit TaskGridModel(store::TTable& table, QObject* parent = nullptr);

    // The field a column shows ("ShowPriority", ..., "DESCRIPT", "IsDone", "ShowKeys"),
    // its title and its display width in average characters.
    static const char* FieldName(int column);
    static QString Title(int column);
    static int DisplayWidth(int column);

    void SetGridReady(bool ready);
    bool GridReady() const { return gridReady_; }
    // Where the blue cells take today's date from, each time they are drawn (tests fix it).
    using Clock = std::function<rtl::TDateTime()>;
    void SetClock(Clock clock);
    // Redraws the cells when the day has changed since the last look; a timer calls it every
    // minute, so a window left open over midnight moves its blue cells on by itself.
    void CheckDayChange();

    // Walks the table again (order, filter or file changed).
    void Reload();
    // One record changed, was appended or deleted: puts its row where it belongs.
    void RecordChanged(std::int32_t record);
    // The shown texts are read again (an edit in progress, a day change).
    void Refresh();

    // Find as you type. While a find is open the rows are those of the order in force whose
    // task holds the text sought (store::TFoundRows says which, and what becomes of a task
    // changed meanwhile); opening reads every row's texts, closing shows every row again.
    void OpenFind();
    void FindText(std::string_view ansiText);
    void CloseFind();
    bool FindOpen() const { return found_ != nullptr; }
    // The rows the order and filter give, found or not.
    int OrderRowCount() const { return order_.Count(); }
    // The memory an open find holds, in bytes.
    std::size_t FindBytes() const { return found_ ? found_->Bytes() : 0; }

    std::int32_t RecordAt(int row) const {
        return found_ ? found_->RecordAt(row) : order_.RecordAt(row);
    }
    int RowOf(std::int32_t record) const {
        return found_ ? found_->RowOf(record) : order_.RowOf(record);
    }
    // The row of the table's current record; -1 when it has none among the rows.
    int CurrentRow() const;
    TaskRowTexts RowTexts(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The Task cell of the current row only: DESCRIPT of the record in editing.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  Q_SIGNALS:
    // The Task cell's text was not stored: the record could not be put into editing or
    // take the text. `reason` is the engine's words.
    void editRefused(const std::string& reason);
    // The Task cell's text is about to put the record, unchanged until now, into editing.
    void taskTextEditing();
    // RecordChanged was told of `record`.
    void recordChanged(std::int32_t record);

  private:
    // RecordChanged while a find is open; the order's rows are already up to date.
    void FoundRecordChanged(std::int32_t record, int orderRow);

    store::TTable& table_;
    mutable store::TRowOrder order_;
    std::unique_ptr<store::TFoundRows> found_;  // while a find is open
    mutable std::unordered_map<std::int32_t, store::TaskEntry> cache_;
    // The internal formats with the user's names: the grid's texts never follow the notation
    // a dialog puts in force for the whole program while the grid repaints behind it.
    rtl::FormatSettings formats_;
    bool gridReady_ = false;
    Clock clock_;
    int day_ = 0;
    QTimer dayTimer_;
};

// Colours the cells by the model's highlight, all but the cell that has the input focus, and
// edits the Task cell in a line of at most 50 characters that takes only what Windows-1252 can
// hold; Enter in that line ends the edit and nothing more.
class TaskGridDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    explicit TaskGridDelegate(QTableView* view);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // Hands an open editor's text to the model and closes the editor.
    void FinishEdit();
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    // The current cell while the grid has the input focus: the one cell drawn the default way.
    bool HasInputFocus(const QModelIndex& index) const;

    QTableView* view_;
    mutable QPointer<QWidget> editor_;
};

// Starting column widths in pixels for a font's average character width.
int ColumnWidthFor(int column, int averageCharWidth, int titleWidth);

// FitGrid: the Task column's new width, given the splitter's client width, the widths of all
// columns and the Task column's own.
int FittedTaskWidth(int splitterClientWidth, int sumOfWidths, int taskWidth);
