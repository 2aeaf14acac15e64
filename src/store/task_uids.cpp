// The companion table of task UIDs: reading and writing its rows on work areas of their own,
// matching them to the task table, and the UIDs themselves.
#include "store/task_uids.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <limits>
#include <random>

#include "platform/xbase/sx.h"
#include "rtl/file_names.h"
#include "store/task_file.h"

namespace store {

namespace {

namespace fs = std::filesystem;

constexpr char kRecnoField[] = "RECNO";
constexpr char kUidField[] = "UID";
constexpr char kMarkField[] = "MARK";
constexpr char kImportedField[] = "IMPORTED";
constexpr char kNewTableName[] = "QXIDNEW.DBF";
constexpr char kUidSuffix[] = "@quillet";
constexpr int kReadOnly = 1;
constexpr int kExclusive = 2;
constexpr int kDriver = 2;

// 64-bit FNV-1a: small, stable across builds and machines, which std::hash is not.
std::uint64_t Digest(std::string_view text, std::uint64_t seed = 0xcbf29ce484222325ULL) {
    std::uint64_t h = seed;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

std::string Hex(std::uint64_t value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    }
    return text;
}

// 8-4-4-4-12 hex digits with the version and variant bits of RFC 4122.
std::string UuidText(std::uint64_t high, std::uint64_t low, int version) {
    high = (high & ~0xF000ULL) | (static_cast<std::uint64_t>(version) << 12);
    low = (low & ~(0xC000ULL << 48)) | (0x8000ULL << 48);
    const std::string h = Hex(high, 16);
    const std::string l = Hex(low, 16);
    return h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" + l.substr(0, 4) +
           "-" + l.substr(4) + kUidSuffix;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) {
        text.remove_suffix(1);
    }
    return text;
}

// Makes another work area current for the life of the scope, and the caller's current again
// after it.
class AreaScope {
  public:
    AreaScope() : previous_(sx_Select(0)) { sx_ClearLastError(); }
    ~AreaScope() {
        if (previous_ >= 1) {
            sx_Select(previous_);
        }
    }
    AreaScope(const AreaScope&) = delete;
    AreaScope& operator=(const AreaScope&) = delete;

