// Tables (DBF): strict open, creation, records through a read-ahead window, appends and
// header upkeep, record and header locks.
#include "platform/xbase/table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>

#include "platform/xbase/byte_order.h"
#include "platform/xbase/dbf_format.h"
#include "platform/xbase/lock.h"

namespace xbase {
namespace {

constexpr std::size_t kWindowBytes = 256 * 1024;
constexpr std::size_t kPendingBytes = 256 * 1024;

bool IsMemoType(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

bool KnownFileType(std::uint8_t type) {
    return type == dbf::kTypeNoMemo || type == dbf::kTypeFoxMemo || type == dbf::kTypeVfp ||
           type == dbf::kTypeVfpAuto || type == dbf::kTypeVfpVar;
}

void StampToday(std::uint8_t out[3]) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    out[0] = static_cast<std::uint8_t>((local.tm_year + 1900) % 100);
    out[1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    out[2] = static_cast<std::uint8_t>(local.tm_mday);
}

std::string ReplaceExtension(const std::string& path, const std::string& ext) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "." + ext;
    }
    return path.substr(0, dot + 1) + ext;
}

bool ValidFieldName(const std::string& name) {
    if (name.empty() || name.size() > static_cast<std::size_t>(dbf::kFieldNameMax)) {
        return false;
    }
    if (!((name[0] >= 'A' && name[0] <= 'Z') || name[0] == '_')) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

}  // namespace

std::string MemoPathFor(const std::string& tablePath) {
    std::size_t slash = tablePath.find_last_of('/');
    std::size_t dot = tablePath.find_last_of('.');
    bool lower = false;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
        dot + 1 < tablePath.size()) {
        lower = std::islower(static_cast<unsigned char>(tablePath[dot + 1])) != 0;
    }
    return ReplaceExtension(tablePath, lower ? "fpt" : "FPT");
}

std::string DirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

Table::~Table() {
    Close();
}

