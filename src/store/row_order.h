// The rows a task grid shows: the record numbers of the visible records of a record set, in
// the order in force and under its filter and deleted setting. Records themselves are read
// only when a row is shown.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <string>
#include <vector>

#include "store/record_set.h"
#include "store/task_record.h"

namespace store {

class TRowOrder {
  public:
    explicit TRowOrder(TTable& table) : table_(table) {}

    // Walks the set's work area from the top in the order in force. The engine's position
    // and the current work area are given back afterwards; a closed set has no rows.
    void Reload();
    int Count() const { return static_cast<int>(records_.size()); }
    // 0 outside the rows.
    std::int32_t RecordAt(int row) const;
    // -1 when the record is not one of the rows.
    int RowOf(std::int32_t record) const;
    // Every row's record, in row order.
    const std::vector<std::int32_t>& Records() const { return records_; }

    // Where a record stands before and after Refresh; -1 when it is not among the rows.
    struct Change {
        int from = -1;
        int to = -1;
    };
    // Puts one record where it belongs now that it was changed, appended or deleted: out of
    // the rows when it is hidden (deleted, filtered out), else after the visible record that
    // precedes it in the order.
    Change Refresh(std::int32_t record);

    // Refresh in steps, for views that announce a removal before an insertion: the row the
    // record belongs at once it is taken out of the rows (kHidden when it does not show,
    // kLost when the rows no longer match the table), then Erase and Insert.
    static constexpr int kHidden = -1;
    static constexpr int kLost = -2;
    int Place(std::int32_t record);
    void Erase(int row);
    void Insert(int row, std::int32_t record);

    // A task record without its note, read straight from the engine without moving the set
    // (whose current record, edit included, ReadTaskEntry gives). False when the record does
    // not exist.
    bool ReadTask(std::int32_t record, TaskEntry& task);

  private:
    TTable& table_;
    std::vector<std::int32_t> records_;
};

// Hands the text of one field of every visible record, in the order in force, to `take`,
// reading ahead; the engine's position and the current work area are given back afterwards.
void ForEachVisible(TTable& table, std::string_view field,
                    const std::function<void(std::string_view)>& take);

}  // namespace store
