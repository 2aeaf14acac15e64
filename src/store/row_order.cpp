// The visible records of a record set in its order, walked on the engine's work area.
#include "store/row_order.h"

#include <algorithm>
#include <string>

#include "platform/xbase/sx.h"
#include "store/area_walk.h"

namespace store {

namespace {

// Whether the engine's current record shows under the deleted setting and the filter.
bool CurrentShows() {
    if (sx_Eof()) {
        return false;
    }
    if (sx_SysProp(SxProp::kDeletedHidden) != 0 && sx_Deleted()) {
        return false;
    }
    const std::string filter = sx_DBFilter();
    return filter.empty() || sx_EvalLogical(filter);
}

}  // namespace

void TRowOrder::Reload() {
    records_.clear();
    if (!table_.Active()) {
        return;
    }
    AreaWalk walk(table_.Handle());
    // Reading ahead makes the walk a few large reads instead of one per record; the setting
    // is the engine's, so it is put back as it was.
    const bool turbo = sx_SetTurboRead(true);
    records_.reserve(static_cast<std::size_t>(sx_RecCount()));
    for (bool more = sx_GoTop() && !sx_Eof(); more; more = sx_Skip(1) && !sx_Eof()) {
        records_.push_back(sx_RecNo());
    }
    sx_SetTurboRead(turbo);
}

std::int32_t TRowOrder::RecordAt(int row) const {
    return row >= 0 && row < Count() ? records_[static_cast<std::size_t>(row)] : 0;
}

int TRowOrder::RowOf(std::int32_t record) const {
    auto at = std::find(records_.begin(), records_.end(), record);
    return at == records_.end() ? -1 : static_cast<int>(at - records_.begin());
}

TRowOrder::Change TRowOrder::Refresh(std::int32_t record) {
    Change change;
    change.from = RowOf(record);
    const int to = Place(record);
    if (change.from >= 0) {
        Erase(change.from);
    }
    if (to == kLost) {
        records_.clear();
    } else if (to >= 0) {
        Insert(to, record);
        change.to = to;
    }
    return change;
}

int TRowOrder::Place(std::int32_t record) {
    if (!table_.Active() || record <= 0) {
        return kHidden;
    }
    AreaWalk walk(table_.Handle());
    if (!sx_Go(record) || !CurrentShows()) {
        return kHidden;
    }
    // After the visible record before it in the order; at the top when there is none.
    if (!sx_Skip(-1) || sx_Bof()) {
        return 0;
    }
    const int before = RowOf(sx_RecNo());
    if (before < 0) {
        return kLost;
    }
    const int from = RowOf(record);
    return (from >= 0 && before > from ? before - 1 : before) + 1;
}

void TRowOrder::Erase(int row) {
    if (row >= 0 && row < Count()) {
        records_.erase(records_.begin() + row);
    }
}

void TRowOrder::Insert(int row, std::int32_t record) {
    if (row >= 0 && row <= Count()) {
        records_.insert(records_.begin() + row, record);
    }
}

bool TRowOrder::ReadTask(std::int32_t record, TaskEntry& task) {
    if (!table_.Active() || record <= 0) {
        return false;
    }
    AreaWalk walk(table_.Handle());
    if (!sx_Go(record) || sx_Eof()) {
        return false;
    }
    auto text = [](const char* field) {
        std::string value = sx_GetString(field);
        value.erase(value.find_last_not_of(' ') + 1);
        return value;
    };
    task.date = text(task_field::kDate);
    task.time = text(task_field::kTime);
    task.descript = text(task_field::kDescript);
    task.keys = text(task_field::kKeys);
    task.priority = text(task_field::kPriority);
    task.done = sx_GetLogical(task_field::kDone);
    return true;
}

void ForEachVisible(TTable& table, std::string_view field,
                    const std::function<void(std::string_view)>& take) {
    if (!table.Active()) {
        return;
    }
    AreaWalk walk(table.Handle());
    const std::string name(field);
    const bool turbo = sx_SetTurboRead(true);
    for (bool more = sx_GoTop() && !sx_Eof(); more; more = sx_Skip(1) && !sx_Eof()) {
        take(sx_GetString(name));
    }
    sx_SetTurboRead(turbo);
}

}  // namespace store
