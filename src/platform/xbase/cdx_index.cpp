// The compound index over one file: its tag directory and tag headers, keys computed from
// records through the tags' expressions, key upkeep, builds, the check against a table, and
// the sharing rules (index lock, change counter) that let other processes see each change.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <numeric>
#include <unordered_set>

#include "platform/xbase/cdx.h"
#include "platform/xbase/cdx_tree.h"

namespace xbase {

using cdx::kHeaderSize;
using cdx::kNoPage;
using cdx::kPageSize;
using cdx::Page;

namespace {

struct TagState {
    TagInfo info;
    cdx::TreeRef ref;
    std::unique_ptr<Expression> key;
    std::unique_ptr<Expression> condition;
};

Status Invalid(std::string message) {
    return Status(ErrorCode::kBadArgument, std::move(message));
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

bool ValidTagName(std::string_view name) {
    if (name.empty() || name.size() > cdx::kMaxTagName) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!letter && !(i > 0 && c >= '0' && c <= '9')) {
            return false;
        }
    }
    return true;
}

// Whether a key expression is one I field by itself (with or without the alias): such tags
// keep 4-byte integer keys, as other writers of these files make them; any other numeric
// expression, an I field in arithmetic included, keys 8-byte numbers.
bool IsIntegerField(std::string_view key, const IndexTable& table) {
    std::string name = UpperAscii(key);
    auto trim = [](std::string& s) {
        s.erase(0, s.find_first_not_of(" \t"));
        s.erase(s.find_last_not_of(" \t") + 1);
    };
    trim(name);
    if (std::size_t arrow = name.find("->"); arrow != std::string::npos) {
        std::string alias = name.substr(0, arrow);
        trim(alias);
        if (alias != UpperAscii(table.alias)) {
            return false;
        }
        name.erase(0, arrow + 2);
        trim(name);
    }
    return std::any_of(table.fields.begin(), table.fields.end(), [&](const FieldInfo& f) {
        return f.name == name && f.type == 'I' && f.length == 4;
    });
}

// A record of blanks, on which a character key expression is evaluated to learn its width.
class BlankRecord final : public RecordSource {
  public:
    explicit BlankRecord(std::uint32_t length) : image_(std::max<std::uint32_t>(length, 1), ' ') {}
    const char* Record() const override { return image_.data(); }
    std::uint32_t RecNo() const override { return 1; }
    bool Deleted() const override { return false; }
    std::string Memo(int) const override { return {}; }

  private:
    std::string image_;
};

// Reads a text of the expression pool, checked against the pool's bounds.
bool PoolText(const std::uint8_t* pool, std::size_t start, std::size_t length, std::string& out) {
    if (length == 0 || start + length > cdx::hdr::kPoolSize) {
        return false;
    }
    const auto* begin = reinterpret_cast<const char*>(pool + start);
    out.assign(begin, strnlen(begin, length));
    return true;
}

// Entries gathered for a build or a check: keys in one block, sorted through an index array
// whose first eight key bytes ride along so most comparisons never touch the block.
struct EntrySet {
    std::size_t keyLength = 0;
    std::vector<std::uint8_t> keys;
    std::vector<std::uint32_t> recnos;
    std::vector<std::uint32_t> order;

    void Add(const std::string& key, std::uint32_t recno) {
        keys.insert(keys.end(), key.begin(), key.end());
        recnos.push_back(recno);
    }
    std::size_t Count() const { return recnos.size(); }
    const std::uint8_t* Key(std::size_t i) const { return keys.data() + i * keyLength; }

    void Sort() {
        struct Item {
            std::uint64_t prefix;
            std::uint32_t index;
        };
        std::vector<Item> items(Count());
        for (std::size_t i = 0; i < Count(); ++i) {
            std::uint64_t p = 0;
            for (std::size_t b = 0; b < 8; ++b) {
                p = (p << 8) | (b < keyLength ? Key(i)[b] : 0);
            }
            items[i] = {p, static_cast<std::uint32_t>(i)};
        }
        std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
            if (a.prefix != b.prefix) {
                return a.prefix < b.prefix;
            }
            if (keyLength > 8) {
                int c = std::memcmp(Key(a.index) + 8, Key(b.index) + 8, keyLength - 8);
                if (c != 0) {
                    return c < 0;
                }
            }
            return recnos[a.index] < recnos[b.index];
        });
        order.resize(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            order[i] = items[i].index;
        }
    }
    // Keeps the first entry (lowest record number) of each key.
    void KeepFirstOfEachKey() {
        std::size_t out = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (out > 0 && std::memcmp(Key(order[out - 1]), Key(order[i]), keyLength) == 0) {
                continue;
            }
            order[out++] = order[i];
        }
        order.resize(out);
    }
    const std::uint8_t* SortedKey(std::size_t i) const { return Key(order[i]); }
    std::uint32_t SortedRecno(std::size_t i) const { return recnos[order[i]]; }
};

int CompareEntries(const std::uint8_t* a, std::uint32_t ra, const std::uint8_t* b, std::uint32_t rb,
                   std::size_t kl) {
    int c = std::memcmp(a, b, kl);
    if (c != 0) {
        return c;
    }
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

Status Unreadable(const TagState& tag) {
    return Status(ErrorCode::kBadExpression,
                  "tag " + tag.info.name + " cannot be read: " + tag.info.unreadable);
}

// One problem of an index check, its key (when there is one) as text.
CheckProblem MakeProblem(CheckProblem::Kind kind, const TagInfo& info, std::uint32_t recno,
                         const std::uint8_t* key, std::string detail) {
    CheckProblem p;
    p.kind = kind;
    p.tag = info.name;
    p.recno = recno;
    if (key) {
        p.key = KeyToText(info.type,
                          std::string_view(reinterpret_cast<const char*>(key), info.keyLength));
    }
    p.detail = std::move(detail);
    return p;
}

// Compares a stored key with a search key that may be shorter (a prefix).
int ComparePrefix(const std::uint8_t* key, std::string_view target) {
    return std::memcmp(key, target.data(), target.size());
}

}  // namespace

struct CompoundIndex::Impl {
    explicit Impl(std::unique_ptr<File> f) : file(std::move(f)), pager(*file) {}

    std::unique_ptr<File> file;
    cdx::Pager pager;
    IndexTable table;
    bool shared = false;
    cdx::TreeRef directory;
    std::vector<TagState> tags;  // creation order
    std::uint64_t version = 1;   // changes whenever cursors must find their place again
    std::uint32_t counter = 0;   // the file's change counter as last seen
    bool locked = false;
    bool unlocked = false;  // the operation under way reads without the lock (see Begin)
    // The in-progress mark was found set, or a failed change could not be taken back: the
    // file may disagree with its table until it is rebuilt.
    bool interrupted = false;
    EvalSettings settings;

