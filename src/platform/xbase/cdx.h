// Compound index files: a tag directory of B+trees in one file, the tags' keys computed from
// table records through xBase expressions, cursors over a tag, rebuild and consistency check.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase/expr.h"
#include "platform/xbase/file_system.h"
#include "platform/xbase/status.h"

namespace xbase {

// kInteger: a tag whose key is one I field by itself; its keys are 4 bytes wide.
enum class KeyType { kCharacter, kNumeric, kDate, kLogical, kInteger };

// Key encodings: unsigned bytewise order of the results is the order of the values.
std::string EncodeNumericKey(double value);
// A date as its Julian day number; 0 is the blank date, before every real one.
std::string EncodeDateKey(double julianDay);
std::string EncodeLogicalKey(bool value);
// A 32-bit integer, big-endian with the sign bit flipped.
std::string EncodeIntegerKey(std::int32_t value);
double DecodeNumericKey(std::string_view key);  // also decodes date keys to the day number
// A key as a person reads it: character keys without trailing blanks, numbers and dates as
// their values (dates as yyyymmdd, blank as 8 blanks trimmed to ""), logicals as T or F.
std::string KeyToText(KeyType type, std::string_view key);

// The table an index belongs to, as its key expressions see it.
struct IndexTable {
    std::vector<FieldInfo> fields;
    std::string alias;
    std::uint32_t recordLength = 0;  // deletion flag included
};

// How the index reaches the table's records for builds and checks.
class IndexRecords {
  public:
    virtual ~IndexRecords() = default;
    virtual std::uint32_t RecordCount() = 0;
    // Record `recno` (1-based), valid until the next call; null when it cannot be read.
    virtual const RecordSource* Record(std::uint32_t recno) = 0;
};

// Called with the percentage done of the tag being built (0 to 100, rising).
using IndexProgress = std::function<void(int percent)>;

struct TagSpec {
    std::string name;       // at most 10 characters; stored in upper case
    std::string key;        // key expression
    std::string condition;  // FOR expression, empty for none
    bool unique = false;
    bool descending = false;
};

struct TagInfo {
    std::string name;
    std::string key;
    std::string condition;
    bool unique = false;
    bool descending = false;
    KeyType type = KeyType::kCharacter;
    std::uint16_t keyLength = 0;
    // Why the tag's keys cannot be computed from the table (its key or FOR expression names
    // what the table does not hold), empty when they can. Such a tag is listed and counted,
    // but not walked, sought, checked or kept: the engine cannot know what it holds.
    std::string unreadable;
};

struct CheckProblem {
    enum class Kind { kMissing, kExtra, kMisordered, kStructure, kUnreadable };
    Kind kind = Kind::kMissing;
    std::string tag;
    std::uint32_t recno = 0;
    std::string key;     // as text
    std::string detail;  // kStructure, kUnreadable: what is wrong
};

struct CheckReport {
    std::vector<CheckProblem> problems;  // at most a few per tag and kind
    std::uint64_t missing = 0;
    std::uint64_t extra = 0;
    std::uint64_t misordered = 0;
    std::uint64_t structural = 0;
    std::uint64_t unreadable = 0;  // tags whose keys the engine cannot compute
    bool ok() const {
        return missing == 0 && extra == 0 && misordered == 0 && structural == 0 && unreadable == 0;
    }
};

class CompoundIndex;

// A check of every tag of one index against the table, done in slices so that a window can
// run it in idle time (CompoundIndex::StartCheck). Per tag it walks the tree once (one
// slice: every key, its order, its record number in range and not met twice), then checks
// the records a slice at a time: each record's key as the tag's expressions give it must be
// stored for that record, and a record the tag leaves out must have none. A change to the
// index (ours or another process's) or to the record count between slices starts it again.
class IndexCheck {
  public:
    ~IndexCheck();
    // Does about `budget` records' worth of work; `done` turns true when every tag has been
    // checked, and then report() holds the findings.
    Status Step(IndexRecords& records, std::uint32_t budget, bool& done);
    const CheckReport& report() const;

