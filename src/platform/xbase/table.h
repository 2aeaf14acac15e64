// One open table file: header and fields, records through a read-ahead window, appends,
// header upkeep and the byte-range locks of sharing. Private to the engine.
//
// States of a table:
//   closed --Open--> open --LockHeader--> header locked --(AppendRecord writes, UnlockHeader)-->
//   open open --Close (Flush, header rewritten when changed)--> closed
// In exclusive mode appends collect in a write-behind buffer that Flush writes (records
// first, then the end marker, then the header), so a crash never leaves a count that
// promises records the file does not hold.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/xbase/expr.h"
#include "platform/xbase/file_system.h"
#include "platform/xbase/memo.h"
#include "platform/xbase/status.h"

namespace xbase {

enum class Access { kShared = 0, kReadOnly = 1, kExclusive = 2 };

// A field to create; width and decimals as the caller gave them (checked by Create).
struct FieldSpec {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

// The memo file path for a table path: the extension replaced by FPT, in the same case.
std::string MemoPathFor(const std::string& tablePath);
// Directory part of a path ("" for the current one).
std::string DirectoryOf(const std::string& path);

class Table {
  public:
    ~Table();
    static Status Create(FileSystem& fs, const std::string& path,
                         const std::vector<FieldSpec>& fields, std::uint32_t memoBlockSize);
    // A table whose file holds whole records beyond the count in its header (a count that
    // went wrong, not a record being appended) is opened read-only whatever `access` asks:
    // writing would overwrite those records. hiddenRecords() tells how many there are.
    static Status Open(FileSystem& fs, const std::string& path, Access access,
                       std::unique_ptr<Table>& out);
    // Sets the header's record count from the file's length, after keeping a copy of the
    // file as `path`.bak (which must not exist). `before` and `after` receive the counts.
    static Status RepairCount(FileSystem& fs, const std::string& path, std::uint32_t& before,
                              std::uint32_t& after);

    const std::vector<FieldInfo>& fields() const { return fields_; }
    const std::string& path() const { return path_; }
    Access access() const { return access_; }
    bool writable() const { return access_ != Access::kReadOnly; }
    bool shared() const { return access_ != Access::kExclusive; }
    std::uint8_t fileType() const { return fileType_; }
    std::uint8_t flags() const { return flags_; }
    std::uint8_t codePage() const { return codePage_; }
    std::uint16_t headerLength() const { return headerLength_; }
    std::uint16_t recordLength() const { return recordLength_; }
    bool hasMemo() const { return memo_ != nullptr; }
    MemoFile* memo() { return memo_.get(); }
    // The last-update date of the header: year, month, day.
    void lastUpdate(int& year, int& month, int& day) const;

    // The record count as last known; Refresh re-reads it in shared mode (others append).
    std::uint32_t count() const { return count_; }
    Status RefreshCount();
    // The refusal of a write to a table open read-only, with the reason.
    Status Refused() const;
    // Whole records the file holds beyond the header's count, as found at open.
    std::uint32_t hiddenRecords() const { return hidden_; }

    // The image of record n (1..count), valid until the next call on this table.
    Status Record(std::uint32_t n, const char*& image);
    Status WriteRecord(std::uint32_t n, const char* image);
    // Appends one record; `n` receives its number. A failed append leaves the file as it was.
    Status AppendRecord(const char* image, std::uint32_t& n);
    // Takes back the append of record `n`: the file cut back and the count restored when it is
    // still the last record; else (another process appended after it) it is marked deleted.
    Status UndoAppend(std::uint32_t n);
    // Hands buffered appends and a changed header to the operating system.
    Status Flush();
    // Whether appends wait in the write-behind buffer (exclusive mode).
    bool buffering() const { return !pending_.empty(); }
    // Flush, then make table and memo durable.
    Status Sync();
    // Drops the read-ahead window so that the next read sees other processes' writes.
    // `readAhead` false makes the next reads start small and grow.
    void Invalidate();
    void SetReadAhead(bool turbo) { turbo_ = turbo; }
    // The header bytes as stored (fixed part, descriptors, terminator, backlink).
    Status ReadRawHeader(std::vector<char>& out);
    // Sets or clears header flag bits (the structural index flag) and writes the header.
    Status SetFlags(std::uint8_t flags);

    // Record locks; waits up to `timeoutSeconds` (negative: forever).
    Status LockRecord(std::uint32_t n, int timeoutSeconds);
    void UnlockRecord(std::uint32_t n);
    void UnlockAll();
    bool IsLocked(std::uint32_t n) const { return locked_.count(n) != 0; }
    Status LockHeader(int timeoutSeconds);
    void UnlockHeader();

    // Closes files and releases locks (after Flush); the object is unusable afterwards.
    Status Close();

    // Sets the lock timeout used by appends in shared mode.
    void SetLockTimeout(int seconds) { lockTimeout_ = seconds; }

  private:
    Table() = default;
    Status ReadHeader();
    Status WriteHeader();
    Status FillWindow(std::uint32_t n);
    // Counts the whole records beyond the header's count into hidden_.
    Status CountHidden();
    // Writes `n` bytes at `offset`, the end of the records; when the write fails, the bytes
    // it may have changed are put back and the file cut to its length before.
    Status WriteAtEnd(std::uint64_t offset, const char* bytes, std::size_t n);
    // Ends the file with the end marker at `offset`, the end of the records.
    bool CutAt(std::uint64_t offset);

    FileSystem* fs_ = nullptr;
    std::unique_ptr<File> file_;
    std::unique_ptr<MemoFile> memo_;
    std::string path_;
    Access access_ = Access::kShared;
    std::uint8_t fileType_ = 0;
    std::uint8_t flags_ = 0;
    std::uint8_t codePage_ = 0;
    std::uint8_t update_[3] = {0, 0, 0};
    std::uint16_t headerLength_ = 0;
    std::uint16_t recordLength_ = 0;
    std::vector<FieldInfo> fields_;

    std::uint32_t count_ = 0;      // records, buffered appends included
    std::uint32_t diskCount_ = 0;  // records the header on disk counts
    std::uint32_t hidden_ = 0;     // whole records beyond the count, found at open
    bool headerDirty_ = false;     // the header on disk is behind (count or date)
    bool changed_ = false;         // something was written since open: stamp the date

    std::vector<char> pending_;  // appended records not yet written (exclusive mode)

    std::vector<char> single_;  // the record last read through the file's view
    std::vector<char> window_;  // read-ahead: records windowFirst_ .. +windowCount_-1
    std::uint32_t windowFirst_ = 0;
    std::uint32_t windowCount_ = 0;
    std::uint32_t readAhead_ = 1;  // records the next window fill reads
    std::uint32_t lastRead_ = 0;
    bool turbo_ = false;

    std::set<std::uint32_t> locked_;
    bool headerLocked_ = false;
    int lockTimeout_ = 1;
};

}  // namespace xbase