    Status LoadAll();
    Status LoadTag(std::uint32_t headerOffset, std::string name, TagState& tag);
    Status BindExpressions(TagState& tag);
    Status WriteHeader(std::uint32_t offset, std::uint16_t keyLength, std::uint8_t options,
                       bool descending, const std::string& key, const std::string& condition,
                       std::uint32_t root);
    Status Begin(bool write, bool optimistic = false);
    Status End(bool write, Status result);
    // After a failed change: the file back as it was before it, and the tags reloaded.
    void TakeBack();
    bool InOperation() const { return locked || unlocked; }
    bool StillValid();
    Status MakeKey(TagState& tag, const RecordSource& record, std::string& key, bool& included);
    Status Gather(TagState& tag, IndexRecords& records, EntrySet& set,
                  const std::function<void(std::uint32_t done, std::uint32_t total)>& step,
                  std::vector<std::int64_t>* keyOfRecord);
    Status BuildTag(TagState& tag, IndexRecords& records, const IndexProgress& progress);
    Status RemoveTagLocked(std::size_t i);
    Status CheckTag(TagState& tag, IndexRecords& records, CheckReport& report);
    int FindTag(std::string_view name) const;
    std::uint32_t ReadCounter();
};

int CompoundIndex::Impl::FindTag(std::string_view name) const {
    std::string upper = UpperAscii(name);
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].info.name == upper) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::uint32_t CompoundIndex::Impl::ReadCounter() {
    std::uint8_t bytes[4] = {};
    std::size_t got = 0;
    if (!file->ReadAt(cdx::hdr::kCounter, bytes, 4, got) || got != 4) {
        return counter + 1;  // unreadable: make the caller reload, which reports the error
    }
    return cdx::GetBE32(bytes);
}

Status CompoundIndex::Impl::BindExpressions(TagState& tag) {
    std::unique_ptr<Expression> key;
    if (Status s = CompileExpression(tag.info.key, table.fields, table.alias, key); !s) {
        return Status(ErrorCode::kBadExpression,
                      "key of tag " + tag.info.name + " (" + tag.info.key + "): " + s.message());
    }
    switch (key->Type()) {
        case ValueType::kText:
            tag.info.type = KeyType::kCharacter;
            break;
        case ValueType::kNumber:
            tag.info.type = KeyType::kNumeric;
            break;
        case ValueType::kDate:
            tag.info.type = KeyType::kDate;
            break;
        case ValueType::kLogical:
            tag.info.type = KeyType::kLogical;
            break;
    }
    if (tag.info.type == KeyType::kNumeric && IsIntegerField(tag.info.key, table)) {
        tag.info.type = KeyType::kInteger;
    }
    tag.key = std::move(key);
    tag.condition.reset();
    if (!tag.info.condition.empty()) {
        std::unique_ptr<Expression> cond;
        if (Status s = CompileExpression(tag.info.condition, table.fields, table.alias, cond); !s) {
            return Status(ErrorCode::kBadExpression, "condition of tag " + tag.info.name + " (" +
                                                         tag.info.condition + "): " + s.message());
        }
        if (cond->Type() != ValueType::kLogical) {
            return Status(ErrorCode::kBadExpression,
                          "condition of tag " + tag.info.name + " is not logical");
        }
        tag.condition = std::move(cond);
    }
    tag.ref.fill = tag.info.type == KeyType::kCharacter ? ' ' : 0;
    return Status::Ok();
}

Status CompoundIndex::Impl::LoadTag(std::uint32_t headerOffset, std::string name, TagState& tag) {
    Page head;
    Page pool;
    if (Status s = pager.Read(headerOffset, head); !s.ok()) {
        return s;
    }
    if (Status s = pager.Read(headerOffset + kPageSize, pool); !s.ok()) {
        return s;
    }
    const std::uint8_t* h = head.data();
    std::uint16_t keyLength = cdx::GetLE16(h + cdx::hdr::kKeyLength);
    std::uint8_t options = h[cdx::hdr::kOptions];
    std::uint16_t order = cdx::GetLE16(h + cdx::hdr::kOrder);
    if (keyLength == 0 || keyLength > cdx::kMaxKeyLength) {
        return CDX_CORRUPT("tag key length out of range", headerOffset);
    }
    if ((options & ~cdx::kKnownOptions) != 0 || (options & cdx::kOptCompact) == 0 ||
        (options & cdx::kOptStructure) != 0) {
        return CDX_CORRUPT("unknown tag options", headerOffset);
    }
    if (order > 1) {
        return CDX_CORRUPT("unknown tag order", headerOffset);
    }
    tag.info.name = std::move(name);
    if (!PoolText(pool.data(), cdx::GetLE16(h + cdx::hdr::kKeyStart),
                  cdx::GetLE16(h + cdx::hdr::kKeyTextLength), tag.info.key) ||
        tag.info.key.empty()) {
        return CDX_CORRUPT("tag key expression outside its pool", headerOffset);
    }
    tag.info.condition.clear();
    if ((options & cdx::kOptHasFor) != 0 &&
        !PoolText(pool.data(), cdx::GetLE16(h + cdx::hdr::kForStart),
                  cdx::GetLE16(h + cdx::hdr::kForLength), tag.info.condition)) {
        return CDX_CORRUPT("tag condition outside its pool", headerOffset);
    }
    tag.info.unique = (options & cdx::kOptUnique) != 0;
    tag.info.descending = order == 1;
    tag.info.keyLength = keyLength;
    tag.ref.header = headerOffset;
    tag.ref.keyLength = keyLength;
    tag.ref.root = cdx::GetLE32(h + cdx::hdr::kRoot);
    tag.info.unreadable.clear();
    if (Status s = BindExpressions(tag); !s.ok()) {
        // Another program's tag may name a field by a name this table does not hold: its keys
        // cannot be computed, but the other tags of the file stay usable.
        if (s.code() != ErrorCode::kBadExpression) {
            return s;
        }
        tag.info.unreadable = s.message();
    } else {
        std::uint16_t expected = tag.info.type == KeyType::kCharacter ? keyLength
                                 : tag.info.type == KeyType::kLogical ? 1
                                 : tag.info.type == KeyType::kInteger ? 4
                                                                      : 8;
        if (keyLength != expected) {
            return CDX_CORRUPT("tag key length does not suit its expression", headerOffset);
        }
    }
    // The root must be a node marked as root; deeper damage is found when it is reached.
    Page root;
    if (Status s = pager.Read(tag.ref.root, root); !s.ok()) {
        return s;
    }
    cdx::Node node;
    if (tag.ref.root < kHeaderSize) {
        return CDX_CORRUPT("tag root inside the file header", headerOffset);
    }
    if (Status s = cdx::DecodeNode(root, tag.ref.root, keyLength, tag.ref.fill, node); !s.ok()) {
        return s;
    }
    if ((node.attributes & cdx::node::kAttrRoot) == 0) {
        return CDX_CORRUPT("tag root without the root mark", tag.ref.root);
    }
    return Status::Ok();
}

