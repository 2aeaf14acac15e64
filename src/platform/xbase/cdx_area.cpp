// A work area's compound indexes: opening the structural one with the table, orders across
// the open files, the record sequence of the order in force, seeks, scopes and key upkeep.
#include "platform/xbase/cdx_area.h"

#include <algorithm>
#include <cstdlib>

#include "platform/xbase/work_area.h"

namespace xbase {

namespace {

constexpr std::uint8_t kStructuralFlag = 0x01;

// The table's records as the index reads them for builds and checks.
class AreaRecords final : public IndexRecords {
  public:
    explicit AreaRecords(WorkArea& area) : area_(area), source_(area) {}
    std::uint32_t RecordCount() override { return area_.table().count(); }
    const RecordSource* Record(std::uint32_t n) override {
        const char* image = nullptr;
        if (!area_.table().Record(n, image)) {
            return nullptr;
        }
        source_.Set(image, n);
        return &source_;
    }

  private:
    WorkArea& area_;
    ImageSource source_;
};

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

Status FromCdx(const Status& s) {
    if (s.ok() || s.code() == ErrorCode::kCorrupt) {
        return s;
    }
    return {s.code(), "index: " + s.message()};
}

std::string AreaIndexes::StructuralPath(const std::string& tablePath) {
    std::size_t slash = tablePath.find_last_of("/\\");
    std::size_t dot = tablePath.rfind('.');
    bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string base = hasExt ? tablePath.substr(0, dot) : tablePath;
    bool lower = hasExt && dot + 1 < tablePath.size() &&
                 std::islower(static_cast<unsigned char>(tablePath[dot + 1]));
    return base + (lower ? ".cdx" : ".CDX");
}

IndexTable AreaIndexes::TableShape() const {
    IndexTable shape;
    shape.fields = area_.fields();
    shape.alias = area_.alias();
    shape.recordLength = area_.table().recordLength();
    return shape;
}

Status AreaIndexes::OpenStructural(FileSystem& fs) {
    if ((area_.table().flags() & kStructuralFlag) == 0) {
        return Status::Ok();
    }
    // Files copied from other systems may name the index in another letter case.
    std::string path = fs.FindIgnoringCase(StructuralPath(area_.table().path()));
    if (path.empty()) {
        return Status::Ok();  // a missing index does not stop the table: it is rebuilt
    }
    int first = 0;
    return OpenFile(fs, path, true, false, first);
}

Status AreaIndexes::OpenFile(FileSystem& fs, const std::string& path, bool structural, bool create,
                             int& first) {
    first = 0;
    for (const OpenFileEntry& f : files_) {
        if (f.path == path) {
            return {ErrorCode::kBadArgument, path + " is already open"};
        }
    }
    bool writable = area_.table().writable();
    std::unique_ptr<File> file = fs.Open(path, create     ? OpenMode::kCreate
                                               : writable ? OpenMode::kReadWrite
                                                          : OpenMode::kReadOnly);
    if (!file) {
        return {ErrorCode::kOpenFailed, "index file " + path + " could not be opened"};
    }
    OpenFileEntry entry;
    entry.path = path;
    entry.structural = structural;
    Status s = create ? CompoundIndex::Create(std::move(file), TableShape(), entry.index)
                      : CompoundIndex::Open(std::move(file), TableShape(), area_.table().shared(),
                                            entry.index);
    if (!s.ok()) {
        return FromCdx(s);
    }
    // A tag whose keys cannot be computed cannot be kept either: writes would leave it
    // wrong for the program that made it, so such a file is only read.
    for (int order = 1; writable && order <= entry.index->TagCount(); ++order) {
        const TagInfo& tag = entry.index->Tag(order);
        if (!tag.unreadable.empty()) {
            return {ErrorCode::kNotSupported, "index " + path + " can only be read: tag " +
                                                  tag.name + " cannot be kept up to date (" +
                                                  tag.unreadable + ")"};
        }
    }
    int before = 0;
    std::size_t at = structural ? 0 : files_.size();
    for (std::size_t i = 0; i < at; ++i) {
        before += files_[i].index->TagCount();
    }
    if (entry.index->TagCount() > 0) {
        first = before + 1;
    }
    files_.insert(files_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    checks_.clear();
    if (structural && order_ > 0) {
        order_ += files_[0].index->TagCount();
    }
    cursor_.reset();
    return Status::Ok();
}

void AreaIndexes::CloseAll() {
    cursor_.reset();
    checks_.clear();
    for (OpenFileEntry& f : files_) {
        f.index->Flush();
    }
    files_.clear();
    order_ = 0;
    counted_ = {};
}

AreaIndexes::Remembered AreaIndexes::Remember() const {
    Remembered r;
    for (const OpenFileEntry& f : files_) {
        r.files.emplace_back(f.path, f.structural);
    }
    r.order = order_;
    return r;
}

Status AreaIndexes::Reopen(FileSystem& fs, const Remembered& what) {
    CloseAll();
    for (const auto& [path, structural] : what.files) {
        int first = 0;
        if (Status s = OpenFile(fs, path, structural, false, first); !s) {
            return s;
        }
    }
    SetOrder(what.order);
    return Status::Ok();
}

Status AreaIndexes::Flush() {
    for (OpenFileEntry& f : files_) {
        if (Status s = FromCdx(f.index->Flush()); !s) {
            return s;
        }
    }
    return Status::Ok();
}

int AreaIndexes::OrderCount() const {
    int n = 0;
    for (const OpenFileEntry& f : files_) {
        n += f.index->TagCount();
    }
    return n;
}

bool AreaIndexes::Locate(int order, CompoundIndex*& index, int& tag) const {
    if (order < 1) {
        return false;
    }
    for (const OpenFileEntry& f : files_) {
        if (order <= f.index->TagCount()) {
            index = f.index.get();
            tag = order;
            return true;
        }
        order -= f.index->TagCount();
    }
    return false;
}

bool AreaIndexes::CountableInRecordOrder() {
    counted_ = {};
    if (low_ || high_ || !Locate(order_, counted_.index, counted_.tag)) {
        return false;
    }
    return !counted_.index->Tag(counted_.tag).unique;
}

Status AreaIndexes::InOrder(const char* image, std::uint32_t recNo, bool& in) {
    if (counted_.index == nullptr) {
        return {ErrorCode::kBadArgument, "no index order is in force"};
    }
    ImageSource source(area_);
    source.Set(image, recNo);
    return FromCdx(counted_.index->Admits(counted_.tag, source, in));
}

bool AreaIndexes::SetOrder(int order) {
    if (order < 0 || order > OrderCount()) {
        return false;
    }
    if (const TagInfo* tag = Tag(order); tag != nullptr && !tag->unreadable.empty()) {
        return false;  // its keys cannot be sought, nor its order trusted to be whole
    }
    if (order != order_) {
        order_ = order;
        cursor_.reset();
    }
    return true;
}

int AreaIndexes::TagArea(std::string_view name) const {
    int before = 0;
    for (const OpenFileEntry& f : files_) {
        if (int t = f.index->FindTag(name); t != 0) {
            return before + t;
        }
        before += f.index->TagCount();
    }
    return 0;
}

const TagInfo* AreaIndexes::Tag(int order) const {
    CompoundIndex* index = nullptr;
    int tag = 0;
    return Locate(order, index, tag) ? &index->Tag(tag) : nullptr;
}

std::string AreaIndexes::TagName(int order) const {
    const TagInfo* t = Tag(order);
    return t ? t->name : std::string();
}

std::string AreaIndexes::IndexName(int order) const {
    int n = order;
    for (const OpenFileEntry& f : files_) {
        if (n >= 1 && n <= f.index->TagCount()) {
            return f.path;
        }
        n -= f.index->TagCount();
    }
    return {};
}

std::string AreaIndexes::KeyData(const char* image, std::uint32_t recNo) {
    CompoundIndex* index = nullptr;
    int tag = 0;
    if (!Locate(order_, index, tag)) {
        return {};
    }
    ImageSource source(area_);
    source.Set(image, recNo);
    std::string key;
    bool included = false;
    if (!index->KeyOf(tag, source, key, included).ok()) {
        return {};
    }
    return KeyToText(index->Tag(tag).type, key);
}

Status AreaIndexes::IndexTag(FileSystem& fs, const std::string& path, const TagSpec& spec,
                             int& order, const IndexProgress& progress) {
    order = 0;
    bool structural = path.empty();
    std::string target = path;
    if (structural) {
        target = StructuralPath(area_.table().path());
        if (std::string found = fs.FindIgnoringCase(target); !found.empty()) {
            target = found;
        }
    }
    OpenFileEntry* entry = nullptr;
    for (OpenFileEntry& f : files_) {
        if ((structural && f.structural) || (!structural && f.path == target)) {
            entry = &f;
        }
    }
    if (entry == nullptr) {
        int first = 0;
        Status s = fs.Exists(target) ? OpenFile(fs, target, structural, false, first)
                                     : Status(ErrorCode::kOpenFailed, "missing");
        if (!s && (s.code() == ErrorCode::kOpenFailed || s.code() == ErrorCode::kCorrupt)) {
            // A missing or unreadable index file is started afresh.
            fs.Remove(target);
            s = OpenFile(fs, target, structural, true, first);
        }
        if (!s) {
            return s;
        }
        for (OpenFileEntry& f : files_) {
            if (f.path == target) {
                entry = &f;
            }
        }
        if (structural) {
            if (Status f = area_.table().SetFlags(area_.table().flags() | kStructuralFlag); !f) {
                return f;
            }
        }
    }
    AreaRecords records(area_);
    int tag = 0;
    if (Status s = FromCdx(entry->index->AddTag(spec, records, progress, tag)); !s) {
        return s;
    }
    int before = 0;
    for (OpenFileEntry& f : files_) {
        if (&f == entry) {
            break;
        }
        before += f.index->TagCount();
    }
    order = before + tag;
    order_ = order;
    cursor_.reset();
    return Status::Ok();
}

Status AreaIndexes::RebuildAll(const IndexProgress& progress) {
    AreaRecords records(area_);
    for (OpenFileEntry& f : files_) {
        if (Status s = FromCdx(f.index->Rebuild(0, records, progress)); !s) {
            return s;
        }
    }
    cursor_.reset();
    return Status::Ok();
}

Status AreaIndexes::CheckStep(std::uint32_t budget, bool& done, CheckReport& report) {
    done = false;
    if (checks_.size() != files_.size() || checking_ >= checks_.size()) {
        checks_.clear();
        for (OpenFileEntry& f : files_) {
            checks_.push_back(f.index->StartCheck());
        }
        checking_ = 0;
    }
    AreaRecords records(area_);
    while (checking_ < checks_.size()) {
        bool fileDone = false;
        if (Status s = FromCdx(checks_[checking_]->Step(records, budget, fileDone)); !s) {
            checks_.clear();
            return s;
        }
        if (!fileDone) {
            return Status::Ok();
        }
        ++checking_;
    }
    report = {};
    for (const auto& check : checks_) {
        const CheckReport& one = check->report();
        report.missing += one.missing;
        report.extra += one.extra;
        report.misordered += one.misordered;
        report.structural += one.structural;
        report.problems.insert(report.problems.end(), one.problems.begin(), one.problems.end());
    }
    done = true;
    return Status::Ok();
}

bool AreaIndexes::Interrupted() const {
    return std::any_of(files_.begin(), files_.end(),
                       [](const OpenFileEntry& f) { return f.index->Interrupted(); });
}

Status AreaIndexes::Check(CheckReport& report) {
    report = {};
    AreaRecords records(area_);
    for (OpenFileEntry& f : files_) {
        CheckReport one;
        if (Status s = FromCdx(f.index->Check(records, one)); !s) {
            return s;
        }
        report.missing += one.missing;
        report.extra += one.extra;
        report.misordered += one.misordered;
        report.structural += one.structural;
        report.unreadable += one.unreadable;
        report.problems.insert(report.problems.end(), one.problems.begin(), one.problems.end());
    }
    return Status::Ok();
}

Status AreaIndexes::Walk(int order, const std::function<void(std::uint32_t, std::string)>& visit) {
    CompoundIndex* index = nullptr;
    int tag = 0;
    if (!Locate(order, index, tag)) {
        return {ErrorCode::kBadArgument, "no tag of order " + std::to_string(order)};
    }
    if (const std::string& why = index->Tag(tag).unreadable; !why.empty()) {
        return {ErrorCode::kBadExpression,
                "tag " + index->Tag(tag).name + " cannot be read: " + why};
    }
    auto cursor = index->NewCursor(tag);
    KeyType type = index->Tag(tag).type;
    Status s = cursor->First();
    for (; s.ok() && cursor->Valid(); s = cursor->Next()) {
        visit(cursor->RecNo(), KeyToText(type, cursor->Key()));
    }
    return FromCdx(s);
}

std::uint64_t AreaIndexes::KeyCount(int order) {
    CompoundIndex* index = nullptr;
    int tag = 0;
    return Locate(order, index, tag) ? index->KeyCount(tag) : 0;
}

Status AreaIndexes::Upkeep(std::uint32_t recNo, const char* oldImage, const char* newImage) {
    if (files_.empty()) {
        return Status::Ok();
    }
    ImageSource before(area_);
    ImageSource after(area_);
    if (oldImage) {
        before.Set(oldImage, recNo);
    }
    after.Set(newImage, recNo);
    for (std::size_t i = 0; i < files_.size(); ++i) {
        CompoundIndex& index = *files_[i].index;
        if (Status s = FromCdx(index.UpdateRecord(recNo, oldImage ? &before : nullptr, after));
            !s) {
            // The files before this one took the change whole: they take it back.
            while (i-- > 0) {
                CompoundIndex& done = *files_[i].index;
                if (oldImage) {
                    done.UpdateRecord(recNo, &after, before);
                } else {
                    done.RemoveRecord(recNo, after);
                }
            }
            return s;
        }
    }
    return Status::Ok();
}

Status AreaIndexes::MarkInProgress(bool untilRebuilt) {
    for (OpenFileEntry& f : files_) {
        if (Status s = FromCdx(f.index->MarkInProgress(untilRebuilt)); !s) {
            return s;
        }
    }
    return Status::Ok();
}

void AreaIndexes::HoldMark(bool hold) {
    for (OpenFileEntry& f : files_) {
        f.index->HoldMark(hold);
    }
}

Status AreaIndexes::Unkeep(std::uint32_t recNo, const char* image) {
    ImageSource appended(area_);
    appended.Set(image, recNo);
    Status result = Status::Ok();
    for (OpenFileEntry& f : files_) {
        if (Status s = FromCdx(f.index->RemoveRecord(recNo, appended)); !s && result) {
            result = s;
        }
    }
    cursor_.reset();
    return result;
}

TagCursor* AreaIndexes::Cursor() {
    if (!cursor_) {
        CompoundIndex* index = nullptr;
        int tag = 0;
        if (!Locate(order_, index, tag)) {
            return nullptr;
        }
        cursor_ = index->NewCursor(tag);
        std::optional<std::string> low;
        std::optional<std::string> high;
        std::string key;
        if (low_ && EncodeKey(order_, *low_, key)) {
            low = key;
        }
        if (high_ && EncodeKey(order_, *high_, key)) {
            high = key;
        }
        cursor_->SetScope(low, high);
    }
    return cursor_.get();
}

bool AreaIndexes::Sync(std::uint32_t n) {
    TagCursor* c = Cursor();
    CompoundIndex* index = nullptr;
    int tag = 0;
    if (c == nullptr || !Locate(order_, index, tag)) {
        return false;
    }
    if (c->Valid() && c->RecNo() == n) {
        return true;
    }
    const char* image = nullptr;
    if (n == 0 || n > area_.table().count() || !area_.table().Record(n, image)) {
        return false;
    }
    ImageSource source(area_);
    source.Set(image, n);
    std::string key;
    bool included = false;
    if (!index->KeyOf(tag, source, key, included).ok()) {
        return false;
    }
    bool found = false;
    if (included && c->SeekRecord(key, n, found).ok() && found) {
        return true;
    }
    // Not in the tag (its condition leaves it out): stand where its key would be.
    c->Seek(key, true, false, found);
    return false;
}

std::uint32_t AreaIndexes::SeqFirst() {
    TagCursor* c = Cursor();
    return c && c->First().ok() && c->Valid() ? c->RecNo() : 0;
}

std::uint32_t AreaIndexes::SeqLast() {
    TagCursor* c = Cursor();
    return c && c->Last().ok() && c->Valid() ? c->RecNo() : 0;
}

std::uint32_t AreaIndexes::SeqNext(std::uint32_t n) {
    TagCursor* c = Cursor();
    if (c == nullptr) {
        return 0;
    }
    if (Sync(n)) {
        if (!c->Next().ok()) {
            return 0;
        }
    }
    return c->Valid() ? c->RecNo() : 0;
}

std::uint32_t AreaIndexes::SeqPrev(std::uint32_t n) {
    TagCursor* c = Cursor();
    if (c == nullptr) {
        return 0;
    }
    if (n > area_.table().count()) {
        return SeqLast();
    }
    bool on = Sync(n);
    Status s = on || c->Valid() ? c->Prior() : c->Last();
    return s.ok() && c->Valid() ? c->RecNo() : 0;
}

bool AreaIndexes::EncodeKey(int order, std::string_view text, std::string& key) const {
    const TagInfo* t = Tag(order);
    if (t == nullptr) {
        return false;
    }
    switch (t->type) {
        case KeyType::kCharacter:
            key.assign(text);
            return true;
        case KeyType::kNumeric: {
            std::string s(text);
            char* end = nullptr;
            double v = std::strtod(s.c_str(), &end);
            key = EncodeNumericKey(end == s.c_str() ? 0 : v);
            return true;
        }
        case KeyType::kDate: {
            std::string s(text);
            double jdn = 0;
            if (s.size() >= 8) {
                jdn =
                    JulianDay(std::atoi(s.substr(0, 4).c_str()), std::atoi(s.substr(4, 2).c_str()),
                              std::atoi(s.substr(6, 2).c_str()));
            }
            key = EncodeDateKey(jdn);
            return true;
        }
        case KeyType::kLogical: {
            bool v = !text.empty() && (text[0] == 'T' || text[0] == 't' || text[0] == 'Y' ||
                                       text[0] == 'y' || SameText(text, ".T."));
            key = EncodeLogicalKey(v);
            return true;
        }
        case KeyType::kInteger: {
            std::string s(text);
            double v = std::strtod(s.c_str(), nullptr);
            key = EncodeIntegerKey(v >= -2147483648.0 && v <= 2147483647.0
                                       ? static_cast<std::int32_t>(v)
                                       : (v < 0 ? INT32_MIN : INT32_MAX));
            return true;
        }
    }
    return false;
}

Status AreaIndexes::Seek(std::string_view text, bool soft, bool exact, bool& found,
                         std::uint32_t& recNo) {
    found = false;
    recNo = 0;
    TagCursor* c = Cursor();
    std::string key;
    if (c == nullptr || !EncodeKey(order_, text, key)) {
        return {ErrorCode::kBadArgument, "no index order is in force"};
    }
    if (Status s = FromCdx(c->Seek(key, soft, exact, found)); !s) {
        return s;
    }
    recNo = c->Valid() ? c->RecNo() : 0;
    return Status::Ok();
}

bool AreaIndexes::Matches(const char* image, std::uint32_t recNo, std::string_view text,
                          bool exact) {
    CompoundIndex* index = nullptr;
    int tag = 0;
    std::string want;
    if (!Locate(order_, index, tag) || !EncodeKey(order_, text, want)) {
        return false;
    }
    ImageSource source(area_);
    source.Set(image, recNo);
    std::string key;
    bool included = false;
    if (!index->KeyOf(tag, source, key, included).ok() || !included) {
        return false;
    }
    if (exact && index->Tag(tag).type == KeyType::kCharacter) {
        want.resize(key.size(), ' ');
    }
    return key.compare(0, want.size(), want) == 0;
}

void AreaIndexes::SetScope(std::optional<std::string> low, std::optional<std::string> high) {
    low_ = std::move(low);
    high_ = std::move(high);
    cursor_.reset();
}

}  // namespace xbase
