// Work areas: the navigation layer, the record buffer and its one road to the file.
#include "platform/xbase/work_area.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/xbase/cdx_area.h"
#include "platform/xbase/dbf_format.h"
#include "platform/xbase/field_codec.h"

namespace xbase {
namespace {

constexpr std::uint32_t kCursorMagic = 0x51584353;  // "QXCS"

bool IsMemoType(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    // Field names and aliases are ASCII: fold by hand, this runs for every field read.
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ImageSource::Memo(int fieldIndex) const {
    std::string text;
    if (!area_.ReadMemo(image_, fieldIndex, text)) {
        text.clear();
    }
    return text;
}

WorkArea::WorkArea(int number, std::string alias, const Settings& settings)
    : number_(number),
      alias_(std::move(alias)),
      settings_(settings),
      scan_(*this),
      current_(*this) {}

WorkArea::~WorkArea() {
    Close();
}

Status WorkArea::Attach(std::unique_ptr<Table> table) {
    table_ = std::move(table);
    lastFieldIndex_ = -1;
    table_->SetLockTimeout(settings_.lockTimeout);
    table_->SetReadAhead(settings_.turboRead);
    record_.assign(table_->recordLength(), ' ');
    original_.assign(table_->recordLength(), ' ');
    Status s = GoTop();
    return s;
}

Status WorkArea::Close() {
    if (!table_) {
        return Status::Ok();
    }
    Status s = FlushBuffer();
    // The records first: the indexes' in-progress mark covers appends still buffered.
    Status f = table_->Flush();
    if (indexes && f) {
        indexes->HoldMark(false);
        indexes->CloseAll();
    }
    Status c = table_->Close();
    if (c) {
        c = f;
    }
    table_.reset();
    return s ? c : s;
}

int WorkArea::FieldIndex(std::string_view name) const {
    if (lastFieldIndex_ >= 0 && name == lastFieldName_) {
        return lastFieldIndex_;
    }
    const std::string_view asked = name;
    std::size_t arrow = name.find("->");
    if (arrow != std::string_view::npos) {
        if (!SameName(name.substr(0, arrow), alias_)) {
            return -1;
        }
        name.remove_prefix(arrow + 2);
    }
    while (!name.empty() && name.back() == ' ') {
        name.remove_suffix(1);
    }
    const auto& f = table_->fields();
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (SameName(f[i].name, name)) {
            lastFieldName_.assign(asked);
            lastFieldIndex_ = static_cast<int>(i);
            return lastFieldIndex_;
        }
    }
    return -1;
}

// ---- navigation ------------------------------------------------------------------------

std::uint32_t WorkArea::SeqFirst() const {
    if (indexes && indexes->ordered()) {
        return indexes->SeqFirst();
    }
    return table_->count() > 0 ? 1 : 0;
}
std::uint32_t WorkArea::SeqLast() const {
    if (indexes && indexes->ordered()) {
        return indexes->SeqLast();
    }
    return table_->count();
}
std::uint32_t WorkArea::SeqNext(std::uint32_t n) const {
    if (indexes && indexes->ordered()) {
        return indexes->SeqNext(n);
    }
    return n < table_->count() ? n + 1 : 0;
}
std::uint32_t WorkArea::SeqPrev(std::uint32_t n) const {
    if (indexes && indexes->ordered()) {
        return indexes->SeqPrev(n);
    }
    if (n > table_->count() + 1) {
        return table_->count();
    }
    return n > 1 ? n - 1 : 0;
}

bool WorkArea::Visible(std::uint32_t n, const char* image) {
    if (settings_.deletedHidden && image[0] == dbf::kDeleted) {
        return false;
    }
    if (!filter_) {
        return true;
    }
    scan_.Set(image, n);
    Value v;
    // A record the filter cannot be evaluated on is not shown.
    return filter_->Evaluate(scan_, settings_.Eval(), v) && v.type == ValueType::kLogical &&
           v.logical;
}

int WorkArea::OrderInForce() const {
    return indexes && indexes->ordered() ? indexes->order() : 0;
}

bool WorkArea::NoneVisibleKnown() const {
    return oneLook_ && noneVisible_ && noneCount_ == table_->count() &&
           noneOrder_ == OrderInForce() && noneDeletedHidden_ == settings_.deletedHidden;
}

bool WorkArea::SetOneLook(bool on) {
    noneVisible_ = false;
    return std::exchange(oneLook_, on);
}

Status WorkArea::Find(std::uint32_t start, bool forward, std::uint32_t& found, const char*& image) {
    found = 0;
    image = nullptr;
    if (NoneVisibleKnown()) {
        return Status::Ok();
    }
    for (std::uint32_t n = start; n != 0; n = forward ? SeqNext(n) : SeqPrev(n)) {
        if (Status s = table_->Record(n, image); !s) {
            return s;
        }
        if (Visible(n, image)) {
            found = n;
            return Status::Ok();
        }
    }
    // Asked only now: in an index order, finding the first or last entry moves the tag's cursor.
    if (oneLook_ && start != 0 && start == (forward ? SeqFirst() : SeqLast())) {
        noneVisible_ = true;
        noneCount_ = table_->count();
        noneOrder_ = OrderInForce();
        noneDeletedHidden_ = settings_.deletedHidden;
    }
    return Status::Ok();
}

Status WorkArea::BeginMove() {
    if (Status s = FlushBuffer(); !s) {
        return s;
    }
    if (Status s = table_->RefreshCount(); !s) {
        return s;
    }
    table_->Invalidate();
    return Status::Ok();
}

Status WorkArea::Load(std::uint32_t n) {
    const char* image = nullptr;
    if (Status s = table_->Record(n, image); !s) {
        return s;
    }
    Take(n, image);
    return Status::Ok();
}

void WorkArea::Take(std::uint32_t n, const char* image) {
    std::memcpy(record_.data(), image, record_.size());
    recNo_ = n;
    eof_ = false;
}

void WorkArea::ToEnd() {
    std::fill(record_.begin(), record_.end(), ' ');
    recNo_ = table_->count() + 1;
    eof_ = true;
}

Status WorkArea::GoTop() {
    if (Status s = BeginMove(); !s) {
        return s;
    }
    std::uint32_t n = 0;
    const char* image = nullptr;
    if (Status s = Find(SeqFirst(), true, n, image); !s) {
        return s;
    }
    bof_ = n == 0;
    if (n == 0) {
        ToEnd();
        return Status::Ok();
    }
    Take(n, image);
    return Status::Ok();
}

Status WorkArea::GoBottom() {
    if (Status s = BeginMove(); !s) {
        return s;
    }
    std::uint32_t n = 0;
    const char* image = nullptr;
    if (Status s = Find(SeqLast(), false, n, image); !s) {
        return s;
    }
    bof_ = n == 0;
    if (n == 0) {
        ToEnd();
        return Status::Ok();
    }
    Take(n, image);
    return Status::Ok();
}

Status WorkArea::Go(std::uint32_t n) {
    if (Status s = BeginMove(); !s) {
        return s;
    }
    bof_ = false;
    if (n == 0 || n > table_->count()) {
        ToEnd();
        return Status::Ok();
    }
    return Load(n);
}

Status WorkArea::Skip(long count) {
    if (Status s = BeginMove(); !s) {
        return s;
    }
    if (count == 0) {
        if (atRecord()) {
            return Load(recNo_);  // re-read: another process may have changed it
        }
        return Status::Ok();
    }
    bof_ = false;
    for (long i = 0; i < count; ++i) {
        if (eof_) {
            return Status::Ok();
        }
        std::uint32_t next = SeqNext(recNo_);
        std::uint32_t n = 0;
        const char* image = nullptr;
        if (next != 0) {
            if (Status s = Find(next, true, n, image); !s) {
                return s;
            }
        }
        if (n == 0) {
            ToEnd();
            return Status::Ok();
        }
        Take(n, image);
    }
    for (long i = 0; i > count; --i) {
        std::uint32_t n = 0;
        const char* image = nullptr;
        std::uint32_t prev = eof_ ? SeqLast() : SeqPrev(recNo_);
        if (prev != 0) {
            if (Status s = Find(prev, false, n, image); !s) {
                return s;
            }
        }
        if (n == 0) {
            // Before the first: stay on the first visible record and raise Bof.
            if (Status s = Find(SeqFirst(), true, n, image); !s) {
                return s;
            }
            bof_ = true;
            if (n == 0) {
                ToEnd();
                return Status::Ok();
            }
            Take(n, image);
            return Status::Ok();
        }
        Take(n, image);
    }
    return Status::Ok();
}

Status WorkArea::CountVisible(std::uint32_t& visible) {
    visible = 0;
    if (Status s = BeginMove(); !s) {
        return s;
    }
    if (!settings_.deletedHidden && !filter_) {
        visible = table_->count();
        return Status::Ok();
    }
    // A scan of its own reads ahead whatever the sharing mode: one call, one snapshot. The
    // order does not change a count, so an order that holds every record its condition admits
    // is counted in record order, at the speed of the file rather than of the tree.
    bool turbo = settings_.turboRead;
    table_->SetReadAhead(true);
    Status result = Status::Ok();
    bool recordOrder = !indexes || !indexes->ordered() || indexes->CountableInRecordOrder();
    std::uint32_t count = table_->count();
    for (std::uint32_t n = recordOrder ? (count > 0 ? 1 : 0) : SeqFirst(); n != 0;
         n = recordOrder ? (n < count ? n + 1 : 0) : SeqNext(n)) {
        const char* image = nullptr;
        if (result = table_->Record(n, image); !result) {
            break;
        }
        bool in = true;
        if (recordOrder && indexes && indexes->ordered()) {
            if (result = indexes->InOrder(image, n, in); !result) {
                break;
            }
        }
        if (in && Visible(n, image)) {
            ++visible;
        }
    }
    table_->SetReadAhead(turbo);
    table_->Invalidate();
    return result;
}

// ---- editing -----------------------------------------------------------------------------

Status WorkArea::BeginEdit() {
    if (!atRecord()) {
        return {ErrorCode::kBadArgument, "no current record to change"};
    }
    if (!table_->writable()) {
        return table_->Refused();
    }
    if (!dirty_ && table_->hasMemo()) {
        if (Status s = table_->memo()->Length(memoBefore_); !s) {
            return s;
        }
    }
    if (!dirty_) {
        // The old keys are those of the record as stored: callers may have written into the
        // buffer through its address before the edit began, and the buffer is then no
        // witness of what the tags hold.
        const char* stored = nullptr;
        if (Status s = table_->Record(recNo_, stored); !s) {
            return s;
        }
        original_.assign(stored, stored + original_.size());
        dirty_ = true;
    }
    return Status::Ok();
}

Status WorkArea::CommitRecord(std::uint32_t& recNo, const char* oldImage, const char* newImage) {
    noneVisible_ = false;
    bool append = recNo == 0;
    if (indexes) {
        if (Status s = indexes->MarkInProgress(); !s) {
            indexes->Flush();
            return s;
        }
    }
    Status s =
        append ? table_->AppendRecord(newImage, recNo) : table_->WriteRecord(recNo, newImage);
    if (!s && indexes) {
        indexes->Flush();  // the tags had nothing to follow: the mark goes
    }
    if (s && indexes) {
        if (table_->buffering()) {
            // The keys will name a record still in the write-behind buffer: the index stays
            // marked until the table has written it (Commit, Close).
            indexes->HoldMark(true);
        }
        s = indexes->Upkeep(recNo, oldImage, newImage);
        if (!s) {
            if (append) {
                table_->UndoAppend(recNo);
                recNo = 0;
            } else {
                table_->WriteRecord(recNo, oldImage);
            }
        }
    }
    return s;
}

Status WorkArea::FlushBuffer() {
    if (!dirty_ || !table_) {
        return Status::Ok();
    }
    std::uint32_t n = recNo_;
    Status s = CommitRecord(n, original_.data(), record_.data());
    if (s) {
        dirty_ = false;
    }
    return s;
}

Status WorkArea::PutImage(const char* image) {
    if (Status s = BeginEdit(); !s) {
        return s;
    }
    std::memcpy(record_.data(), image, record_.size());
    if (record_[0] != dbf::kDeleted) {
        record_[0] = dbf::kLive;
    }
    return WriteOrKeepStored();
}

Status WorkArea::SetDeletedFlag(bool deleted) {
    if (Status s = BeginEdit(); !s) {
        return s;
    }
    record_[0] = deleted ? dbf::kDeleted : dbf::kLive;
    return WriteOrKeepStored();
}

// A write that failed has been answered as failed: the buffer goes back to the record as
// stored, so that no later move or unlock carries the refused change to the file after all.
Status WorkArea::WriteOrKeepStored() {
    Status s = FlushBuffer();
    if (!s) {
        record_ = original_;
        dirty_ = false;
        if (table_->hasMemo()) {
            table_->memo()->TakeBack(memoBefore_);
        }
    }
    return s;
}

Status WorkArea::AppendBlank() {
    std::vector<char> blank(record_.size(), ' ');
    return AppendImage(blank.data());
}

Status WorkArea::AppendImage(const char* image) {
    if (Status s = FlushBuffer(); !s) {
        return s;
    }
    if (!table_->writable()) {
        return table_->Refused();
    }
    std::vector<char> record(image, image + record_.size());
    if (record[0] != dbf::kDeleted) {
        record[0] = dbf::kLive;
    }
    if (table_->hasMemo()) {
        if (Status s = table_->memo()->Length(appendMemoBefore_); !s) {
            return s;
        }
    }
    std::uint32_t n = 0;
    if (Status s = CommitRecord(n, nullptr, record.data()); !s) {
        return s;
    }
    record_ = std::move(record);
    recNo_ = n;
    appended_ = n;
    bof_ = eof_ = false;
    return Status::Ok();
}

Status WorkArea::UndoAppend() {
    if (appended_ == 0 || recNo_ != appended_ || eof_) {
        return {ErrorCode::kBadArgument, "no append of this area to take back"};
    }
    if (dirty_) {
        record_ = original_;  // the failed change of the new record goes with it
    }
    dirty_ = false;
    const char* stored = nullptr;
    if (Status s = table_->Record(appended_, stored); !s) {
        return s;
    }
    std::vector<char> image(stored, stored + record_.size());
    Status result = indexes ? indexes->Unkeep(appended_, image.data()) : Status::Ok();
    if (result) {
        result = table_->UndoAppend(appended_);
    }
    if (result && table_->hasMemo()) {
        result = table_->memo()->TakeBack(appendMemoBefore_);
    }
    noneVisible_ = false;
    if (result) {
        appended_ = 0;
        ToEnd();
    }
    return result;
}

Status WorkArea::Commit() {
    if (Status s = WriteOrKeepStored(); !s) {
        return s;
    }
    // The records first: the indexes' in-progress mark covers appends still buffered.
    if (Status s = table_->Sync(); !s) {
        return s;
    }
    if (!indexes) {
        return Status::Ok();
    }
    indexes->HoldMark(false);
    return indexes->Flush();
}

Status WorkArea::ReadMemo(const char* image, int field, std::string& text) {
    text.clear();
    const auto& f = table_->fields();
    if (field < 0 || field >= static_cast<int>(f.size()) || !IsMemoType(f[field].type)) {
        return {ErrorCode::kBadArgument, "not a memo field"};
    }
    if (!table_->hasMemo()) {
        return {ErrorCode::kBadArgument, "the table has no memo file"};
    }
    std::uint32_t block = 0;
    bool binary = table_->fileType() >= dbf::kTypeVfp && table_->fileType() <= dbf::kTypeVfpVar;
    if (!ParseMemoPointer(image + f[field].offset, f[field].length, binary, block)) {
        return XBASE_CORRUPT(table_->path() + ": unreadable memo pointer in field " +
                             f[field].name);
    }
    return table_->memo()->Read(block, text);
}

Status WorkArea::ReplaceMemo(int field, std::string_view text) {
    const auto& f = table_->fields();
    if (!table_->hasMemo()) {
        return {ErrorCode::kBadArgument, "the table has no memo file"};
    }
    if (Status s = BeginEdit(); !s) {
        return s;
    }
    bool binary = table_->fileType() >= dbf::kTypeVfp && table_->fileType() <= dbf::kTypeVfpVar;
    std::uint32_t block = 0;
    if (Status s = table_->memo()->Write(text, MemoFloor(), block); !s) {
        return s;
    }
    PutMemoPointer(record_.data() + f[field].offset, f[field].length, binary, block);
    return Status::Ok();
}

std::uint32_t WorkArea::MemoFloor() {
    constexpr std::uint64_t kMemoFarPastEnd = std::uint64_t{64} << 20;
    if (memoFloorKnown_) {
        return memoFloor_;
    }
    MemoFile& memo = *table_->memo();
    std::uint64_t fileSize = 0;
    if (!memo.Length(fileSize)) {
        return 0;  // the write that follows learns the size itself, or fails
    }
    bool binary = table_->fileType() >= dbf::kTypeVfp && table_->fileType() <= dbf::kTypeVfpVar;
    const auto& f = table_->fields();
    std::uint32_t floor = 0;
    for (std::uint32_t n = 1; n <= table_->count(); ++n) {
        const char* image = nullptr;
        if (!table_->Record(n, image)) {
            continue;
        }
        for (const FieldInfo& field : f) {
            std::uint32_t block = 0;
            // A pointer a little past the end may lead into notes a cut lost, but one far
            // past it is garbage: following it would grow the file by gigabytes of holes.
            if (IsMemoType(field.type) &&
                ParseMemoPointer(image + field.offset, field.length, binary, block) && block != 0 &&
                std::uint64_t{block} * memo.blockSize() <= fileSize + kMemoFarPastEnd) {
                floor = std::max(floor, memo.Extent(block, fileSize));
            }
        }
    }
    memoFloor_ = floor;
    memoFloorKnown_ = true;
    return floor;
}

// ---- filters -----------------------------------------------------------------------------

Status WorkArea::Compile(std::string_view text, std::unique_ptr<Expression>& expression) const {
    return CompileExpression(text, table_->fields(), alias_, expression);
}

Status WorkArea::SetFilter(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        noneVisible_ = false;
        filter_.reset();
        filterText_.clear();
        return Status::Ok();
    }
    std::unique_ptr<Expression> filter;
    if (Status s = Compile(text, filter); !s) {
        return {s.code(), "filter: " + s.message()};
    }
    if (filter->Type() != ValueType::kLogical) {
        return {ErrorCode::kBadExpression, "filter: not a logical expression"};
    }
    filter_ = std::move(filter);
    filterText_.assign(text);
    noneVisible_ = false;
    return Status::Ok();
}

bool WorkArea::Evaluate(Expression& e, Value& out) {
    current_.Set(record_.data(), recNo_);
    return e.Evaluate(current_, settings_.Eval(), out);
}

CursorState WorkArea::SaveCursor() const {
    CursorState s;
    s.magic = kCursorMagic;
    s.area = static_cast<std::uint32_t>(number_);
    s.recNo = recNo_;
    s.bof = bof_ ? 1 : 0;
    s.eof = eof_ ? 1 : 0;
    return s;
}

bool WorkArea::RestoreCursor(const CursorState& state) {
    if (state.magic != kCursorMagic || state.area != static_cast<std::uint32_t>(number_)) {
        return false;
    }
    if (!Go(state.recNo)) {
        return false;
    }
    bof_ = state.bof != 0;
    return true;
}

}  // namespace xbase