Status CompoundIndex::Impl::LoadAll() {
    if (Status s = pager.Open(); !s.ok()) {
        return s;
    }
    if (pager.FileSize() < kHeaderSize + kPageSize) {
        return CDX_CORRUPT("file too short for an index", pager.FileSize());
    }
    Page head;
    if (Status s = pager.Read(0, head); !s.ok()) {
        return s;
    }
    const std::uint8_t* h = head.data();
    std::uint8_t options = h[cdx::hdr::kOptions];
    if (cdx::GetLE16(h + cdx::hdr::kKeyLength) != cdx::kMaxTagName ||
        (options & ~cdx::kKnownOptions) != 0 || (options & cdx::kOptCompact) == 0 ||
        (options & (cdx::kOptUnique | cdx::kOptHasFor)) != 0) {
        return CDX_CORRUPT("not a compound index directory", 0);
    }
    counter = cdx::GetBE32(h + cdx::hdr::kCounter);
    if (h[cdx::hdr::kInProgress] != 0 && !pager.Marked()) {
        interrupted = true;  // kept, and the mark with it, until every tag is rebuilt
        pager.KeepMark(true);
    }
    directory = {};
    directory.header = 0;
    directory.keyLength = cdx::kMaxTagName;
    directory.fill = ' ';
    directory.root = cdx::GetLE32(h + cdx::hdr::kRoot);

    struct Entry {
        std::string name;
        std::uint32_t header;
    };
    std::vector<Entry> entries;
    cdx::Tree dir(pager, directory);
    Status bad;
    Status walked = dir.Walk([&](const std::uint8_t* key, std::uint32_t header) {
        std::string name(reinterpret_cast<const char*>(key), cdx::kMaxTagName);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) {
            name.pop_back();
        }
        if (header % kPageSize != 0 || header < kHeaderSize ||
            std::uint64_t{header} + kHeaderSize > pager.FileSize() || name.empty()) {
            bad = CDX_CORRUPT("tag header pointer outside the file", header);
            return false;
        }
        entries.push_back({UpperAscii(name), header});
        return entries.size() < 10000;
    });
    if (!walked.ok()) {
        return walked;
    }
    if (!bad.ok()) {
        return bad;
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.header < b.header; });
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].header < entries[i - 1].header + kHeaderSize) {
            return CDX_CORRUPT("two tags share a header", entries[i].header);
        }
    }
    std::vector<TagState> loaded(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (Status s = LoadTag(entries[i].header, entries[i].name, loaded[i]); !s.ok()) {
            return s;
        }
    }
    tags = std::move(loaded);
    ++version;
    return Status::Ok();
}

Status CompoundIndex::Impl::WriteHeader(std::uint32_t offset, std::uint16_t keyLength,
                                        std::uint8_t options, bool descending,
                                        const std::string& key, const std::string& condition,
                                        std::uint32_t root) {
    if (key.size() + condition.size() + 2 > cdx::hdr::kPoolSize) {
        return Invalid("key and condition too long for a tag header");
    }
    Page head{};
    Page pool{};
    std::uint8_t* h = head.data();
    cdx::PutLE32(h + cdx::hdr::kRoot, root);
    cdx::PutLE32(h + cdx::hdr::kFreeList, kNoPage);
    cdx::PutLE16(h + cdx::hdr::kKeyLength, keyLength);
    h[cdx::hdr::kOptions] = options;
    h[cdx::hdr::kSignature] = 1;
    auto keyText = static_cast<std::uint16_t>(key.size() + 1);
    auto forText = static_cast<std::uint16_t>(condition.size() + 1);
    cdx::PutLE16(h + cdx::hdr::kOrder, descending ? 1 : 0);
    cdx::PutLE16(h + cdx::hdr::kForStart, keyText);
    cdx::PutLE16(h + cdx::hdr::kForLength, forText);
    cdx::PutLE16(h + cdx::hdr::kKeyStart, 0);
    cdx::PutLE16(h + cdx::hdr::kKeyTextLength, keyText);
    std::memcpy(pool.data(), key.data(), key.size());
    std::memcpy(pool.data() + keyText, condition.data(), condition.size());
    if (Status s = pager.Write(offset, head); !s.ok()) {
        return s;
    }
    return pager.Write(offset + kPageSize, pool);
}

// Sharing. Every writer takes the index lock exclusively and, before it writes any page,
// bumps the change counter in the file header; it bumps it again when it flushes at the end.
// A reader whose cached pages belong to the counter the file shows may read without the lock
// (`optimistic`): pages it lacks come through the file's view, and StillValid tells afterwards
// whether a writer began meanwhile, in which case the caller repeats the read under the lock.
// Otherwise a reader takes the lock shared and, when the counter moved, drops its pages.
Status CompoundIndex::Impl::Begin(bool write, bool optimistic) {
    if (!shared) {
        return Status::Ok();
    }
    if (optimistic && !write) {
        if (file->ViewAt(0, kHeaderSize) != nullptr && ReadCounter() == counter) {
            std::atomic_thread_fence(std::memory_order_acquire);
            unlocked = true;
            return Status::Ok();
        }
    }
    if (!file->Lock(cdx::kIndexLockOffset, 1, write ? LockKind::kExclusive : LockKind::kShared,
                    true)) {
        return Status(write ? ErrorCode::kWriteFailed : ErrorCode::kReadFailed,
                      "the index is locked by another process");
    }
    locked = true;
    Status s;
    if (ReadCounter() != counter) {
        pager.DropCache();
        s = LoadAll();
    }
    if (s.ok() && write) {
        s = pager.SetCounter(counter + 1);
        counter += 1;
    }
    if (!s.ok()) {
        file->Unlock(cdx::kIndexLockOffset, 1);
        locked = false;
    }
    return s;
}

bool CompoundIndex::Impl::StillValid() {
    std::atomic_thread_fence(std::memory_order_acquire);
    return ReadCounter() == counter;
}

Status CompoundIndex::Impl::End(bool write, Status result) {
    if (unlocked) {
        unlocked = false;
        return result;
    }
    if (write) {
        ++version;
    }
    // Every change reaches the file whole before the call answers, or not at all: a change
    // that failed midway, or whose pages the file refused, is taken back.
    if (write || pager.Dirty()) {
        if (result.ok()) {
            result = pager.Flush(true);
        }
        if (!result.ok()) {
            TakeBack();
        }
        if (shared) {
            counter = ReadCounter();
        }
    }
    if (shared && locked) {
        file->Unlock(cdx::kIndexLockOffset, 1);
        locked = false;
    }
    return result;
}

void CompoundIndex::Impl::TakeBack() {
    pager.KeepMark(interrupted);
    if (!pager.Rollback().ok()) {
        interrupted = true;
        pager.KeepMark(true);
    }
    pager.DropCache();
    if (Status s = pager.Open(); s.ok()) {
        LoadAll();
    }
}

Status CompoundIndex::Impl::MakeKey(TagState& tag, const RecordSource& record, std::string& key,
                                    bool& included) {
    Value v;
    included = true;
    if (!tag.info.unreadable.empty()) {
        return Unreadable(tag);
    }
    if (tag.condition) {
        if (!tag.condition->Evaluate(record, settings, v)) {
            return Status(ErrorCode::kBadExpression,
                          "condition of tag " + tag.info.name + " failed to evaluate");
        }
        included = v.logical;
    }
    if (!tag.key->Evaluate(record, settings, v)) {
        return Status(ErrorCode::kBadExpression,
                      "key of tag " + tag.info.name + " failed to evaluate");
    }
    switch (tag.info.type) {
        case KeyType::kCharacter:
            key.assign(v.text.substr(0, tag.info.keyLength));
            key.resize(tag.info.keyLength, ' ');
            break;
        case KeyType::kNumeric:
            key = EncodeNumericKey(v.number);
            break;
        case KeyType::kDate:
            key = EncodeDateKey(v.number);
            break;
        case KeyType::kLogical:
            key = EncodeLogicalKey(v.logical);
            break;
        case KeyType::kInteger:
            key = EncodeIntegerKey(static_cast<std::int32_t>(v.number));
            break;
    }
    return Status::Ok();
}