Status Table::Create(FileSystem& fs, const std::string& path, const std::vector<FieldSpec>& specs,
                     std::uint32_t memoBlockSize) {
    if (specs.empty() || specs.size() > static_cast<std::size_t>(dbf::kMaxFields)) {
        return {ErrorCode::kBadArgument, "a table needs 1 to 255 fields"};
    }
    std::vector<FieldSpec> fields = specs;
    std::set<std::string> names;
    std::uint32_t recordLength = 1;
    bool memo = false;
    for (FieldSpec& f : fields) {
        for (char& c : f.name) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
        if (!ValidFieldName(f.name) || !names.insert(f.name).second) {
            return {ErrorCode::kBadArgument, "bad or repeated field name \"" + f.name + "\""};
        }
        switch (f.type) {
            case 'C':
                if (f.width < 1 || f.width > 254) {
                    return {ErrorCode::kBadArgument, "field " + f.name + ": width 1 to 254"};
                }
                f.decimals = 0;
                break;
            case 'N':
            case 'F':
                if (f.width < 1 || f.width > 20 || f.decimals < 0 ||
                    (f.decimals > 0 && f.decimals > f.width - 2) || f.decimals > 15) {
                    return {ErrorCode::kBadArgument, "field " + f.name + ": bad width/decimals"};
                }
                break;
            case 'D':
                f.width = 8;
                f.decimals = 0;
                break;
            case 'L':
                f.width = 1;
                f.decimals = 0;
                break;
            case 'M':
                f.width = 10;
                f.decimals = 0;
                memo = true;
                break;
            default:
                return {ErrorCode::kBadArgument,
                        "field " + f.name + ": type must be C, N, F, D, L or M"};
        }
        recordLength += static_cast<std::uint32_t>(f.width);
    }
    if (recordLength > dbf::kMaxRecordLength) {
        return {ErrorCode::kBadArgument, "record too long"};
    }

    std::uint32_t headerLength =
        dbf::kHeaderSize + dbf::kFieldSize * static_cast<std::uint32_t>(fields.size()) + 1;
    std::vector<char> bytes(headerLength + 1, 0);
    bytes[dbf::kOffType] = static_cast<char>(memo ? dbf::kTypeFoxMemo : dbf::kTypeNoMemo);
    StampToday(reinterpret_cast<std::uint8_t*>(bytes.data() + dbf::kOffUpdate));
    PutLE32(bytes.data() + dbf::kOffRecCount, 0);
    PutLE16(bytes.data() + dbf::kOffHeaderLength, static_cast<std::uint16_t>(headerLength));
    PutLE16(bytes.data() + dbf::kOffRecordLength, static_cast<std::uint16_t>(recordLength));
    bytes[dbf::kOffCodePage] = static_cast<char>(dbf::kCodePage1252);
    std::uint32_t offset = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        char* d = bytes.data() + dbf::kHeaderSize + dbf::kFieldSize * i;
        std::memcpy(d + dbf::kFieldOffName, fields[i].name.data(), fields[i].name.size());
        d[dbf::kFieldOffType] = fields[i].type;
        PutLE32(d + dbf::kFieldOffOffset, offset);
        d[dbf::kFieldOffWidth] = static_cast<char>(fields[i].width);
        d[dbf::kFieldOffDecimals] = static_cast<char>(fields[i].decimals);
        offset += static_cast<std::uint32_t>(fields[i].width);
    }
    bytes[headerLength - 1] = dbf::kHeaderTerminator;
    bytes[headerLength] = dbf::kEndOfFile;

    // Both files are written under temporary names and renamed into place, memo first, so
    // that a table never exists without its memo file.
    std::string memoPath = MemoPathFor(path);
    if (memo) {
        std::string tmp = memoPath + ".new";
        if (Status s = MemoFile::Create(fs, tmp, memoBlockSize); !s) {
            fs.Remove(tmp);
            return s;
        }
        if (!fs.Rename(tmp, memoPath)) {
            fs.Remove(tmp);
            return {ErrorCode::kWriteFailed, "cannot create " + memoPath};
        }
    }
    std::string tmp = path + ".new";
    fs.Remove(tmp);
    auto file = fs.Open(tmp, OpenMode::kCreate);
    if (!file) {
        return {ErrorCode::kOpenFailed, "cannot create " + path};
    }
    bool ok = file->WriteAt(0, bytes.data(), bytes.size()) && file->Sync();
    file.reset();
    if (!ok || !fs.Rename(tmp, path)) {
        fs.Remove(tmp);
        return WriteFailure(path);
    }
    // An index left by a table of the same name describes records that are gone.
    fs.Remove(ReplaceExtension(path, "CDX"));
    fs.Remove(ReplaceExtension(path, "cdx"));
    fs.SyncDirectory(DirectoryOf(path));
    return Status::Ok();
}

Status Table::Open(FileSystem& fs, const std::string& path, Access access,
                   std::unique_ptr<Table>& out) {
    std::unique_ptr<Table> t(new Table());
    t->fs_ = &fs;
    t->path_ = path;
    t->access_ = access;
    t->file_ =
        fs.Open(path, access == Access::kReadOnly ? OpenMode::kReadOnly : OpenMode::kReadWrite);
    if (!t->file_) {
        return {ErrorCode::kOpenFailed, "cannot open " + path};
    }
    LockKind kind = access == Access::kExclusive ? LockKind::kExclusive : LockKind::kShared;
    if (!t->file_->Lock(dbf::kOpenLockByte, 1, kind, false)) {
        return {ErrorCode::kOpenFailed, path + " is in use by another"};
    }
    if (Status s = t->ReadHeader(); !s) {
        return s;
    }
    if (Status s = t->CountHidden(); !s) {
        return s;
    }
    if (t->hidden_ != 0 && t->shared() && access != Access::kReadOnly) {
        // An append of another process writes its record before the header that counts it:
        // look again once no append is under way.
        if (Status s = t->LockHeader(t->lockTimeout_); !s) {
            return s;
        }
        Status s = t->ReadHeader();
        if (s) {
            s = t->CountHidden();
        }
        t->UnlockHeader();
        if (!s) {
            return s;
        }
    }
    if (t->hidden_ != 0) {
        t->access_ = Access::kReadOnly;
    }
    bool memo = std::any_of(t->fields_.begin(), t->fields_.end(),
                            [](const FieldInfo& f) { return IsMemoType(f.type); });
    if (memo) {
        std::string memoPath = MemoPathFor(path);
        if (std::string found = fs.FindIgnoringCase(memoPath); !found.empty()) {
            memoPath = found;
        }
        if (Status s = MemoFile::Open(fs, memoPath, t->writable(), t->shared(), t->memo_); !s) {
            return s;
        }
    }
    t->readAhead_ = t->shared() ? 1 : std::max<std::uint32_t>(1, kWindowBytes / t->recordLength_);
    out = std::move(t);
    return Status::Ok();
}

