// Private pieces of the compound index: the page cache with its free-page list, decoded leaf
// and interior nodes, and the B+tree of one tag (search, insert, remove, bottom-up build).
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/xbase/cdx_format.h"
#include "platform/xbase/file_system.h"

namespace xbase::cdx {

// Pages of one index file, cached and written back on Flush (or when evicted).
//
// A change on its way to the file is bracketed by the in-progress mark (hdr::kInProgress):
// set before the first page of a change is written, cleared once every dirty page is, so an
// index a writer left half-written is known as such at the next open. Until the mark is
// cleared the pager keeps the image every written page had before (its journal), so that a
// change whose writes failed can be taken back and the file left as it was.
class Pager {
  public:
    explicit Pager(File& file) : file_(file) {}
    Status Open();  // learns the file size
    std::uint64_t FileSize() const { return fileSize_; }
    Status Read(std::uint32_t offset, Page& out);
    Status Write(std::uint32_t offset, const Page& page);
    // A page from the free list, else a new one at the end of the file.
    Status Allocate(std::uint32_t& offset);
    // `count` contiguous new pages at the end of the file (tag headers need two).
    Status AllocateAtEnd(std::uint32_t count, std::uint32_t& offset);
    Status Free(std::uint32_t offset);
    // Writes every dirty page; with `bump` the file header's change counter goes up first.
    Status Flush(bool bump);
    bool Dirty() const { return dirtyCount_ > 0; }
    // Forgets every cached page (they must be clean).
    void DropCache();
    // Writes the file header's change counter at once, ahead of every other write.
    Status SetCounter(std::uint32_t counter);
    // Writes straight to the file, bypassing (and invalidating) the cache: for bulk builds.
    Status WriteDirect(std::uint32_t offset, const std::uint8_t* data, std::size_t n);
    // Sets the mark at once, ahead of a change that is about to begin.
    Status Mark() { return SetMark(true); }
    // Whether the mark is set by this pager and not yet cleared.
    bool Marked() const { return marked_; }
    // Takes back every change since the mark was set: the journal's images are written back,
    // the file cut to its length before, the mark cleared and the cache dropped. Fails (and
    // leaves the mark) when the file refuses those writes or a bulk write bypassed the
    // journal.
    Status Rollback();
    // While on, the mark once set stays set: the file is known to disagree with its table
    // (a change that could not be taken back) until every tag is rebuilt.
    void KeepMark(bool keep) { keepMark_ = keep; }
    // While on, the mark is not cleared either: the tags name records their table has not
    // yet written (the caller turns it off once it has).
    void HoldMark(bool hold) { holdMark_ = hold; }

  private:
    struct Slot {
        Page page;
        bool dirty = false;
        std::list<std::uint32_t>::iterator lru;
    };
    Status ReadFromFile(std::uint32_t offset, Page& out);
    Status Evict();
    Slot* Lookup(std::uint32_t offset);
    Status SetMark(bool on);
    // Keeps the image `offset` has in the file before its first write under the mark.
    Status Journal(std::uint32_t offset, const Page* clean);

    static constexpr std::size_t kCacheLimit = 16384;  // pages (8 MiB)
    File& file_;
    std::uint64_t fileSize_ = 0;
    std::unordered_map<std::uint32_t, Slot> cache_;
    std::list<std::uint32_t> lru_;  // front = most recently used
    std::size_t dirtyCount_ = 0;
    bool marked_ = false;
    bool keepMark_ = false;
    bool holdMark_ = false;
    bool journaling_ = false;  // a change has dirtied pages since the last clean state
    std::unordered_map<std::uint32_t, Page> journal_;  // images before the marked change
    std::uint64_t journalSize_ = 0;                    // the file's length before it
    bool journalComplete_ = true;                      // false once a bulk write bypassed it
};

// A decoded node: keys as one block of `count * keyLength` bytes.
struct Node {
    std::uint32_t offset = kNoPage;
    std::uint16_t attributes = 0;
    std::uint32_t left = kNoPage;
    std::uint32_t right = kNoPage;
    std::uint16_t keyLength = 0;
    std::vector<std::uint8_t> keys;
    std::vector<std::uint32_t> recnos;
    std::vector<std::uint32_t> children;  // interior nodes only

    bool IsLeaf() const { return (attributes & node::kAttrLeaf) != 0; }
    std::size_t Count() const { return recnos.size(); }
    const std::uint8_t* Key(std::size_t i) const { return keys.data() + i * keyLength; }
    void Insert(std::size_t at, const std::uint8_t* key, std::uint32_t recno, std::uint32_t child);
    void Erase(std::size_t at);
};

// Decoding checks every count, bit width and offset against the page (Corrupt on failure).
Status DecodeNode(const Page& page, std::uint32_t offset, std::uint16_t keyLength,
                  std::uint8_t fill, Node& out);
// Tracks the bytes a leaf being filled in key order needs, one entry at a time.
class LeafPacker {
  public:
    LeafPacker(std::uint16_t keyLength, std::uint8_t fill) : keyLength_(keyLength), fill_(fill) {}
    // Counts the entry in and answers true when the leaf still fits; else leaves it unchanged.
    bool TryAdd(const std::uint8_t* key, std::uint32_t recno);
    void Reset() {
        count_ = 0;
        takes_ = 0;
        maxRecno_ = 0;
        prev_ = nullptr;
    }
    std::size_t Count() const { return count_; }