Status CompoundIndex::Impl::Gather(TagState& tag, IndexRecords& records, EntrySet& set,
                                   const std::function<void(std::uint32_t, std::uint32_t)>& step,
                                   std::vector<std::int64_t>* keyOfRecord) {
    set.keyLength = tag.info.keyLength;
    std::uint32_t total = records.RecordCount();
    set.keys.reserve(std::size_t{total} * set.keyLength);
    set.recnos.reserve(total);
    if (keyOfRecord) {
        keyOfRecord->assign(std::size_t{total} + 1, -1);
    }
    std::string key;
    for (std::uint32_t recno = 1; recno <= total; ++recno) {
        const RecordSource* record = records.Record(recno);
        if (record == nullptr) {
            return Status(ErrorCode::kReadFailed,
                          "record " + std::to_string(recno) + " could not be read");
        }
        bool included = false;
        if (Status s = MakeKey(tag, *record, key, included); !s.ok()) {
            return s;
        }
        if (included) {
            if (keyOfRecord) {
                (*keyOfRecord)[recno] = static_cast<std::int64_t>(set.Count());
            }
            set.Add(key, recno);
        }
        if (step && (recno & 0x3FF) == 0) {
            step(recno, total);
        }
    }
    set.Sort();
    if (tag.info.unique) {
        set.KeepFirstOfEachKey();
    }
    return Status::Ok();
}

// Progress: reading the records is most of the work (up to 80%), the sort and the writing of
// the tree share the rest.
Status CompoundIndex::Impl::BuildTag(TagState& tag, IndexRecords& records,
                                     const IndexProgress& progress) {
    int last = -1;
    auto report = [&](int percent) {
        percent = std::clamp(percent, 0, 100);
        if (progress && percent > last) {
            last = percent;
            progress(percent);
        }
    };
    report(0);
    EntrySet set;
    Status s = Gather(
        tag, records, set,
        [&](std::uint32_t done, std::uint32_t total) {
            report(static_cast<int>(std::uint64_t{done} * 80 / std::max<std::uint32_t>(total, 1)));
        },
        nullptr);
    if (!s.ok()) {
        return s;
    }
    report(85);
    cdx::Tree tree(pager, tag.ref);
    if (s = tree.FreeAll(); !s.ok()) {
        return s;
    }
    std::size_t count = set.order.size();
    s = tree.Build(
        count, [&](std::size_t i) { return set.SortedKey(i); },
        [&](std::size_t i) { return set.SortedRecno(i); },
        [&](std::size_t done) {
            report(85 + static_cast<int>(done * 15 / std::max<std::size_t>(count, 1)));
        });
    if (!s.ok()) {
        return s;
    }
    report(100);
    return Status::Ok();
}

Status CompoundIndex::Impl::RemoveTagLocked(std::size_t i) {
    TagState& tag = tags[i];
    cdx::Tree tree(pager, tag.ref);
    if (Status s = tree.FreeAll(); !s.ok()) {
        return s;
    }
    std::string name = tag.info.name;
    name.resize(cdx::kMaxTagName, ' ');
    cdx::Tree dir(pager, directory);
    bool removed = false;
    if (Status s =
            dir.Remove(reinterpret_cast<const std::uint8_t*>(name.data()), tag.ref.header, removed);
        !s.ok()) {
        return s;
    }
    for (std::uint32_t page = 0; page < kHeaderSize; page += kPageSize) {
        if (Status s = pager.Free(tag.ref.header + page); !s.ok()) {
            return s;
        }
    }
    tags.erase(tags.begin() + static_cast<std::ptrdiff_t>(i));
    return Status::Ok();
}

CompoundIndex::CompoundIndex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CompoundIndex::~CompoundIndex() {
    if (impl_) {
        Flush();
    }
}

Status CompoundIndex::Create(std::unique_ptr<File> file, const IndexTable& table,
                             std::unique_ptr<CompoundIndex>& out) {
    if (!file) {
        return Invalid("no file for the index");
    }
    auto impl = std::make_unique<Impl>(std::move(file));
    impl->table = table;
    if (!impl->file->Truncate(0)) {
        return Status(ErrorCode::kWriteFailed, "the index file could not be emptied");
    }
    if (Status s = impl->pager.Open(); !s.ok()) {
        return s;
    }
    std::uint32_t header = 0;
    if (Status s = impl->pager.AllocateAtEnd(2, header); !s.ok()) {
        return s;
    }
    if (Status s = impl->WriteHeader(0, cdx::kMaxTagName,
                                     cdx::kOptStructure | cdx::kOptCompound | cdx::kOptCompact,
                                     false, "", "", kNoPage);
        !s.ok()) {
        return s;
    }
    impl->directory.header = 0;
    impl->directory.keyLength = cdx::kMaxTagName;
    impl->directory.fill = ' ';
    cdx::Tree dir(impl->pager, impl->directory);
    if (Status s = dir.CreateEmpty(); !s.ok()) {
        return s;
    }
    if (Status s = impl->pager.Flush(false); !s.ok()) {
        return s;
    }
    out.reset(new CompoundIndex(std::move(impl)));
    return Status::Ok();
}

Status CompoundIndex::Open(std::unique_ptr<File> file, const IndexTable& table, bool shared,
                           std::unique_ptr<CompoundIndex>& out) {
    if (!file) {
        return Invalid("no file for the index");
    }
    auto impl = std::make_unique<Impl>(std::move(file));
    impl->table = table;
    impl->shared = shared;
    impl->counter = impl->ReadCounter();
    if (Status s = impl->Begin(false); !s.ok()) {
        return s;
    }
    Status s = impl->LoadAll();
    s = impl->End(false, s);
    if (!s.ok()) {
        return s;
    }
    out.reset(new CompoundIndex(std::move(impl)));
    return Status::Ok();
}

// In shared mode the tag list is looked at again when another process changed the file.
int CompoundIndex::TagCount() const {
    if (impl_->shared && !impl_->InOperation() && impl_->Begin(false, true).ok()) {
        impl_->End(false, Status::Ok());
    }
    return static_cast<int>(impl_->tags.size());
}

const TagInfo& CompoundIndex::Tag(int order) const {
    static const TagInfo kNone;
    if (order < 1 || order > TagCount()) {
        return kNone;
    }
    return impl_->tags[static_cast<std::size_t>(order - 1)].info;
}

int CompoundIndex::FindTag(std::string_view name) const {
    return impl_->FindTag(name);
}