Status Table::ReadHeader() {
    std::uint64_t fileSize = 0;
    if (!file_->Size(fileSize)) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    unsigned char fixed[dbf::kHeaderSize];
    std::size_t got = 0;
    if (!file_->ReadAt(0, fixed, sizeof fixed, got)) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    if (got < sizeof fixed) {
        return XBASE_CORRUPT(path_ + ": shorter than a table header");
    }
    fileType_ = fixed[dbf::kOffType];
    if (!KnownFileType(fileType_)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", fileType_);
        return {ErrorCode::kNotTable,
                path_ + ": not a table of this family (type " + std::string(hex) + ")"};
    }
    std::memcpy(update_, fixed + dbf::kOffUpdate, 3);
    std::uint32_t count = GetLE32(fixed + dbf::kOffRecCount);
    headerLength_ = GetLE16(fixed + dbf::kOffHeaderLength);
    recordLength_ = GetLE16(fixed + dbf::kOffRecordLength);
    flags_ = fixed[dbf::kOffFlags];
    codePage_ = fixed[dbf::kOffCodePage];
    if (headerLength_ < dbf::kHeaderSize + dbf::kFieldSize + 1) {
        return XBASE_CORRUPT(path_ + ": header length " + std::to_string(headerLength_) +
                             " too small");
    }
    if (headerLength_ > fileSize) {
        return XBASE_CORRUPT(path_ + ": header length beyond the end of the file");
    }
    if (recordLength_ < 2) {
        return XBASE_CORRUPT(path_ + ": record length too small");
    }
    std::vector<unsigned char> header(headerLength_);
    if (!file_->ReadAt(0, header.data(), header.size(), got) || got != header.size()) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    fields_.clear();
    std::uint32_t offset = 1;
    for (std::size_t pos = dbf::kHeaderSize;
         pos < headerLength_ && header[pos] != static_cast<unsigned char>(dbf::kHeaderTerminator);
         pos += dbf::kFieldSize) {
        if (pos + dbf::kFieldSize > headerLength_) {
            return XBASE_CORRUPT(path_ + ": field descriptor cut off by the header length");
        }
        const unsigned char* d = header.data() + pos;
        FieldInfo f;
        for (int i = 0; i <= dbf::kFieldNameMax && d[i] != 0; ++i) {
            f.name.push_back(static_cast<char>(std::toupper(d[i])));
        }
        while (!f.name.empty() && f.name.back() == ' ') {
            f.name.pop_back();
        }
        if (f.name.size() > static_cast<std::size_t>(dbf::kFieldNameMax)) {
            f.name.resize(dbf::kFieldNameMax);
        }
        f.type = static_cast<char>(std::toupper(d[dbf::kFieldOffType]));
        f.offset = offset;
        f.length = d[dbf::kFieldOffWidth];
        f.decimals = d[dbf::kFieldOffDecimals];
        if (f.name.empty()) {
            return XBASE_CORRUPT(path_ + ": a field without a name");
        }
        if (f.length == 0) {
            return XBASE_CORRUPT(path_ + ": field " + f.name + " has width 0");
        }
        if (fields_.size() >= static_cast<std::size_t>(dbf::kMaxFields)) {
            return XBASE_CORRUPT(path_ + ": more than 255 fields");
        }
        offset += f.length;
        fields_.push_back(std::move(f));
    }
    if (fields_.empty()) {
        return XBASE_CORRUPT(path_ + ": no fields");
    }
    if (offset != recordLength_) {
        return XBASE_CORRUPT(path_ + ": record length " + std::to_string(recordLength_) +
                             " does not match the fields (" + std::to_string(offset) + ")");
    }
    if (std::uint64_t{headerLength_} + std::uint64_t{count} * recordLength_ > fileSize) {
        return XBASE_CORRUPT(path_ + ": " + std::to_string(count) +
                             " records promised, the file is shorter");
    }
    count_ = diskCount_ = count;
    return Status::Ok();
}

