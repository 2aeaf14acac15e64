// Find as you type: folding and holding the tasks' texts, and narrowing the grid's rows.
#include "store/task_find.h"

#include <algorithm>
#include <array>
#include <unordered_set>

#include "platform/xbase/sx.h"
#include "rtl/ansi.h"
#include "store/area_walk.h"
#include "store/record_set.h"
#include "store/task_record.h"

namespace store {
namespace {

// Ends each of a record's texts. No text typed into the find box holds it, so nothing found
// runs from one field into the next.
constexpr char kTextEnd = '\0';

const std::array<char, 256>& UpperTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> upper{};
        for (int i = 0; i < 256; ++i) {
            upper[static_cast<std::size_t>(i)] = rtl::AnsiUpper(static_cast<char>(i));
        }
        return upper;
    }();
    return table;
}

void AppendFolded(std::string& out, std::string_view ansi) {
    const std::array<char, 256>& upper = UpperTable();
    const std::size_t from = out.size();
    out.resize(from + ansi.size() + 1);
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        out[from + i] = upper[static_cast<unsigned char>(ansi[i])];
    }
    out[from + ansi.size()] = kTextEnd;
}

std::string_view TrimmedRight(std::string_view text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

}  // namespace

// ---- TFindTexts ---------------------------------------------------------------------------

std::string TFindTexts::Fold(std::string_view ansi) {
    std::string folded;
    folded.reserve(ansi.size() + 1);
    AppendFolded(folded, ansi);
    folded.pop_back();
    return folded;
}

void TFindTexts::Put(std::int32_t record, std::string_view descript, std::string_view keys,
                     std::string_view note) {
    if (record <= 0) {
        return;
    }
    const auto index = static_cast<std::size_t>(record);
    if (index >= slices_.size()) {
        slices_.resize(index + 1);
    }
    Slice slice;
    slice.at = text_.size();
    AppendFolded(text_, TrimmedRight(descript));
    AppendFolded(text_, TrimmedRight(keys));
    AppendFolded(text_, note);
    slice.size = static_cast<std::uint32_t>(text_.size() - slice.at);
    slices_[index] = slice;
}

std::string_view TFindTexts::TextOf(std::int32_t record) const {
    if (record <= 0 || static_cast<std::size_t>(record) >= slices_.size()) {
        return {};
    }
    const Slice& slice = slices_[static_cast<std::size_t>(record)];
    return std::string_view(text_).substr(slice.at, slice.size);
}

bool TFindTexts::Contains(std::int32_t record, std::string_view folded) const {
    return folded.empty() || TextOf(record).find(folded) != std::string_view::npos;
}

std::vector<std::int32_t> TFindTexts::Matching(const std::vector<std::int32_t>& records,
                                               std::string_view folded) const {
    std::vector<std::int32_t> matching;
    for (const std::int32_t record : records) {
        if (Contains(record, folded)) {
            matching.push_back(record);
        }
    }
    return matching;
}

void TFindTexts::ShrinkToFit() {
    text_.shrink_to_fit();
    slices_.shrink_to_fit();
}

std::size_t TFindTexts::Bytes() const {
    return text_.capacity() + slices_.capacity() * sizeof(Slice);
}

// ---- TFoundRows ---------------------------------------------------------------------------

TFoundRows::TFoundRows(TTable& table, const std::vector<std::int32_t>& rows)
    : table_(table), narrowable_(true), found_(rows) {
    Read(rows);
    texts_.ShrinkToFit();
}

void TFoundRows::Read(const std::vector<std::int32_t>& records) {
    if (!table_.Active()) {
        return;
    }
    AreaWalk walk(table_.Handle());
    for (const std::int32_t record : records) {
        if (sx_Go(record) && !sx_Eof()) {
            texts_.Put(record, sx_GetString(task_field::kDescript),
                       sx_GetString(task_field::kKeys), sx_GetMemo(task_field::kNote));
        }
    }
}

void TFoundRows::Find(std::string_view ansiText, const std::vector<std::int32_t>& rows) {
    std::string folded = TFindTexts::Fold(ansiText);
    const bool narrowing = narrowable_ && folded.find(folded_) != std::string::npos;
    found_ = texts_.Matching(narrowing ? found_ : rows, folded);
    text_ = ansiText;
    folded_ = std::move(folded);
    narrowable_ = true;
    changed_.clear();
}

void TFoundRows::KeepShowing(const std::vector<std::int32_t>& changed,
                             const std::vector<std::int32_t>& rows) {
    if (changed.empty()) {
        return;
    }
    std::unordered_set<std::int32_t> showing(changed.begin(), changed.end());
    showing.insert(found_.begin(), found_.end());
    std::vector<std::int32_t> kept;
    for (const std::int32_t record : rows) {
        if (showing.count(record) != 0) {
            kept.push_back(record);
        }
    }
    narrowable_ = false;
    found_ = std::move(kept);
    changed_ = changed;
}

std::int32_t TFoundRows::RecordAt(int row) const {
    return row >= 0 && row < Count() ? found_[static_cast<std::size_t>(row)] : 0;
}

int TFoundRows::RowOf(std::int32_t record) const {
    auto at = std::find(found_.begin(), found_.end(), record);
    return at == found_.end() ? -1 : static_cast<int>(at - found_.begin());
}

int TFoundRows::Place(std::int32_t record, const std::vector<std::int32_t>& rows, int orderRow) {
    Read({record});
    // The record may now show without containing the text, and its texts have changed.
    narrowable_ = false;
    if (orderRow < 0 || orderRow >= static_cast<int>(rows.size())) {
        return -1;
    }
    changed_.push_back(record);
    // The found rows keep the order's order, so the record goes after those of them that
    // come before it there.
    int before = 0;
    int at = 0;
    for (const std::int32_t found : found_) {
        if (found == record) {
            continue;
        }
        while (at < orderRow && rows[static_cast<std::size_t>(at)] != found) {
            ++at;
        }
        if (at == orderRow) {
            break;
        }
        ++before;
        ++at;
    }
    return before;
}

void TFoundRows::Erase(int row) {
    if (row >= 0 && row < Count()) {
        found_.erase(found_.begin() + row);
    }
}

void TFoundRows::Insert(int row, std::int32_t record) {
    if (row >= 0 && row <= Count()) {
        found_.insert(found_.begin() + row, record);
    }
}

std::size_t TFoundRows::Bytes() const {
    return texts_.Bytes() + found_.capacity() * sizeof(std::int32_t);
}

}  // namespace store