Status CompoundIndex::AddTag(const TagSpec& spec, IndexRecords& records,
                             const IndexProgress& progress, int& order) {
    order = 0;
    if (!ValidTagName(spec.name)) {
        return Invalid("tag name \"" + spec.name +
                       "\" is not a name of 1 to 10 letters and digits");
    }
    TagState tag;
    tag.info.name = UpperAscii(spec.name);
    tag.info.key = spec.key;
    tag.info.condition = spec.condition;
    tag.info.unique = spec.unique;
    tag.info.descending = spec.descending;
    if (Status s = impl_->BindExpressions(tag); !s.ok()) {
        return s;
    }
    switch (tag.info.type) {
        case KeyType::kCharacter: {
            int width = tag.key->Width();
            if (width <= 0) {
                std::uint32_t length = impl_->table.recordLength;
                for (const FieldInfo& f : impl_->table.fields) {
                    length = std::max(length, f.offset + f.length);
                }
                BlankRecord blank(length);
                Value v;
                if (!tag.key->Evaluate(blank, impl_->settings, v)) {
                    return Status(ErrorCode::kBadExpression,
                                  "key of tag " + tag.info.name + " failed to evaluate");
                }
                width = static_cast<int>(v.text.size());
            }
            if (width <= 0 || width > cdx::kMaxKeyLength) {
                return Invalid("key of tag " + tag.info.name + " is " + std::to_string(width) +
                               " characters wide; keys take 1 to 240");
            }
            tag.info.keyLength = static_cast<std::uint16_t>(width);
            break;
        }
        case KeyType::kNumeric:
        case KeyType::kDate:
            tag.info.keyLength = 8;
            break;
        case KeyType::kLogical:
            tag.info.keyLength = 1;
            break;
        case KeyType::kInteger:
            tag.info.keyLength = 4;
            break;
    }
    tag.ref.keyLength = tag.info.keyLength;

    if (Status s = impl_->Begin(true); !s.ok()) {
        return s;
    }
    Status s;
    if (int existing = impl_->FindTag(tag.info.name); existing != 0) {
        s = impl_->RemoveTagLocked(static_cast<std::size_t>(existing - 1));
    }
    std::uint32_t header = 0;
    if (s.ok()) {
        s = impl_->pager.AllocateAtEnd(2, header);
    }
    std::uint8_t options = cdx::kOptCompound | cdx::kOptCompact;
    if (tag.info.unique) {
        options |= cdx::kOptUnique;
    }
    if (!tag.info.condition.empty()) {
        options |= cdx::kOptHasFor;
    }
    if (s.ok()) {
        s = impl_->WriteHeader(header, tag.info.keyLength, options, tag.info.descending,
                               tag.info.key, tag.info.condition, kNoPage);
    }
    if (s.ok()) {
        tag.ref.header = header;
        s = impl_->BuildTag(tag, records, progress);
    }
    if (s.ok()) {
        std::string name = tag.info.name;
        name.resize(cdx::kMaxTagName, ' ');
        cdx::Tree dir(impl_->pager, impl_->directory);
        bool inserted = false;
        s = dir.Insert(reinterpret_cast<const std::uint8_t*>(name.data()), header, false, inserted);
    }
    if (s.ok()) {
        impl_->tags.push_back(std::move(tag));
        order = TagCount();
    }
    return impl_->End(true, s);
}

Status CompoundIndex::RemoveTag(std::string_view name) {
    if (Status s = impl_->Begin(true); !s.ok()) {
        return s;
    }
    int order = impl_->FindTag(name);
    Status s = order == 0 ? Status(ErrorCode::kBadArgument, "no tag " + std::string(name))
                          : impl_->RemoveTagLocked(static_cast<std::size_t>(order - 1));
    return impl_->End(true, s);
}

Status CompoundIndex::Rebuild(int order, IndexRecords& records, const IndexProgress& progress) {
    if (Status s = impl_->Begin(true); !s.ok()) {
        return s;
    }
    Status s;
    if (order < 0 || order > TagCount()) {
        s = Invalid("no tag of order " + std::to_string(order));
    }
    for (int i = 1; s.ok() && i <= TagCount(); ++i) {
        if (order == 0 || order == i) {
            s = impl_->BuildTag(impl_->tags[static_cast<std::size_t>(i - 1)], records, progress);
        }
    }
    bool whole = order == 0 && s.ok();
    if (whole) {
        impl_->pager.KeepMark(false);
    }
    s = impl_->End(true, s);
    if (whole && s.ok()) {
        impl_->interrupted = false;
    }
    return s;
}

Status CompoundIndex::UpdateRecord(std::uint32_t recno, const RecordSource* before,
                                   const RecordSource& after) {
    if (Status s = impl_->Begin(true); !s.ok()) {
        return s;
    }
    Status s;
    std::string oldKey;
    std::string newKey;
    for (TagState& tag : impl_->tags) {
        bool oldIn = false;
        bool newIn = false;
        if (before) {
            s = impl_->MakeKey(tag, *before, oldKey, oldIn);
        }
        if (s.ok()) {
            s = impl_->MakeKey(tag, after, newKey, newIn);
        }
        if (!s.ok()) {
            break;
        }
        if (oldIn && newIn && oldKey == newKey) {
            continue;
        }
        cdx::Tree tree(impl_->pager, tag.ref);
        bool changed = false;
        if (oldIn) {
            s = tree.Remove(reinterpret_cast<const std::uint8_t*>(oldKey.data()), recno, changed);
        }
        if (s.ok() && newIn) {
            s = tree.Insert(reinterpret_cast<const std::uint8_t*>(newKey.data()), recno,
                            tag.info.unique, changed);
        }
        if (!s.ok()) {
            break;
        }
    }
    return impl_->End(true, s);
}

Status CompoundIndex::RemoveRecord(std::uint32_t recno, const RecordSource& before) {
    if (Status s = impl_->Begin(true); !s.ok()) {
        return s;
    }
    Status s;
    std::string key;
    for (TagState& tag : impl_->tags) {
        bool in = false;
        if (s = impl_->MakeKey(tag, before, key, in); !s.ok()) {
            break;
        }
        bool removed = false;
        cdx::Tree tree(impl_->pager, tag.ref);
        if (in &&
            !(s = tree.Remove(reinterpret_cast<const std::uint8_t*>(key.data()), recno, removed))
                 .ok()) {
            break;
        }
    }
    return impl_->End(true, s);
}

Status CompoundIndex::Admits(int order, const RecordSource& record, bool& admitted) {
    admitted = false;
    if (order < 1 || static_cast<std::size_t>(order) > impl_->tags.size()) {
        return Invalid("no tag of order " + std::to_string(order));
    }
    TagState& tag = impl_->tags[static_cast<std::size_t>(order - 1)];
    if (!tag.info.unreadable.empty()) {
        return Unreadable(tag);
    }
    if (!tag.condition) {
        admitted = true;
        return Status::Ok();
    }
    Value v;
    if (!tag.condition->Evaluate(record, impl_->settings, v)) {
        return Status(ErrorCode::kBadExpression,
                      "condition of tag " + tag.info.name + " failed to evaluate");
    }
    admitted = v.logical;
    return Status::Ok();
}