Status Table::CountHidden() {
    hidden_ = 0;
    std::uint64_t fileSize = 0;
    if (!file_->Size(fileSize)) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    std::uint64_t end = std::uint64_t{headerLength_} + std::uint64_t{diskCount_} * recordLength_;
    std::uint64_t tail = fileSize - end;
    if (tail < recordLength_) {
        return Status::Ok();
    }
    unsigned char last = 0;
    std::size_t got = 0;
    if (!file_->ReadAt(fileSize - 1, &last, 1, got) || got != 1) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    if (last == static_cast<unsigned char>(dbf::kEndOfFile)) {
        --tail;
    }
    hidden_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(tail / recordLength_, dbf::kMaxRecords));
    return Status::Ok();
}

Status Table::Refused() const {
    if (hidden_ != 0) {
        return {ErrorCode::kReadOnly,
                path_ + ": the header counts " + std::to_string(diskCount_) +
                    " records but the file holds " + std::to_string(hidden_) +
                    " more; it is open read-only so that they are not overwritten (xbtool "
                    "repair sets the count from the file's length)"};
    }
    return {ErrorCode::kReadOnly, path_ + " is open read-only"};
}

Status Table::RepairCount(FileSystem& fs, const std::string& path, std::uint32_t& before,
                          std::uint32_t& after) {
    std::unique_ptr<Table> t;
    if (Status s = Open(fs, path, Access::kExclusive, t); !s) {
        return s;
    }
    before = after = t->diskCount_;
    if (t->hidden_ == 0) {
        return Status::Ok();
    }
    std::string backup = path + ".bak";
    if (fs.Exists(backup)) {
        return {ErrorCode::kOpenFailed, backup + " exists already: move it away first"};
    }
    std::uint64_t size = 0;
    if (!t->file_->Size(size)) {
        return {ErrorCode::kReadFailed, "cannot read " + path};
    }
    std::vector<char> bytes(static_cast<std::size_t>(size));
    std::size_t got = 0;
    if (!t->file_->ReadAt(0, bytes.data(), bytes.size(), got) || got != bytes.size()) {
        return {ErrorCode::kReadFailed, "cannot read " + path};
    }
    auto copy = fs.Open(backup, OpenMode::kCreate);
    if (!copy || !copy->WriteAt(0, bytes.data(), bytes.size()) || !copy->Sync()) {
        Status s = WriteFailure(backup);
        copy.reset();
        fs.Remove(backup);
        return s;
    }
    copy.reset();
    fs.SyncDirectory(DirectoryOf(path));
    unsigned char count[4];
    after = t->diskCount_ + t->hidden_;
    PutLE32(count, after);
    if (!t->file_->WriteAt(dbf::kOffRecCount, count, sizeof count) || !t->file_->Sync()) {
        return WriteFailure(path);
    }
    t->file_.reset();  // nothing else of the table's state is to be written back
    return Status::Ok();
}

void Table::lastUpdate(int& year, int& month, int& day) const {
    year = update_[0] < 80 ? 2000 + update_[0] : 1900 + update_[0];
    month = update_[1];
    day = update_[2];
}