  private:
    int previous_;
};

xbase::Status EngineFailure(std::string_view what) {
    xbase::Status status = sx_LastStatus();
    sx_ClearLastError();
    return {status.ok() ? xbase::ErrorCode::kWriteFailed : status.code(),
            std::string(what) + (status.message().empty() ? "" : ": " + status.message())};
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The description of every record of the task table (deleted ones included), read-only on an
// area of its own.
xbase::Status ReadDescriptions(const std::string& tablePath, std::vector<std::string>& out,
                               std::vector<bool>& deleted) {
    AreaScope scope;
    if (sx_Use(tablePath, "QXUIDTASKS", kReadOnly, kDriver) == 0) {
        return EngineFailure("The task file could not be read");
    }
    const int records = sx_RecCount();
    out.clear();
    out.reserve(static_cast<std::size_t>(records));
    deleted.assign(static_cast<std::size_t>(records), false);
    xbase::Status status;
    for (int n = 1; n <= records; ++n) {
        if (!sx_Go(n)) {
            status = EngineFailure("The task file could not be read");
            break;
        }
        out.emplace_back(TrimRight(sx_GetString(task_field::kDescript)));
        deleted[static_cast<std::size_t>(n) - 1] = sx_Deleted();
    }
    sx_Close();
    return status;
}

// The UIDs derived for `records` of the task table, read as a reader reads them; a record that
// cannot be read gets a random UID instead.
std::vector<std::string> DeriveUids(const std::string& tablePath,
                                    const std::vector<std::int32_t>& records) {
    std::vector<std::string> uids;
    if (records.empty()) {
        return uids;
    }
    AreaScope scope;
    const bool opened = sx_Use(tablePath, "QXUIDTASKS", kReadOnly, kDriver) != 0;
    for (const std::int32_t record : records) {
        if (!opened || !sx_Go(record)) {
            uids.push_back(NewRandomUid());
            continue;
        }
        using namespace task_field;
        const TaskEntry entry{
            sx_GetTrimString(kDate), sx_GetTrimString(kTime),     sx_GetTrimString(kDescript),
            sx_GetTrimString(kKeys), sx_GetTrimString(kPriority), sx_GetLogical(kDone),
            sx_GetMemo(kNote)};
        uids.push_back(sx_LastStatus().ok() ? DerivedUid(record, entry) : NewRandomUid());
        sx_ClearLastError();
    }
    if (opened) {
        sx_Close();
    }
    sx_ClearLastError();
    return uids;
}

}  // namespace

std::string NewRandomUid() {
    static std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    const std::uint64_t high = generator();
    return UuidText(high, generator(), 4);
}

std::string DerivedUid(std::int32_t record, const TaskEntry& entry) {
    std::string contents = std::to_string(record);
    for (const std::string* field :
         {&entry.date, &entry.time, &entry.descript, &entry.keys, &entry.priority, &entry.note}) {
        contents += '\x1f';
        contents += *field;
    }
    contents += entry.done ? "\x1fT"
                           : "\x1f"
                             "F";
    // Version 8: the RFC's form for UIDs made by a rule of one's own.
    return UuidText(Digest(contents), Digest(contents, 0x84222325cbf29ce4ULL), 8);
}

std::string StoredUidForm(std::string_view uid) {
    if (uid.size() <= static_cast<std::size_t>(kUidWidth)) {
        return std::string(uid);
    }
    return std::string(uid.substr(0, kUidWidth - 17)) + "~" + Hex(Digest(uid), 16);
}

std::string DescriptionMark(std::string_view descript) {
    return Hex(Digest(TrimRight(descript)) & 0xFFFFFFFFULL, 8);
}

std::string UidReport::StatusText() const {
    std::string text;
    if (rebuilt) {
        text = std::string(kUidTableName) + " was damaged and has been made again";
        if (given > 0) {
            text += "; " + std::to_string(given) +
                    (given == 1 ? " task was given a new identity"
                                : " tasks were given new identities");
        }
        return text + ".";
    }
    if (renewed > 0) {
        text =
            std::to_string(renewed) +
            (renewed == 1 ? " task was given a new identity" : " tasks were given new identities") +
            ", as the task file was packed or changed by another program.";
    }
    if (!problem.empty()) {
        text += (text.empty() ? "" : " ") + problem;
    }
    return text;
}

void TTaskUids::Index() {
    byRecord_.clear();
    imported_.clear();
    present_.clear();
    byRecord_.reserve(rows_.size());
    present_.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        if (row.record > 0) {
            byRecord_[row.record] = i;
            if (!row.deleted) {
                present_.insert(row.uid);
            }
        }
        if (row.imported) {
            imported_.insert(row.uid);
        }
    }
}

xbase::Status TTaskUids::Load(const std::string& path) {
    rows_.clear();
    if (!Exists(path)) {
        return {xbase::ErrorCode::kOpenFailed, std::string(kUidTableName) + " is missing"};
    }
    AreaScope scope;
    if (sx_Use(path, "QXUIDS", kReadOnly, kDriver) == 0) {
        return EngineFailure(std::string(kUidTableName) + " could not be opened");
    }
    xbase::Status status;
    if (sx_FieldNum(kRecnoField) == 0 || sx_FieldNum(kUidField) == 0 ||
        sx_FieldNum(kMarkField) == 0 || sx_FieldNum(kImportedField) == 0) {
        status = {xbase::ErrorCode::kCorrupt, std::string(kUidTableName) + " lacks its fields"};
    }
    const int records = sx_RecCount();
    for (int n = 1; n <= records && status.ok(); ++n) {
        if (!sx_Go(n)) {
            status = EngineFailure(std::string(kUidTableName) + " could not be read");
            break;
        }
        Row row{static_cast<std::int32_t>(sx_GetLong(kRecnoField)),
                std::string(TrimRight(sx_GetString(kUidField))),
                std::string(TrimRight(sx_GetString(kMarkField))), sx_GetLogical(kImportedField)};
        if (!sx_LastStatus().ok()) {
            status = EngineFailure(std::string(kUidTableName) + " could not be read");
        } else if (row.record < 0 || row.uid.empty()) {
            status = {xbase::ErrorCode::kCorrupt, std::string(kUidTableName) + " record " +
                                                      std::to_string(n) + " holds no UID"};
        } else if (!sx_Deleted()) {
            rows_.push_back(std::move(row));
        }
    }
    sx_Close();
    if (!status.ok()) {
        rows_.clear();
    }
    return status;
}

