// The visible records of a record set in its order, walked on the engine's work area.
#include "store/row_order.h"

#include <algorithm>
#include <string>

#include "platform/xbase/sx.h"

namespace store {

namespace {

// Selects the set's work area for the life of the scope, and on leaving puts the engine back
// on the record it stood on and selects the area that was current before.
class AreaWalk {
  public:
    explicit AreaWalk(int area) : area_(area) {
        previous_ = sx_Select(area_);
        record_ = sx_RecNo();
        eof_ = sx_Eof();
    }
    ~AreaWalk() {
        sx_Go(eof_ ? 0 : record_);
        if (previous_ != 0 && previous_ != area_) {
            sx_Select(previous_);
        }
    }
    AreaWalk(const AreaWalk&) = delete;
    AreaWalk& operator=(const AreaWalk&) = delete;

  private:
    int area_;
    int previous_ = 0;
    int record_ = 0;
    bool eof_ = true;
};

// Whether the engine's current record shows under the deleted setting and the filter.
bool CurrentShows() {
    if (sx_Eof()) {
        return false;
    }
    if (sx_SysProp(1006) != 0 && sx_Deleted()) {
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
    if (change.from >= 0) {
        records_.erase(records_.begin() + change.from);
    }
    if (!table_.Active() || record <= 0) {
        return change;
    }
    AreaWalk walk(table_.Handle());
    if (!sx_Go(record) || !CurrentShows()) {
        return change;
    }
    // The visible record before it in the order; none at the top.
    int before = 0;
    if (sx_Skip(-1) && !sx_Bof()) {
        before = sx_RecNo();
    }
    int row = 0;
    if (before != 0) {
        row = RowOf(before);
        if (row < 0) {
            // The rows no longer match the table (another change went unannounced).
            records_.clear();
            return change;
        }
        ++row;
    }
    records_.insert(records_.begin() + row, record);
    change.to = row;
    return change;
}

bool TRowOrder::ReadTask(std::int32_t record, StoredTask& task) {
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
    task.date = text("DATE");
    task.time = text("TIME");
    task.descript = text("DESCRIPT");
    task.keys = text("KEYS");
    task.priority = text("PRIORITY");
    task.done = sx_GetLogical("DONE");
    return true;
}

}  // namespace store