Status CompoundIndex::KeyOf(int order, const RecordSource& record, std::string& key,
                            bool& included) {
    if (order < 1 || order > TagCount()) {
        return Invalid("no tag of order " + std::to_string(order));
    }
    return impl_->MakeKey(impl_->tags[static_cast<std::size_t>(order - 1)], record, key, included);
}

std::uint64_t CompoundIndex::KeyCount(int order) {
    if (!impl_->Begin(false).ok()) {
        return 0;
    }
    std::uint64_t count = 0;
    if (order >= 1 && order <= TagCount()) {
        cdx::Tree tree(impl_->pager, impl_->tags[static_cast<std::size_t>(order - 1)].ref);
        Status s = tree.Walk([&](const std::uint8_t*, std::uint32_t) {
            ++count;
            return true;
        });
        if (!s.ok()) {
            count = 0;
        }
    }
    impl_->End(false, Status::Ok());
    return count;
}

Status CompoundIndex::Impl::CheckTag(TagState& tag, IndexRecords& records, CheckReport& report) {
    constexpr std::size_t kExamples = 5;
    const std::size_t kl = tag.info.keyLength;
    std::size_t examples[5] = {};
    auto note = [&](CheckProblem::Kind kind, std::uint32_t recno, const std::uint8_t* key,
                    std::string detail) {
        std::size_t& n = examples[static_cast<int>(kind)];
        if (n++ >= kExamples) {
            return;
        }
        report.problems.push_back(MakeProblem(kind, tag.info, recno, key, std::move(detail)));
    };

    if (!tag.info.unreadable.empty()) {
        ++report.unreadable;
        note(CheckProblem::Kind::kUnreadable, 0, nullptr, Unreadable(tag).message());
        return Status::Ok();
    }

    EntrySet actual;
    actual.keyLength = kl;
    cdx::Tree tree(pager, tag.ref);
    std::vector<std::uint8_t> prev;
    std::uint32_t prevRec = 0;
    Status walked = tree.Walk([&](const std::uint8_t* key, std::uint32_t recno) {
        if (!prev.empty() && CompareEntries(prev.data(), prevRec, key, recno, kl) >= 0) {
            ++report.misordered;
            note(CheckProblem::Kind::kMisordered, recno, key, {});
        }
        prev.assign(key, key + kl);
        prevRec = recno;
        actual.keys.insert(actual.keys.end(), key, key + kl);
        actual.recnos.push_back(recno);
        return true;
    });
    if (!walked.ok()) {
        if (walked.code() != ErrorCode::kCorrupt) {
            return walked;
        }
        ++report.structural;
        note(CheckProblem::Kind::kStructure, 0, nullptr, walked.message());
        return Status::Ok();
    }
    actual.Sort();

    EntrySet expected;
    std::vector<std::int64_t> keyOfRecord;
    if (Status s = Gather(tag, records, expected, nullptr, &keyOfRecord); !s.ok()) {
        return s;
    }
    if (!tag.info.unique) {
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < expected.order.size() || j < actual.order.size()) {
            int c = i == expected.order.size() ? 1
                    : j == actual.order.size()
                        ? -1
                        : CompareEntries(expected.SortedKey(i), expected.SortedRecno(i),
                                         actual.SortedKey(j), actual.SortedRecno(j), kl);
            if (c < 0) {
                ++report.missing;
                note(CheckProblem::Kind::kMissing, expected.SortedRecno(i), expected.SortedKey(i),
                     {});
                ++i;
            } else if (c > 0) {
                ++report.extra;
                note(CheckProblem::Kind::kExtra, actual.SortedRecno(j), actual.SortedKey(j), {});
                ++j;
            } else {
                ++i;
                ++j;
            }
        }
        return Status::Ok();
    }
    // A unique tag holds one entry per key, for a record that has that key; which record
    // holds it depends on the order the records came in.
    const std::uint8_t* lastKey = nullptr;
    for (std::size_t j = 0; j < actual.order.size(); ++j) {
        const std::uint8_t* key = actual.SortedKey(j);
        std::uint32_t recno = actual.SortedRecno(j);
        bool duplicate = lastKey && std::memcmp(lastKey, key, kl) == 0;
        bool matches =
            recno < keyOfRecord.size() && keyOfRecord[recno] >= 0 &&
            std::memcmp(expected.Key(static_cast<std::size_t>(keyOfRecord[recno])), key, kl) == 0;
        if (duplicate || !matches) {
            ++report.extra;
            note(CheckProblem::Kind::kExtra, recno, key, {});
        }
        lastKey = key;
    }
    std::size_t j = 0;
    for (std::size_t i = 0; i < expected.order.size(); ++i) {
        const std::uint8_t* key = expected.SortedKey(i);
        while (j < actual.order.size() && std::memcmp(actual.SortedKey(j), key, kl) < 0) {
            ++j;
        }
        if (j == actual.order.size() || std::memcmp(actual.SortedKey(j), key, kl) != 0) {
            ++report.missing;
            note(CheckProblem::Kind::kMissing, expected.SortedRecno(i), key, {});
        }
    }
    return Status::Ok();
}

Status CompoundIndex::Check(IndexRecords& records, CheckReport& report) {
    report = {};
    if (Status s = impl_->Begin(false); !s.ok()) {
        return s;
    }
    Status s;
    for (TagState& tag : impl_->tags) {
        s = impl_->CheckTag(tag, records, report);
        if (!s.ok()) {
            break;
        }
    }
    return impl_->End(false, s);
}

Status CompoundIndex::Verify() {
    if (Status s = impl_->Begin(false); !s.ok()) {
        return s;
    }
    Status s;
    for (TagState& tag : impl_->tags) {
        cdx::Tree tree(impl_->pager, tag.ref);
        std::vector<std::uint8_t> prev;
        std::uint32_t prevRec = 0;
        const std::size_t kl = tag.info.keyLength;
        Status order;
        s = tree.Walk([&](const std::uint8_t* key, std::uint32_t recno) {
            if (!prev.empty() && CompareEntries(prev.data(), prevRec, key, recno, kl) >= 0) {
                order = CDX_CORRUPT("keys out of order in a tag", tag.ref.header);
                return false;
            }
            prev.assign(key, key + kl);
            prevRec = recno;
            return true;
        });
        if (s.ok()) {
            s = order;
        }
        if (!s.ok()) {
            break;
        }
    }
    return impl_->End(false, s);
}

Status CompoundIndex::Flush() {
    if (!impl_->pager.Dirty() && !impl_->pager.Marked()) {
        return Status::Ok();
    }
    return impl_->pager.Flush(true);
}

Status CompoundIndex::MarkInProgress(bool untilRebuilt) {
    Status s = impl_->pager.Mark();
    if (s.ok() && untilRebuilt) {
        impl_->pager.KeepMark(true);
    }
    return s;
}

void CompoundIndex::HoldMark(bool hold) {
    impl_->pager.HoldMark(hold);
}

bool CompoundIndex::Interrupted() const {
    return impl_->interrupted;
}

// ---- the check in slices ----