  private:
    friend class CompoundIndex;
    struct State;
    explicit IndexCheck(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// A position in one tag, presented in the tag's order (descending tags from the greatest key).
// It follows changes made to the index meanwhile: a move continues from the key it stood on.
class TagCursor {
  public:
    ~TagCursor();
    Status First();
    Status Last();
    Status Next();
    Status Prior();
    // Character keys may be shorter than the key length and then match as a prefix; with
    // `exact` they must match the whole key once padded with blanks. Found: on the first
    // matching key in the tag's order. Not found: with `soft`, on the next key in the tag's
    // order (invalid when none); else invalid.
    Status Seek(std::string_view key, bool soft, bool exact, bool& found);
    // Positions on the entry of record `recno` with key `key` (the key it has in this tag).
    Status SeekRecord(std::string_view key, std::uint32_t recno, bool& found);
    // Limits every move to keys between `low` and `high` (prefix comparison, either may be
    // absent). The position is not moved.
    void SetScope(std::optional<std::string> low, std::optional<std::string> high);
    bool Valid() const;
    std::uint32_t RecNo() const;
    const std::string& Key() const;  // full key bytes of the current entry

  private:
    friend class CompoundIndex;
    struct State;
    explicit TagCursor(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

class CompoundIndex {
  public:
    ~CompoundIndex();
    CompoundIndex(const CompoundIndex&) = delete;
    CompoundIndex& operator=(const CompoundIndex&) = delete;

    // Writes a new index with no tags into `file` (which should be empty).
    static Status Create(std::unique_ptr<File> file, const IndexTable& table,
                         std::unique_ptr<CompoundIndex>& out);
    // Opens an existing index: checks the directory and every tag's header and root. A tag
    // whose expressions do not compile against `table` (another program's tag naming a field
    // by a name the table does not hold) opens marked unreadable (TagInfo). With `shared`
    // every operation takes the index lock and notices other processes' changes.
    static Status Open(std::unique_ptr<File> file, const IndexTable& table, bool shared,
                       std::unique_ptr<CompoundIndex>& out);

    // Tags in creation order; orders are 1-based.
    int TagCount() const;
    const TagInfo& Tag(int order) const;
    int FindTag(std::string_view name) const;  // 0 when absent; case does not matter

    // Adds a tag (replacing one of the same name) and builds it from `records`; returns its
    // order in `order`.
    Status AddTag(const TagSpec& spec, IndexRecords& records, const IndexProgress& progress,
                  int& order);
    Status RemoveTag(std::string_view name);
    // Builds one tag, or every tag (order 0), from scratch: sort, then bottom-up.
    Status Rebuild(int order, IndexRecords& records, const IndexProgress& progress);

    // Key upkeep for one record: `before` is its image before the change (null for an
    // append), `after` the image now. Every tag is updated.
    Status UpdateRecord(std::uint32_t recno, const RecordSource* before, const RecordSource& after);
    // Takes every key of record `recno`, whose image is `before`, out of every tag: the
    // undoing of an append.
    Status RemoveRecord(std::uint32_t recno, const RecordSource& before);
    // The key that tag `order` gives `record`; `included` false when its FOR condition
    // leaves the record out.
    Status KeyOf(int order, const RecordSource& record, std::string& key, bool& included);
    std::uint64_t KeyCount(int order);
    // Whether tag `order`'s FOR condition admits `record`, on the tags as last loaded (no
    // look at the file): for scans that stand in for a walk of the tag.
    Status Admits(int order, const RecordSource& record, bool& admitted);

    // Every tag against the records: missing, extra and misordered keys, broken structure.
    Status Check(IndexRecords& records, CheckReport& report);
    // The same check in slices; the index must outlive the check.
    std::unique_ptr<IndexCheck> StartCheck();
    // Walks every tag's tree and reports the first structural fault.
    Status Verify();

    std::unique_ptr<TagCursor> NewCursor(int order);
    // Writes cached changes to the file (and clears the in-progress mark).
    Status Flush();
    // Sets the in-progress mark ahead of a change of the table that the tags must follow, so
    // that a writer stopped between the two leaves the index known as behind. With
    // `untilRebuilt` (a pack renumbers every record) only a rebuild of every tag clears it.
    Status MarkInProgress(bool untilRebuilt = false);
    // While on, the mark once set stays set: the table has records the tags name still to
    // write. Off, the next Flush clears it.
    void HoldMark(bool hold);
    // Whether a writer was found to have left the file half-written (its in-progress mark
    // set at open or at a reload), or a change of ours failed and could not be taken back:
    // the tags may disagree with the table, and a rebuild is due.
    bool Interrupted() const;

    struct Impl;

  private:
    explicit CompoundIndex(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace xbase