xbase::Status TTaskUids::OpenReadOnly(const std::string& dir) {
    dir_ = EngineAdaptor::WithDirectoryEnd(dir);
    writable_ = false;
    open_ = true;
    const xbase::Status status = Load(dir_ + rtl::FindFileName(dir_, kUidTableName));
    Index();
    return status;
}

UidReport TTaskUids::OpenForWriting(const std::string& dir) {
    dir_ = EngineAdaptor::WithDirectoryEnd(dir);
    open_ = true;
    writable_ = true;
    UidReport report;
    const std::string path = dir_ + rtl::FindFileName(dir_, kUidTableName);
    const bool missing = !Exists(path);
    const xbase::Status loaded = Load(path);
    // A task file that never had a companion (a new one, or the first start of a version that
    // keeps UIDs) is given its UIDs without a word; a damaged companion is said.
    report.rebuilt = !loaded.ok() && !missing;
    if (report.rebuilt) {
        report.problem = loaded.message();
    }
    std::vector<std::string> descriptions;
    std::vector<bool> deleted;
    if (const xbase::Status read =
            ReadDescriptions(dir_ + rtl::FindFileName(dir_, kTaskTableName), descriptions, deleted);
        !read.ok()) {
        // Without the task file's records nothing can be matched: the rows are only read, and
        // the table is left as it is for the next open.
        writable_ = false;
        Index();
        report.rebuilt = false;
        report.problem = read.message();
        return report;
    }
    const std::int32_t tasks = static_cast<std::int32_t>(descriptions.size());
    std::vector<std::string> uidOf(descriptions.size() + 1);
    std::vector<std::size_t> unmatchedRows;  // in record order, as a pack keeps it
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        if (row.record < 1) {
            continue;
        }
        if (row.record <= tasks && uidOf[static_cast<std::size_t>(row.record)].empty() &&
            row.mark == DescriptionMark(descriptions[static_cast<std::size_t>(row.record) - 1])) {
            uidOf[static_cast<std::size_t>(row.record)] = row.uid;
        } else {
            unmatchedRows.push_back(i);
        }
    }
    std::stable_sort(
        unmatchedRows.begin(), unmatchedRows.end(),
        [this](std::size_t a, std::size_t b) { return rows_[a].record < rows_[b].record; });
    const bool mismatch = std::any_of(unmatchedRows.begin(), unmatchedRows.end(),
                                      [&](std::size_t i) { return rows_[i].record <= tasks; });
    // The rows not matched, by mark, in record order; each task not matched takes the first
    // of its mark that lies after the last one taken, as a pack shifts records down.
    std::unordered_map<std::string, std::deque<std::size_t>> byMark;
    for (std::size_t k = 0; k < unmatchedRows.size(); ++k) {
        byMark[rows_[unmatchedRows[k]].mark].push_back(k);
    }
    std::size_t next = 0;
    std::vector<std::int32_t> unnamed;  // the tasks that get a UID now
    std::vector<Row> fresh;
    fresh.reserve(descriptions.size());
    for (std::int32_t n = 1; n <= tasks; ++n) {
        const std::string mark = DescriptionMark(descriptions[static_cast<std::size_t>(n) - 1]);
        std::string& uid = uidOf[static_cast<std::size_t>(n)];
        if (uid.empty()) {
            auto found = byMark.find(mark);
            while (found != byMark.end() && !found->second.empty() &&
                   found->second.front() < next) {
                found->second.pop_front();
            }
            if (found != byMark.end() && !found->second.empty()) {
                const std::size_t k = found->second.front();
                found->second.pop_front();
                next = k + 1;
                uid = rows_[unmatchedRows[k]].uid;
            } else {
                unnamed.push_back(n);
                ++(mismatch ? report.renewed : report.given);
            }
        }
        fresh.push_back(Row{n, uid, mark, false});
    }
    // A task without a UID gets the one a reader gave it meanwhile, derived from its record
    // number and contents, so that an export before this open and one after agree.
    const std::vector<std::string> derived =
        DeriveUids(dir_ + rtl::FindFileName(dir_, kTaskTableName), unnamed);
    for (std::size_t i = 0; i < unnamed.size(); ++i) {
        fresh[static_cast<std::size_t>(unnamed[i]) - 1].uid = derived[i];
    }
    // The imported marks go with the UIDs, wherever their rows were matched.
    std::unordered_map<std::string, bool> importedByUid;
    for (const Row& row : rows_) {
        if (row.imported) {
            importedByUid[row.uid] = true;
        }
    }
    for (Row& row : fresh) {
        row.imported = importedByUid.contains(row.uid);
        row.deleted = deleted[static_cast<std::size_t>(row.record) - 1];
    }
    // UIDs imported once stay remembered after their task is gone.
    std::unordered_set<std::string> kept;
    kept.reserve(fresh.size());
    for (const Row& row : fresh) {
        kept.insert(row.uid);
    }
    for (const Row& row : rows_) {
        if (row.imported && !kept.contains(row.uid)) {
            fresh.push_back(Row{0, row.uid, {}, true});
            kept.insert(row.uid);
        }
    }
    const bool changed =
        !loaded.ok() || report.given > 0 || report.renewed > 0 || fresh.size() != rows_.size() ||
        !std::equal(fresh.begin(), fresh.end(), rows_.begin(), [](const Row& a, const Row& b) {
            return a.record == b.record && a.uid == b.uid && a.mark == b.mark &&
                   a.imported == b.imported;
        });
    rows_ = std::move(fresh);
    Index();
    if (changed) {
        if (const xbase::Status written = Rewrite(); !written.ok()) {
            report.problem = "Task identities could not be saved: " + written.message();
        }
    }
    return report;
}