struct IndexCheck::State {
    CompoundIndex::Impl* impl = nullptr;
    CheckReport report;
    std::uint64_t version = 0;  // of the index when the check (re)began
    std::uint32_t count = 0;    // records when it (re)began
    std::size_t tag = 0;        // the tag under way
    bool walked = false;        // its tree has been read
    std::uint32_t next = 1;     // the next record to check against it
    bool done = false;
    // The walked tag: its entries in tree order, and each record's entry (-1 for none).
    std::vector<std::uint8_t> keys;
    std::vector<std::int64_t> entryOf;
    std::unordered_set<std::string> stored;  // unique tags: the keys present

    void Restart(std::uint32_t records) {
        report = {};
        version = impl->version;
        count = records;
        tag = 0;
        walked = false;
        next = 1;
        done = false;
    }
    void Note(CheckProblem::Kind kind, const TagState& t, std::uint32_t recno,
              const std::uint8_t* key, std::string detail = {}) {
        std::uint64_t& n = kind == CheckProblem::Kind::kMissing      ? report.missing
                           : kind == CheckProblem::Kind::kExtra      ? report.extra
                           : kind == CheckProblem::Kind::kMisordered ? report.misordered
                                                                     : report.structural;
        if (n++ >= 5) {
            return;
        }
        report.problems.push_back(MakeProblem(kind, t.info, recno, key, std::move(detail)));
    }
    Status Walk(TagState& t);
    Status CheckRecords(TagState& t, IndexRecords& records, std::uint32_t last);
};

Status IndexCheck::State::Walk(TagState& t) {
    const std::size_t kl = t.info.keyLength;
    keys.clear();
    stored.clear();
    entryOf.assign(std::size_t{count} + 1, -1);
    std::vector<std::uint8_t> prev;
    std::uint32_t prevRec = 0;
    cdx::Tree tree(impl->pager, t.ref);
    Status walked = tree.Walk([&](const std::uint8_t* key, std::uint32_t recno) {
        if (!prev.empty() && CompareEntries(prev.data(), prevRec, key, recno, kl) >= 0) {
            Note(CheckProblem::Kind::kMisordered, t, recno, key);
        }
        prev.assign(key, key + kl);
        prevRec = recno;
        if (recno == 0 || recno > count || entryOf[recno] >= 0) {
            Note(CheckProblem::Kind::kExtra, t, recno, key,
                 recno == 0 || recno > count ? "no such record" : "a second key of its record");
            return true;
        }
        if (t.info.unique && !stored.emplace(reinterpret_cast<const char*>(key), kl).second) {
            Note(CheckProblem::Kind::kExtra, t, recno, key, "a second entry of a unique key");
        }
        entryOf[recno] = static_cast<std::int64_t>(keys.size() / kl);
        keys.insert(keys.end(), key, key + kl);
        return true;
    });
    if (!walked.ok()) {
        if (walked.code() != ErrorCode::kCorrupt) {
            return walked;
        }
        Note(CheckProblem::Kind::kStructure, t, 0, nullptr, walked.message());
        next = count + 1;  // a broken tree says all there is to say about this tag
    }
    return Status::Ok();
}

Status IndexCheck::State::CheckRecords(TagState& t, IndexRecords& records, std::uint32_t last) {
    const std::size_t kl = t.info.keyLength;
    std::string key;
    for (; next <= last; ++next) {
        const RecordSource* record = records.Record(next);
        if (record == nullptr) {
            return Status(ErrorCode::kReadFailed, "record " + std::to_string(next) + " unreadable");
        }
        bool included = false;
        if (Status s = impl->MakeKey(t, *record, key, included); !s.ok()) {
            return s;
        }
        const auto* want = reinterpret_cast<const std::uint8_t*>(key.data());
        std::int64_t entry = entryOf[next];
        const std::uint8_t* have =
            entry >= 0 ? keys.data() + static_cast<std::size_t>(entry) * kl : nullptr;
        if (have && (!included || std::memcmp(have, want, kl) != 0)) {
            Note(CheckProblem::Kind::kExtra, t, next, have);
            have = nullptr;
        }
        // A unique tag keeps one record per key, whichever came first.
        bool held = t.info.unique && stored.count(key) != 0;
        if (included && !have && !held) {
            Note(CheckProblem::Kind::kMissing, t, next, want);
        }
    }
    return Status::Ok();
}

IndexCheck::IndexCheck(std::unique_ptr<State> state) : state_(std::move(state)) {}
IndexCheck::~IndexCheck() = default;

const CheckReport& IndexCheck::report() const {
    return state_->report;
}

Status IndexCheck::Step(IndexRecords& records, std::uint32_t budget, bool& done) {
    State& st = *state_;
    CompoundIndex::Impl& impl = *st.impl;
    done = st.done;
    if (st.done) {
        return Status::Ok();
    }
    if (Status s = impl.Begin(false); !s.ok()) {
        return s;
    }
    std::uint32_t count = records.RecordCount();
    if (impl.version != st.version || count != st.count) {
        st.Restart(count);
    }
    Status s;
    std::uint32_t spent = 0;
    while (s.ok() && st.tag < impl.tags.size() && spent < std::max<std::uint32_t>(budget, 1)) {
        TagState& tag = impl.tags[st.tag];
        if (!st.walked) {
            s = st.Walk(tag);
            st.walked = true;
            spent += st.count / 4 + 1;  // a walk of the tree costs about a quarter of the records
            continue;
        }
        std::uint32_t last = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(st.count, st.next + budget - spent - 1));
        spent += last >= st.next ? last - st.next + 1 : 0;
        s = st.CheckRecords(tag, records, last);
        if (s.ok() && st.next > st.count) {
            ++st.tag;
            st.walked = false;
            st.next = 1;
        }
    }
    if (s.ok() && st.tag >= impl.tags.size()) {
        st.done = done = true;
        st.keys.clear();
        st.entryOf.clear();
        st.stored.clear();
    }
    return impl.End(false, s);
}

std::unique_ptr<IndexCheck> CompoundIndex::StartCheck() {
    auto state = std::make_unique<IndexCheck::State>();
    state->impl = impl_.get();
    state->version = 0;  // restarts at the first step, under the index lock
    return std::unique_ptr<IndexCheck>(new IndexCheck(std::move(state)));
}

// ---- cursors ----

struct TagCursor::State {
    CompoundIndex::Impl* impl = nullptr;
    int order = 0;
    cdx::Position pos;
    std::uint64_t version = 0;
    bool valid = false;
    std::string key;
    std::uint32_t recno = 0;
    std::optional<std::string> low;
    std::optional<std::string> high;

