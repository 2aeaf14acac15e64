// The compound indexes open on one work area (the structural one first), the order in force
// and its scope: what the sx_* index calls, the moves and the record writes of a work area use.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/xbase/cdx.h"
#include "platform/xbase/status.h"

namespace xbase {

class WorkArea;
class FileSystem;

class AreaIndexes {
  public:
    explicit AreaIndexes(WorkArea& area) : area_(area) {}

    // The structural index's path for a table: the same name with the extension CDX.
    static std::string StructuralPath(const std::string& tablePath);
    // Opens the structural index when the table's header marks one and the file is there.
    Status OpenStructural(FileSystem& fs);
    // Opens another index file; its tags follow the open ones in order numbers. `first`
    // receives the order of its first tag (0 when it has none).
    Status OpenFile(FileSystem& fs, const std::string& path, bool structural, bool create,
                    int& first);
    void CloseAll();
    // Writes every open index's cached changes to its file.
    Status Flush();
    // What is open, so that it can be opened again after the table was replaced (pack).
    struct Remembered {
        std::vector<std::pair<std::string, bool>> files;  // path, structural
        int order = 0;
    };
    Remembered Remember() const;
    Status Reopen(FileSystem& fs, const Remembered& what);

    int OrderCount() const;
    int order() const { return order_; }
    bool SetOrder(int order);  // false (order unchanged) beyond the tags
    int TagArea(std::string_view name) const;
    std::string TagName(int order) const;
    std::string IndexName(int order) const;  // the file of the order
    const TagInfo* Tag(int order) const;
    // The key of the current order for a record image, as text for sx_KeyData.
    std::string KeyData(const char* image, std::uint32_t recNo);

    // Adds a tag to the file `path` (empty: the structural index, created when missing and
    // marked in the table's header) and builds it. `order` receives the new tag's order.
    Status IndexTag(FileSystem& fs, const std::string& path, const TagSpec& spec, int& order,
                    const IndexProgress& progress);
    // Rebuilds every tag of every open file from the table.
    Status RebuildAll(const IndexProgress& progress);
    Status Check(CheckReport& report);
    // The same check in slices of about `budget` records of work (see IndexCheck); `done`
    // turns true at the end, when `report` holds the findings of every file. The call after
    // that starts a new check.
    Status CheckStep(std::uint32_t budget, bool& done, CheckReport& report);
    // Whether an open index file was found half-written by a writer that stopped (its
    // in-progress mark set), or one of our changes failed and could not be taken back.
    bool Interrupted() const;
    // Every stored entry of a tag in its order, and how many there are.
    Status Walk(int order, const std::function<void(std::uint32_t recNo, std::string key)>& visit);
    std::uint64_t KeyCount(int order);

    // Key upkeep of one record write; `oldImage` is null for an append. When it fails, every
    // index is as it was before the call.
    Status Upkeep(std::uint32_t recNo, const char* oldImage, const char* newImage);
    // Marks every index file as being changed, ahead of the table write that Upkeep follows
    // (Flush clears the mark when that write fails).
    Status MarkInProgress(bool untilRebuilt = false);
    // See CompoundIndex::HoldMark; for appends the table still buffers.
    void HoldMark(bool hold);
    // Takes the keys of an appended record out again (`image` as it was appended).
    Status Unkeep(std::uint32_t recNo, const char* image);

    // The sequence of record numbers the current order gives (0 = none).
    bool ordered() const { return order_ > 0; }
    std::uint32_t SeqFirst();
    std::uint32_t SeqLast();
    std::uint32_t SeqNext(std::uint32_t n);
    std::uint32_t SeqPrev(std::uint32_t n);
    // For counts, where the order does not matter: whether the current order holds exactly
    // the records its tag's condition admits (no scope, no unique tag), so that a scan in
    // record order asking InOrder of each record counts the same as a walk of the tag. InOrder
    // asks the tag found by the last CountableInRecordOrder, without looking at the file again.
    bool CountableInRecordOrder();
    Status InOrder(const char* image, std::uint32_t recNo, bool& in);

    // Seeks `key` (text for character tags; for numeric and date tags a number or a date as
    // yyyymmdd, for logical ones T or F) in the current order. `recNo` receives the record the
    // seek lands on, 0 for none.
    Status Seek(std::string_view key, bool soft, bool exact, bool& found, std::uint32_t& recNo);
    void SetScope(std::optional<std::string> low, std::optional<std::string> high);
    // Whether a record's key in the current order matches a seek key as Seek compares.
    bool Matches(const char* image, std::uint32_t recNo, std::string_view key, bool exact);
    // Encodes a key given as text for the tag of `order`.
    bool EncodeKey(int order, std::string_view text, std::string& key) const;

  private:
    struct OpenFileEntry {
        std::string path;
        bool structural = false;
        std::unique_ptr<CompoundIndex> index;
    };
    // The file and its tag number for an order.
    bool Locate(int order, CompoundIndex*& index, int& tag) const;
    IndexTable TableShape() const;
    TagCursor* Cursor();
    // Puts the cursor on record n's entry; false when n has none (then it stands on the next
    // entry, or is invalid).
    bool Sync(std::uint32_t n);

    WorkArea& area_;
    std::vector<OpenFileEntry> files_;
    int order_ = 0;
    std::unique_ptr<TagCursor> cursor_;
    std::vector<std::unique_ptr<IndexCheck>> checks_;  // the sliced check, one per file
    std::size_t checking_ = 0;                         // the file it has reached
    std::optional<std::string> low_;
    std::optional<std::string> high_;
    struct {
        CompoundIndex* index = nullptr;
        int tag = 0;
    } counted_;  // the tag of the count under way (CountableInRecordOrder)
};

// An index failure as the work area answers it: words other than a corruption report's
// (which names the index already) are marked as the index's.
Status FromCdx(const Status& s);

}  // namespace xbase