std::string TTaskUids::StoredUid(std::int32_t record) const {
    const auto found = byRecord_.find(record);
    return found == byRecord_.end() ? std::string() : rows_[found->second].uid;
}

std::string TTaskUids::UidOf(std::int32_t record, const TaskEntry& entry) const {
    std::string uid = StoredUid(record);
    return uid.empty() ? DerivedUid(record, entry) : uid;
}

bool TTaskUids::WasImported(std::string_view uid) const {
    return imported_.contains(StoredUidForm(uid));
}

bool TTaskUids::IsPresent(std::string_view uid) const {
    return present_.contains(StoredUidForm(uid));
}

xbase::Status TTaskUids::Note(std::int32_t record, std::string_view descript, bool deleted,
                              std::string_view uid, bool imported) {
    if (!open_ || !writable_ || record < 1) {
        return xbase::Status::Ok();
    }
    const std::string mark = DescriptionMark(descript);
    if (const auto found = byRecord_.find(record); found != byRecord_.end()) {
        Row& row = rows_[found->second];
        if (row.deleted != deleted) {
            row.deleted = deleted;
            if (deleted) {
                present_.erase(row.uid);
            } else {
                present_.insert(row.uid);
            }
        }
        if (row.mark == mark) {
            return xbase::Status::Ok();
        }
        row.mark = mark;
        return Update(found->second);
    }
    Row row{record, uid.empty() ? NewRandomUid() : StoredUidForm(uid), mark, imported, deleted};
    rows_.push_back(row);
    byRecord_[record] = rows_.size() - 1;
    if (!deleted) {
        present_.insert(row.uid);
    }
    if (row.imported) {
        imported_.insert(row.uid);
    }
    return Append(row);
}

xbase::Status TTaskUids::SetImported(std::int32_t record, bool imported) {
    const auto found = byRecord_.find(record);
    if (!open_ || !writable_ || found == byRecord_.end() ||
        rows_[found->second].imported == imported) {
        return xbase::Status::Ok();
    }
    rows_[found->second].imported = imported;
    if (imported) {
        imported_.insert(rows_[found->second].uid);
    } else {
        imported_.erase(rows_[found->second].uid);
    }
    return Update(found->second);
}

xbase::Status TTaskUids::Renumber(const std::vector<bool>& deleted) {
    if (!open_ || !writable_) {
        return xbase::Status::Ok();
    }
    std::vector<std::int32_t> newNumber(deleted.size() + 1, 0);
    std::int32_t kept = 0;
    for (std::size_t n = 1; n <= deleted.size(); ++n) {
        newNumber[n] = deleted[n - 1] ? 0 : ++kept;
    }
    std::vector<Row> fresh;
    for (Row row : rows_) {
        const auto old = static_cast<std::size_t>(row.record);
        row.record = row.record > 0 && old < newNumber.size() ? newNumber[old] : 0;
        if (row.record == 0) {
            row.mark.clear();
        }
        if (row.record > 0 || row.imported) {
            fresh.push_back(std::move(row));
        }
    }
    std::stable_sort(fresh.begin(), fresh.end(), [](const Row& a, const Row& b) {
        constexpr std::int32_t kLast = std::numeric_limits<std::int32_t>::max();
        return (a.record == 0 ? kLast : a.record) < (b.record == 0 ? kLast : b.record);
    });
    rows_ = std::move(fresh);
    Index();
    return Rewrite();
}

