// The task grid's model and cell drawing.
#include "ui/main/task_grid.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTableView>

#include <cmath>

#include "platform/ui/ansi_input.h"
#include "rtl/ansi.h"
#include "store/record_set.h"
#include "store/task_record.h"

namespace {

struct ColumnDef {
    const char* field;
    const char* title;
    int displayWidth;
};
namespace field = store::task_field;
constexpr ColumnDef kColumns[] = {
    {field::kShowPriority, "Priority", 9}, {field::kShowDate, "Date", 11},
    {field::kShowTime, "Time", 9},         {field::kDescript, "Task", 70},
    {field::kIsDone, "Done?", 5},          {field::kShowKeys, "Key Words", 15},
};

}  // namespace

TaskRowTexts TodoTableCalcFields(const store::TaskEntry& task, int tableTag,
                                 const rtl::FormatSettings& formats) {
    TaskRowTexts row;
    row.stored = task;
    row.DESCRIPT = task.descript;
    if (tableTag == -1) {
        return row;
    }
    row.ShowDate = store::ShowDate(task.date, formats);
    row.IsDone = store::IsDone(task.done);
    row.ShowTime = store::ShowTime(task.time, formats);
    row.ShowKeys = store::ShowKeys(task.keys);
    row.ShowPriority = store::ShowPriority(task.priority);
    return row;
}

TaskGridModel::TaskGridModel(store::TTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), order_(table), formats_(rtl::InternalFormats()) {
    SetClock(rtl::Today);
    dayTimer_.setInterval(60 * 1000);
    connect(&dayTimer_, &QTimer::timeout, this, &TaskGridModel::CheckDayChange);
    dayTimer_.start();
}

const char* TaskGridModel::FieldName(int column) {
    return column >= 0 && column < kColumnCount ? kColumns[column].field : "";
}

QString TaskGridModel::Title(int column) {
    return column >= 0 && column < kColumnCount ? QString::fromLatin1(kColumns[column].title)
                                                : QString();
}

int TaskGridModel::DisplayWidth(int column) {
    return column >= 0 && column < kColumnCount ? kColumns[column].displayWidth : 0;
}

void TaskGridModel::SetGridReady(bool ready) {
    gridReady_ = ready;
    Refresh();
}

void TaskGridModel::SetClock(Clock clock) {
    clock_ = std::move(clock);
    day_ = static_cast<int>(std::floor(clock_()));
}

void TaskGridModel::CheckDayChange() {
    const int day = static_cast<int>(std::floor(clock_()));
    if (day != day_) {
        day_ = day;
        Refresh();
    }
}

void TaskGridModel::Reload() {
    beginResetModel();
    cache_.clear();
    order_.Reload();
    if (found_) {
        // The rows may be others now (a filter, another program's tasks): their texts are
        // read afresh, and a task changed since the last text still shows.
        const std::string text = found_->Text();
        const std::vector<std::int32_t> changed = found_->Changed();
        found_ = std::make_unique<store::TFoundRows>(table_, order_.Records());
        found_->Find(text, order_.Records());
        found_->KeepShowing(changed, order_.Records());
    }
    endResetModel();
}

void TaskGridModel::OpenFind() {
    if (found_) {
        return;
    }
    beginResetModel();
    found_ = std::make_unique<store::TFoundRows>(table_, order_.Records());
    endResetModel();
}

void TaskGridModel::FindText(std::string_view ansiText) {
    if (!found_) {
        return;
    }
    beginResetModel();
    found_->Find(ansiText, order_.Records());
    endResetModel();
}

void TaskGridModel::CloseFind() {
    if (!found_) {
        return;
    }
    beginResetModel();
    found_.reset();
    endResetModel();
}

void TaskGridModel::RecordChanged(std::int32_t record) {
    Q_EMIT recordChanged(record);
    cache_.erase(record);
    const int from = order_.RowOf(record);
    const int to = order_.Place(record);
    if (to == store::TRowOrder::kLost) {
        Reload();
        return;
    }
    if (found_) {
        if (from >= 0) {
            order_.Erase(from);
        }
        if (to >= 0) {
            order_.Insert(to, record);
        }
        FoundRecordChanged(record, to);
        return;
    }
    if (from >= 0 && from == to) {
        Q_EMIT dataChanged(index(from, 0), index(from, kColumnCount - 1));
        return;
    }
    if (from >= 0) {
        beginRemoveRows({}, from, from);
        order_.Erase(from);
        endRemoveRows();
    }
    if (to >= 0) {
        beginInsertRows({}, to, to);
        order_.Insert(to, record);
        endInsertRows();
    }
}

void TaskGridModel::FoundRecordChanged(std::int32_t record, int orderRow) {
    const int from = found_->RowOf(record);
    const int to = found_->Place(record, order_.Records(), orderRow);
    if (from >= 0 && from == to) {
        Q_EMIT dataChanged(index(from, 0), index(from, kColumnCount - 1));
        return;
    }
    if (from >= 0) {
        beginRemoveRows({}, from, from);
        found_->Erase(from);
        endRemoveRows();
    }
    if (to >= 0) {
        beginInsertRows({}, to, to);
        found_->Insert(to, record);
        endInsertRows();
    }
}