Status Table::RefreshCount() {
    if (!shared() || !file_) {
        return Status::Ok();
    }
    unsigned char bytes[4];
    std::size_t got = 0;
    if (!file_->ReadAt(dbf::kOffRecCount, bytes, sizeof bytes, got) || got != sizeof bytes) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    std::uint32_t count = GetLE32(bytes);
    if (count != diskCount_) {
        std::uint64_t fileSize = 0;
        if (!file_->Size(fileSize)) {
            return {ErrorCode::kReadFailed, "cannot read " + path_};
        }
        if (std::uint64_t{headerLength_} + std::uint64_t{count} * recordLength_ > fileSize) {
            return XBASE_CORRUPT(path_ + ": record count beyond the end of the file");
        }
        if (count < diskCount_) {
            Invalidate();  // packed or truncated by another: the window may be stale
            windowCount_ = 0;
        }
        diskCount_ = count_ = count;
    }
    return Status::Ok();
}

void Table::Invalidate() {
    if (shared() && !turbo_) {
        windowCount_ = 0;
        readAhead_ = 1;
    }
}

Status Table::FillWindow(std::uint32_t n) {
    std::uint32_t maxRecords = std::max<std::uint32_t>(1, kWindowBytes / recordLength_);
    std::uint32_t want = (shared() && !turbo_) ? readAhead_ : maxRecords;
    std::uint32_t first = n;
    if (windowCount_ != 0 && n + 1 == windowFirst_) {
        first = n >= want ? n - want + 1 : 1;  // walking backwards: read the records before
    }
    std::uint32_t last = std::min<std::uint32_t>(diskCount_, first + want - 1);
    std::uint32_t records = last - first + 1;
    window_.resize(std::size_t{records} * recordLength_);
    std::size_t got = 0;
    std::uint64_t offset = headerLength_ + std::uint64_t{first - 1} * recordLength_;
    if (!file_->ReadAt(offset, window_.data(), window_.size(), got)) {
        windowCount_ = 0;
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    if (got != window_.size()) {
        windowCount_ = 0;
        return XBASE_CORRUPT(path_ + ": records missing at the end of the file");
    }
    windowFirst_ = first;
    windowCount_ = records;
    if (shared() && !turbo_) {
        readAhead_ = std::min(maxRecords, readAhead_ * 2);
    }
    return Status::Ok();
}

Status Table::Record(std::uint32_t n, const char*& image) {
    if (n == 0 || n > count_) {
        return {ErrorCode::kBadArgument, "record " + std::to_string(n) + " does not exist"};
    }
    if (n > diskCount_) {
        image = pending_.data() + std::size_t{n - diskCount_ - 1} * recordLength_;
        return Status::Ok();
    }
    // From the file's view when it has one: no system call, and always what the file holds
    // now, so neither sharing nor the order of reads needs a window. The copy is made through
    // ReadAt, which survives a file another program shortened.
    std::uint64_t offset = headerLength_ + std::uint64_t{n - 1} * recordLength_;
    if (file_->ViewAt(offset, recordLength_) != nullptr) {
        single_.resize(recordLength_);
        std::size_t got = 0;
        if (!file_->ReadAt(offset, single_.data(), recordLength_, got)) {
            return {ErrorCode::kReadFailed, "cannot read " + path_};
        }
        if (got != recordLength_) {
            return XBASE_CORRUPT(path_ + ": records missing at the end of the file");
        }
        image = single_.data();
        return Status::Ok();
    }
    if (windowCount_ == 0 || n < windowFirst_ || n >= windowFirst_ + windowCount_) {
        if (Status s = FillWindow(n); !s) {
            return s;
        }
    }
    image = window_.data() + std::size_t{n - windowFirst_} * recordLength_;
    return Status::Ok();
}

Status Table::WriteRecord(std::uint32_t n, const char* image) {
    if (!writable()) {
        return Refused();
    }
    if (n == 0 || n > count_) {
        return {ErrorCode::kBadArgument, "record " + std::to_string(n) + " does not exist"};
    }
    changed_ = true;
    if (n > diskCount_) {
        std::memcpy(pending_.data() + std::size_t{n - diskCount_ - 1} * recordLength_, image,
                    recordLength_);
        return Status::Ok();
    }
    std::uint64_t offset = headerLength_ + std::uint64_t{n - 1} * recordLength_;
    if (!file_->WriteAt(offset, image, recordLength_)) {
        windowCount_ = 0;
        return WriteFailure(path_);
    }
    if (windowCount_ != 0 && n >= windowFirst_ && n < windowFirst_ + windowCount_) {
        std::memcpy(window_.data() + std::size_t{n - windowFirst_} * recordLength_, image,
                    recordLength_);
    }
    return Status::Ok();
}

Status Table::AppendRecord(const char* image, std::uint32_t& n) {
    if (!writable()) {
        return Refused();
    }
    if (count_ >= dbf::kMaxRecords ||
        std::uint64_t{headerLength_} + (std::uint64_t{count_} + 1) * recordLength_ + 1 >=
            dbf::kHeaderLockByte - count_ - 1) {
        return {ErrorCode::kWriteFailed, path_ + " is full"};
    }
    changed_ = true;
    if (!shared()) {
        pending_.insert(pending_.end(), image, image + recordLength_);
        n = ++count_;
        headerDirty_ = true;
        if (pending_.size() >= kPendingBytes) {
            return Flush();
        }
        return Status::Ok();
    }
    // Shared: under the header lock, learn the count others left, then write the record and
    // its end marker before the header that counts it.
    if (Status s = LockHeader(lockTimeout_); !s) {
        return s;
    }
    Status result = RefreshCount();
    if (result) {
        std::vector<char> bytes(image, image + recordLength_);
        bytes.push_back(dbf::kEndOfFile);
        std::uint64_t offset = headerLength_ + std::uint64_t{diskCount_} * recordLength_;
        result = WriteAtEnd(offset, bytes.data(), bytes.size());
        if (result) {
            ++diskCount_;
            count_ = diskCount_;
            headerDirty_ = true;
            result = WriteHeader();
            if (!result) {
                --diskCount_;
                count_ = diskCount_;
                CutAt(offset);  // the record goes again
            } else {
                n = count_;
            }
        }
    }
    UnlockHeader();
    return result;
}

Status Table::WriteAtEnd(std::uint64_t offset, const char* bytes, std::size_t n) {
    std::uint64_t size = 0;
    if (!file_->Size(size)) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    std::vector<char> before(static_cast<std::size_t>(size > offset ? std::min<std::uint64_t>(size - offset, n) : 0));
    std::size_t got = 0;
    if (!before.empty() && (!file_->ReadAt(offset, before.data(), before.size(), got) ||
                            got != before.size())) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    errno = 0;
    if (file_->WriteAt(offset, bytes, n)) {
        return Status::Ok();
    }
    Status why = WriteFailure(path_);
    if (!before.empty()) {
        file_->WriteAt(offset, before.data(), before.size());
    }
    file_->Truncate(size);
    return why;
}

bool Table::CutAt(std::uint64_t offset) {
    char marker = dbf::kEndOfFile;
    return file_->WriteAt(offset, &marker, 1) && file_->Truncate(offset + 1);
}

Status Table::UndoAppend(std::uint32_t n) {
    if (n == count_ && n > diskCount_) {  // still in the write-behind buffer
        pending_.resize(pending_.size() - recordLength_);
        --count_;
        return Status::Ok();
    }
    if (Status s = LockHeader(lockTimeout_); !s) {
        return s;
    }
    Status result = RefreshCount();
    if (result && n == diskCount_) {
        diskCount_ = count_ = n - 1;
        result = WriteHeader();
        if (result) {
            errno = 0;
            if (!CutAt(headerLength_ + std::uint64_t{diskCount_} * recordLength_)) {
                result = WriteFailure(path_);
            }
        } else {
            diskCount_ = count_ = n;
        }
    } else if (result) {
        char deleted = dbf::kDeleted;
        errno = 0;
        if (!file_->WriteAt(headerLength_ + std::uint64_t{n - 1} * recordLength_, &deleted, 1)) {
            result = WriteFailure(path_);
        }
    }
    UnlockHeader();
    windowCount_ = 0;
    return result;
}

Status Table::WriteHeader() {
    unsigned char bytes[8];
    bytes[0] = fileType_;
    if (changed_) {
        StampToday(update_);
    }
    std::memcpy(bytes + dbf::kOffUpdate, update_, 3);
    PutLE32(bytes + dbf::kOffRecCount, diskCount_);
    if (!file_->WriteAt(0, bytes, sizeof bytes)) {
        return WriteFailure(path_);
    }
    headerDirty_ = false;
    return Status::Ok();
}

Status Table::Flush() {
    if (!file_ || !writable()) {
        return Status::Ok();
    }
    if (!pending_.empty()) {
        std::uint64_t offset = headerLength_ + std::uint64_t{diskCount_} * recordLength_;
        pending_.push_back(dbf::kEndOfFile);
        Status written = WriteAtEnd(offset, pending_.data(), pending_.size());
        pending_.pop_back();
        if (!written) {
            return written;
        }
        diskCount_ = count_;
        pending_.clear();
        headerDirty_ = true;
    }
    if (!headerDirty_) {
        return Status::Ok();
    }
    if (!shared() || headerLocked_) {
        return WriteHeader();
    }
    // Another process may have appended since we last looked: never write back a count
    // older than the one on disk.
    if (Status s = LockHeader(lockTimeout_); !s) {
        return s;
    }
    Status result = RefreshCount();
    if (result) {
        result = WriteHeader();
    }
    UnlockHeader();
    return result;
}

Status Table::Sync() {
    if (Status s = Flush(); !s) {
        return s;
    }
    if (!writable()) {
        return Status::Ok();
    }
    if (memo_) {
        if (Status s = memo_->Sync(); !s) {
            return s;
        }
    }
    if (!file_->Sync()) {
        return WriteFailure(path_);
    }
    return Status::Ok();
}

Status Table::ReadRawHeader(std::vector<char>& out) {
    out.resize(headerLength_);
    std::size_t got = 0;
    if (!file_->ReadAt(0, out.data(), out.size(), got) || got != out.size()) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    return Status::Ok();
}

Status Table::SetFlags(std::uint8_t flags) {
    if (!writable()) {
        return Refused();
    }
    unsigned char byte = flags;
    if (!file_->WriteAt(dbf::kOffFlags, &byte, 1)) {
        return WriteFailure(path_);
    }
    flags_ = flags;
    return Status::Ok();
}

Status Table::LockRecord(std::uint32_t n, int timeoutSeconds) {
    if (locked_.count(n) != 0) {
        return Status::Ok();
    }
    if (shared() &&
        !LockWithin(*file_, dbf::RecordLockByte(n), 1, LockKind::kExclusive, timeoutSeconds)) {
        return {ErrorCode::kLockFailed, "record " + std::to_string(n) + " is locked by another"};
    }
    locked_.insert(n);
    return Status::Ok();
}

void Table::UnlockRecord(std::uint32_t n) {
    if (locked_.erase(n) != 0 && shared()) {
        file_->Unlock(dbf::RecordLockByte(n), 1);
    }
}

void Table::UnlockAll() {
    while (!locked_.empty()) {
        UnlockRecord(*locked_.begin());
    }
}

Status Table::LockHeader(int timeoutSeconds) {
    if (headerLocked_ || !shared()) {
        return Status::Ok();
    }
    if (!LockWithin(*file_, dbf::kHeaderLockByte, 1, LockKind::kExclusive, timeoutSeconds)) {
        return {ErrorCode::kLockFailed, path_ + ": the header is locked by another"};
    }
    headerLocked_ = true;
    return Status::Ok();
}

void Table::UnlockHeader() {
    if (headerLocked_) {
        file_->Unlock(dbf::kHeaderLockByte, 1);
        headerLocked_ = false;
    }
}

Status Table::Close() {
    if (!file_) {
        return Status::Ok();
    }
    if (changed_ && writable()) {
        headerDirty_ = true;
    }
    Status s = Flush();
    UnlockAll();
    UnlockHeader();
    memo_.reset();
    file_.reset();
    return s;
}

}  // namespace xbase