  private:
    std::uint16_t keyLength_;
    std::uint8_t fill_;
    std::size_t count_ = 0;
    std::size_t takes_ = 0;
    std::uint32_t maxRecno_ = 0;
    std::size_t prevTrail_ = 0;
    const std::uint8_t* prev_ = nullptr;  // must stay valid while entries are added
};

// How many entries of `node`, from `from` on, fit in one leaf page.
std::size_t LeafFitCount(const Node& node, std::size_t from, std::uint8_t fill);
// Packs entries [from, from + count) into a leaf page; false when they do not fit.
bool EncodeLeaf(const Node& node, std::size_t from, std::size_t count, std::uint8_t fill,
                Page& out);
void EncodeInterior(const Node& node, std::size_t from, std::size_t count, Page& out);

// One tag's B+tree.
struct TreeRef {
    std::uint32_t header = 0;  // offset of the tag header (0 for the directory)
    std::uint32_t root = kNoPage;
    std::uint16_t keyLength = 0;
    std::uint8_t fill = ' ';
};

// A place in a tree's leaf level.
struct Position {
    Node leaf;
    std::size_t index = 0;
    bool valid = false;
    std::uint32_t RecNo() const { return leaf.recnos[index]; }
    const std::uint8_t* Key() const { return leaf.Key(index); }
};

// Decides for an entry whether it lies before the target of a search; must be true for a
// leading run of the tree's entries and false for the rest.
using BeforeTarget = std::function<bool(const std::uint8_t* key, std::uint32_t recno)>;

class Tree {
  public:
    Tree(Pager& pager, TreeRef& ref) : pager_(pager), ref_(ref) {}

    // Writes an empty root leaf and points the tag header at it.
    Status CreateEmpty();
    Status Insert(const std::uint8_t* key, std::uint32_t recno, bool unique, bool& inserted);
    Status Remove(const std::uint8_t* key, std::uint32_t recno, bool& removed);

    Status First(Position& pos);
    Status Last(Position& pos);
    // The first entry that is not before the target (invalid when there is none).
    Status Seek(const BeforeTarget& before, Position& pos);
    Status Next(Position& pos);
    Status Prior(Position& pos);

    // Calls `visit` for every entry in tree order, reaching leaves through the interior
    // nodes (not the sibling chain). Pages met twice, broken links and depth beyond reason
    // are reported as Corrupt; `visit` returning false stops the walk.
    Status Walk(const std::function<bool(const std::uint8_t*, std::uint32_t)>& visit);
    // The same walk over whole nodes.
    Status VisitNodes(const std::function<Status(const Node&, int depth)>& visit);
    // Returns every page of the tree to the free list.
    Status FreeAll();
    // Replaces the tree by one built from `count` entries in ascending order; `key(i)` and
    // `recno(i)` give entry i. Existing pages must have been freed.
    Status Build(std::size_t count, const std::function<const std::uint8_t*(std::size_t)>& key,
                 const std::function<std::uint32_t(std::size_t)>& recno,
                 const std::function<void(std::size_t done)>& progress);

    static constexpr int kMaxDepth = 32;

  private:
    struct PathStep {
        Node node;
        std::size_t child = 0;
    };
    Status LoadNode(std::uint32_t offset, Node& node);
    Status SetRoot(std::uint32_t root);
    Status Descend(const BeforeTarget& before, std::vector<PathStep>& path, Node& leaf);
    Status WriteLeaf(const Node& node);
    Status WriteInterior(const Node& node);
    // Writes `node` (which may hold too many entries), splitting it into as many nodes as
    // needed; the first keeps its offset. `pieces` receives (offset, last index) of each.
    Status WriteSplit(Node& node, bool appendHeavy,
                      std::vector<std::pair<std::uint32_t, std::size_t>>& pieces);
    Status FixParents(std::vector<PathStep>& path, Node& child,
                      std::vector<std::pair<std::uint32_t, std::size_t>>& pieces, bool appendHeavy);
    Status RemoveFromParents(std::vector<PathStep>& path, Node& emptied);
    Status SetSibling(std::uint32_t offset, bool left, std::uint32_t value);
    Status CollapseRoot();
    Status TryMerge(std::vector<PathStep>& path, Node& node);

    Pager& pager_;
    TreeRef& ref_;
};

int CompareKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);

}  // namespace xbase::cdx