void TaskGridModel::Refresh() {
    cache_.clear();
    if (rowCount() > 0) {
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
}

int TaskGridModel::CurrentRow() const {
    std::optional<std::int32_t> bookmark = table_.GetBookmark();
    return bookmark ? RowOf(*bookmark) : -1;
}

TaskRowTexts TaskGridModel::RowTexts(int row) const {
    const std::int32_t record = RecordAt(row);
    store::TaskEntry task;
    std::optional<std::int32_t> bookmark = table_.GetBookmark();
    if (bookmark && *bookmark == record) {
        task = store::ReadTaskEntry(table_, store::NoteRead::kSkip);
    } else if (auto cached = cache_.find(record); cached != cache_.end()) {
        task = cached->second;
    } else {
        if (cache_.size() > 512) {
            cache_.clear();
        }
        order_.ReadTask(record, task);
        cache_.emplace(record, task);
    }
    return TodoTableCalcFields(task, table_.Tag, formats_);
}

int TaskGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (found_ ? found_->Count() : order_.Count());
}

int TaskGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TaskGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != kHighlightRole) {
        return {};
    }
    const TaskRowTexts row = RowTexts(index.row());
    if (role == kHighlightRole) {
        if (!gridReady_) {
            return static_cast<int>(store::CellHighlight::kNone);
        }
        return static_cast<int>(
            store::HighlightOf(FieldName(index.column()), row.stored, clock_()));
    }
    switch (index.column()) {
        case kPriority:
            return ui::FromAnsi(row.ShowPriority);
        case kDate:
            return ui::FromAnsi(row.ShowDate);
        case kTime:
            return ui::FromAnsi(row.ShowTime);
        case kTask:
            return ui::FromAnsi(row.DESCRIPT);
        case kDone:
            return ui::FromAnsi(row.IsDone);
        case kKeys:
            return ui::FromAnsi(row.ShowKeys);
        default:
            return {};
    }
}

QVariant TaskGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return Title(section);
    }
    return {};
}

Qt::ItemFlags TaskGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kTask) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool TaskGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kTask || role != Qt::EditRole) {
        return false;
    }
    std::optional<std::int32_t> bookmark = table_.GetBookmark();
    if (!bookmark || *bookmark != RecordAt(index.row())) {
        return false;
    }
    const std::string text = rtl::Utf8ToAnsi(value.toString().toStdString());
    if (text == store::ReadTaskEntry(table_, store::NoteRead::kSkip).descript) {
        return false;
    }
    store::TField* descript = table_.FieldByName(field::kDescript);
    if (table_.State() == store::TDataSetState::dsBrowse) {
        Q_EMIT taskTextEditing();
    }
    if (descript == nullptr || table_.Edit() != store::dbi::kOk ||
        !descript->SetAsString(text.substr(0, store::kDescriptWidth))) {
        Q_EMIT editRefused(table_.LastErrorText());
        return false;
    }
    Q_EMIT dataChanged(index, index);
    return true;
}

TaskGridDelegate::TaskGridDelegate(QTableView* view) : QStyledItemDelegate(view), view_(view) {}

QWidget* TaskGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setMaxLength(store::kDescriptWidth);
        ui::RefuseNonAnsiInput(line);
    }
    editor_ = editor;
    return editor;
}

void TaskGridDelegate::FinishEdit() {
    if (QWidget* editor = editor_.data(); editor != nullptr && editor->isVisible()) {
        Q_EMIT commitData(editor);
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    editor_.clear();
}

bool TaskGridDelegate::eventFilter(QObject* object, QEvent* event) {
    // Enter ends the edit here and now. Left to the line, the key would go on to the grid,
    // where Enter opens the task editor, and the edit would be handed over once more after the
    // editor had gone.
    if (event->type() == QEvent::KeyPress && object == editor_.data()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            auto* editor = static_cast<QWidget*>(object);
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

bool TaskGridDelegate::HasInputFocus(const QModelIndex& index) const {
    return index == view_->currentIndex() && view_->hasFocus();
}

void TaskGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (index != view_->currentIndex() || HasInputFocus(index)) {
        return;
    }
    const auto highlight =
        static_cast<store::CellHighlight>(index.data(TaskGridModel::kHighlightRole).toInt());
    if (highlight == store::CellHighlight::kNone) {
        return;
    }
    // A coloured current cell shows no selection, so a frame in the selection colour says
    // where the current cell is.
    painter->save();
    painter->setPen(QPen(option.palette.color(QPalette::Highlight), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void TaskGridDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // Only the cell that has the input focus keeps the grid's own colours.
    if (HasInputFocus(index)) {
        return;
    }
    const auto highlight =
        static_cast<store::CellHighlight>(index.data(TaskGridModel::kHighlightRole).toInt());
    QColor background;
    if (highlight == store::CellHighlight::kHighPriority) {
        background = QColor(128, 0, 128);
    } else if (highlight == store::CellHighlight::kDueToday) {
        background = QColor(0, 0, 255);
    } else {
        return;
    }
    option->backgroundBrush = background;
    option->state &= ~QStyle::State_Selected;
    option->palette.setColor(QPalette::Text, Qt::white);
    option->palette.setColor(QPalette::HighlightedText, Qt::white);
}

int ColumnWidthFor(int column, int averageCharWidth, int titleWidth) {
    // The view keeps a few pixels of margin on each side of a cell's text.
    constexpr int kCellMargins = 8;
    const int width = TaskGridModel::DisplayWidth(column) * averageCharWidth + kCellMargins;
    return std::max(width, titleWidth + kCellMargins);
}

int FittedTaskWidth(int splitterClientWidth, int sumOfWidths, int taskWidth) {
    return splitterClientWidth + taskWidth - sumOfWidths - 30;
}