xbase::Status TTaskUids::Rewrite() {
    const std::string fresh = dir_ + kNewTableName;
    std::remove(fresh.c_str());
    xbase::Status status;
    {
        AreaScope scope;
        if (sx_CreateNew(fresh, "QXUIDNEW", kDriver, 4) == 0 ||
            !sx_CreateField(kRecnoField, "N", 10, 0) ||
            !sx_CreateField(kUidField, "C", kUidWidth, 0) ||
            !sx_CreateField(kMarkField, "C", 8, 0) || !sx_CreateField(kImportedField, "L", 1, 0) ||
            sx_CreateExec() == 0) {
            status = EngineFailure(std::string(kUidTableName) + " could not be made");
        }
        for (std::size_t i = 0; i < rows_.size() && status.ok(); ++i) {
            const Row& row = rows_[i];
            if (!sx_AppendBlank() || !sx_Replace(kRecnoField, SxReplace::kLong, row.record) ||
                !sx_Replace(kUidField, SxReplace::kText, row.uid) ||
                !sx_Replace(kMarkField, SxReplace::kText, row.mark) ||
                !sx_Replace(kImportedField, SxReplace::kLogical, row.imported)) {
                status = EngineFailure(std::string(kUidTableName) + " could not be written");
            }
        }
        if (status.ok() && !sx_Commit()) {
            status = EngineFailure(std::string(kUidTableName) + " could not be written");
        }
        sx_Close();
        sx_ClearLastError();
    }
    if (!status.ok()) {
        std::remove(fresh.c_str());
        return status;
    }
    const std::string target = dir_ + rtl::FindFileName(dir_, kUidTableName);
    std::error_code error;
    fs::rename(fresh, target, error);
    if (error) {
        std::remove(fresh.c_str());
        return {xbase::ErrorCode::kWriteFailed,
                std::string(kUidTableName) + " could not be replaced: " + error.message()};
    }
    return status;
}

xbase::Status TTaskUids::Append(const Row& row) {
    const std::string path = dir_ + rtl::FindFileName(dir_, kUidTableName);
    if (!Exists(path)) {
        return Rewrite();
    }
    xbase::Status status;
    {
        AreaScope scope;
        if (sx_Use(path, "QXUIDS", kExclusive, kDriver) == 0) {
            status = EngineFailure(std::string(kUidTableName) + " could not be opened");
        } else {
            if (!sx_AppendBlank() || !sx_Replace(kRecnoField, SxReplace::kLong, row.record) ||
                !sx_Replace(kUidField, SxReplace::kText, row.uid) ||
                !sx_Replace(kMarkField, SxReplace::kText, row.mark) ||
                !sx_Replace(kImportedField, SxReplace::kLogical, row.imported) || !sx_Commit()) {
                status = EngineFailure(std::string(kUidTableName) + " could not be written");
            }
            sx_Close();
            sx_ClearLastError();
        }
    }
    // A table that takes no more rows is written whole from the rows in memory.
    return status.ok() ? status : Rewrite();
}

xbase::Status TTaskUids::Update(std::size_t index) {
    const std::string path = dir_ + rtl::FindFileName(dir_, kUidTableName);
    xbase::Status status;
    {
        AreaScope scope;
        if (sx_Use(path, "QXUIDS", kExclusive, kDriver) == 0) {
            status = EngineFailure(std::string(kUidTableName) + " could not be opened");
        } else {
            // The rows in memory are the table's live rows in its order.
            const int recordNumber = static_cast<int>(index) + 1;
            if (sx_RecCount() < recordNumber || !sx_Go(recordNumber) ||
                sx_GetLong(kRecnoField) != rows_[index].record ||
                !sx_Replace(kMarkField, SxReplace::kText, rows_[index].mark) ||
                !sx_Replace(kImportedField, SxReplace::kLogical, rows_[index].imported) ||
                !sx_Commit()) {
                status = EngineFailure(std::string(kUidTableName) + " could not be written");
            }
            sx_Close();
            sx_ClearLastError();
        }
    }
    return status.ok() ? status : Rewrite();
}

void TTaskUids::Close() {
    open_ = false;
    writable_ = false;
    rows_.clear();
    Index();
}

}  // namespace store