    TagState* Tag() {
        if (order < 1 || static_cast<std::size_t>(order) > impl->tags.size()) {
            return nullptr;
        }
        return &impl->tags[static_cast<std::size_t>(order - 1)];
    }
    // Takes the tree position as the cursor's, unless it falls outside the scope.
    void Settle(TagState& tag) {
        valid = pos.valid;
        if (valid) {
            std::string_view k(reinterpret_cast<const char*>(pos.Key()), tag.info.keyLength);
            if ((low && ComparePrefix(pos.Key(), low->substr(0, k.size())) < 0) ||
                (high && ComparePrefix(pos.Key(), high->substr(0, k.size())) > 0)) {
                valid = false;
            }
        }
        if (valid) {
            key.assign(reinterpret_cast<const char*>(pos.Key()), tag.info.keyLength);
            recno = pos.RecNo();
        }
        version = impl->version;
    }
    Status AscFirst(TagState& tag) {
        cdx::Tree tree(impl->pager, tag.ref);
        if (low) {
            std::string t = low->substr(0, tag.info.keyLength);
            return tree.Seek(
                [&](const std::uint8_t* k, std::uint32_t) { return ComparePrefix(k, t) < 0; }, pos);
        }
        return tree.First(pos);
    }
    Status AscLast(TagState& tag) {
        cdx::Tree tree(impl->pager, tag.ref);
        if (high) {
            std::string t = high->substr(0, tag.info.keyLength);
            Status s = tree.Seek(
                [&](const std::uint8_t* k, std::uint32_t) { return ComparePrefix(k, t) <= 0; },
                pos);
            if (!s.ok()) {
                return s;
            }
            return pos.valid ? tree.Prior(pos) : tree.Last(pos);
        }
        return tree.Last(pos);
    }
    Status AscStep(TagState& tag, bool forward) {
        if (!valid) {
            return Status::Ok();
        }
        cdx::Tree tree(impl->pager, tag.ref);
        if (version == impl->version) {
            return forward ? tree.Next(pos) : tree.Prior(pos);
        }
        // The index changed since the cursor last looked: find the place again by the entry
        // it stood on, which may itself be gone.
        const std::size_t kl = tag.info.keyLength;
        const auto* at = reinterpret_cast<const std::uint8_t*>(key.data());
        std::uint32_t r = recno;
        if (forward) {
            return tree.Seek(
                [&](const std::uint8_t* k, std::uint32_t rk) {
                    return CompareEntries(k, rk, at, r, kl) <= 0;
                },
                pos);
        }
        Status s = tree.Seek([&](const std::uint8_t* k,
                                 std::uint32_t rk) { return CompareEntries(k, rk, at, r, kl) < 0; },
                             pos);
        if (!s.ok()) {
            return s;
        }
        return pos.valid ? tree.Prior(pos) : tree.Last(pos);
    }
    // A move runs first without the index lock when the cached pages are current; when a
    // writer began meanwhile it runs again under the lock (the cursor finds its place again
    // from the entry it stood on, as the reload changes the version).
    template <typename Op>
    Status Run(Op op) {
        for (bool optimistic : {true, false}) {
            if (Status s = impl->Begin(false, optimistic); !s.ok()) {
                valid = false;
                return s;
            }
            bool unlocked = impl->unlocked;
            TagState* tag = Tag();
            Status s = tag ? op(*tag) : Status(ErrorCode::kBadArgument, "the tag is gone");
            if (unlocked && !impl->StillValid()) {
                impl->End(false, s);
                continue;
            }
            if (s.ok() && tag) {
                Settle(*tag);
            } else {
                valid = false;
            }
            return impl->End(false, s);
        }
        return Status(ErrorCode::kReadFailed, "the index kept changing");
    }
};

TagCursor::TagCursor(std::unique_ptr<State> state) : state_(std::move(state)) {}
TagCursor::~TagCursor() = default;

Status TagCursor::First() {
    return state_->Run([&](TagState& tag) {
        return tag.info.descending ? state_->AscLast(tag) : state_->AscFirst(tag);
    });
}

Status TagCursor::Last() {
    return state_->Run([&](TagState& tag) {
        return tag.info.descending ? state_->AscFirst(tag) : state_->AscLast(tag);
    });
}

Status TagCursor::Next() {
    return state_->Run([&](TagState& tag) { return state_->AscStep(tag, !tag.info.descending); });
}

Status TagCursor::Prior() {
    return state_->Run([&](TagState& tag) { return state_->AscStep(tag, tag.info.descending); });
}

Status TagCursor::Seek(std::string_view key, bool soft, bool exact, bool& found) {
    found = false;
    return state_->Run([&](TagState& tag) {
        std::string t(key.substr(0, tag.info.keyLength));
        if (tag.info.type != KeyType::kCharacter) {
            if (t.size() != tag.info.keyLength) {
                return Invalid("seek key of the wrong length for tag " + tag.info.name);
            }
        } else if (exact) {
            t.resize(tag.info.keyLength, ' ');
        }
        cdx::Tree tree(state_->impl->pager, tag.ref);
        cdx::Position& pos = state_->pos;
        Status s;
        if (!tag.info.descending) {
            s = tree.Seek(
                [&](const std::uint8_t* k, std::uint32_t) { return ComparePrefix(k, t) < 0; }, pos);
        } else {
            // Descending order meets the greatest matching entry first; the next key in that
            // order is the greatest one below the target.
            s = tree.Seek(
                [&](const std::uint8_t* k, std::uint32_t) { return ComparePrefix(k, t) <= 0; },
                pos);
            if (s.ok()) {
                s = pos.valid ? tree.Prior(pos) : tree.Last(pos);
            }
        }
        if (!s.ok()) {
            return s;
        }
        found = pos.valid && ComparePrefix(pos.Key(), t) == 0;
        if (found) {
            // Scope still applies: a match outside it is no match.
            state_->Settle(tag);
            found = state_->valid;
        }
        if (!found && !soft) {
            pos.valid = false;
        }
        return Status::Ok();
    });
}

Status TagCursor::SeekRecord(std::string_view key, std::uint32_t recno, bool& found) {
    found = false;
    return state_->Run([&](TagState& tag) {
        if (key.size() != tag.info.keyLength) {
            return Invalid("key of the wrong length for tag " + tag.info.name);
        }
        const auto* at = reinterpret_cast<const std::uint8_t*>(key.data());
        const std::size_t kl = tag.info.keyLength;
        cdx::Tree tree(state_->impl->pager, tag.ref);
        Status s =
            tree.Seek([&](const std::uint8_t* k,
                          std::uint32_t r) { return CompareEntries(k, r, at, recno, kl) < 0; },
                      state_->pos);
        found = s.ok() && state_->pos.valid && state_->pos.RecNo() == recno &&
                std::memcmp(state_->pos.Key(), at, kl) == 0;
        if (!found) {
            state_->pos.valid = false;
        }
        return s;
    });
}

void TagCursor::SetScope(std::optional<std::string> low, std::optional<std::string> high) {
    state_->low = std::move(low);
    state_->high = std::move(high);
}

bool TagCursor::Valid() const {
    return state_->valid;
}
std::uint32_t TagCursor::RecNo() const {
    return state_->valid ? state_->recno : 0;
}
const std::string& TagCursor::Key() const {
    return state_->key;
}

std::unique_ptr<TagCursor> CompoundIndex::NewCursor(int order) {
    auto state = std::make_unique<TagCursor::State>();
    state->impl = impl_.get();
    state->order = order;
    return std::unique_ptr<TagCursor>(new TagCursor(std::move(state)));
}

}  // namespace xbase
