// Building a tag's tree bottom-up from entries already in key order: full leaves left to
// right, then each interior level over the one below, until one node is left as the root.
#include <cstring>

#include "platform/xbase/cdx_tree.h"

namespace xbase::cdx {

namespace {

// The greatest entry of each node on one level, and where the node is.
struct LevelEntries {
    std::vector<std::uint8_t> keys;
    std::vector<std::uint32_t> recnos;
    std::vector<std::uint32_t> offsets;
    std::size_t Count() const { return offsets.size(); }
};

}  // namespace

Status Tree::Build(std::size_t count, const std::function<const std::uint8_t*(std::size_t)>& key,
                   const std::function<std::uint32_t(std::size_t)>& recno,
                   const std::function<void(std::size_t done)>& progress) {
    const std::size_t kl = ref_.keyLength;
    if (count == 0) {
        return CreateEmpty();
    }
    LevelEntries level;

    // Leaves: a node is filled until the next entry no longer fits. Each leaf is written once
    // the next one has a page, so that its right sibling pointer is known.
    Node pending;
    pending.keyLength = ref_.keyLength;
    pending.attributes = node::kAttrLeaf;
    Node current = pending;
    if (Status s = pager_.Allocate(current.offset); !s.ok()) {
        return s;
    }
    auto flush = [&](Node& n, std::uint32_t right) {
        n.right = right;
        Page page;
        EncodeLeaf(n, 0, n.Count(), ref_.fill, page);
        std::size_t last = n.Count() - 1;
        level.keys.insert(level.keys.end(), n.Key(last), n.Key(last) + kl);
        level.recnos.push_back(n.recnos[last]);
        level.offsets.push_back(n.offset);
        return pager_.Write(n.offset, page);
    };
    LeafPacker packer(ref_.keyLength, ref_.fill);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* k = key(i);
        std::uint32_t r = recno(i);
        if (packer.TryAdd(k, r)) {
            current.Insert(current.Count(), k, r, 0);
        } else {
            if (current.Count() == 0) {
                return Status(ErrorCode::kBadArgument, "key does not fit a page");
            }
            Node next;
            next.keyLength = ref_.keyLength;
            next.attributes = node::kAttrLeaf;
            next.left = current.offset;
            if (Status s = pager_.Allocate(next.offset); !s.ok()) {
                return s;
            }
            if (Status s = flush(current, next.offset); !s.ok()) {
                return s;
            }
            current = std::move(next);
            packer.Reset();
            if (!packer.TryAdd(k, r)) {
                return Status(ErrorCode::kBadArgument, "key does not fit a page");
            }
            current.Insert(0, k, r, 0);
        }
        if (progress && (i & 0x3FFF) == 0) {
            progress(i);
        }
    }
    if (level.Count() == 0) {
        current.attributes |= node::kAttrRoot;
    }
    if (Status s = flush(current, kNoPage); !s.ok()) {
        return s;
    }

    // Interior levels: entries shared evenly among as few nodes as hold them.
    const std::size_t cap = InteriorCapacity(ref_.keyLength);
    while (level.Count() > 1) {
        LevelEntries up;
        std::size_t n = level.Count();
        std::size_t nodes = (n + cap - 1) / cap;
        std::vector<std::uint32_t> offsets(nodes);
        for (auto& offset : offsets) {
            if (Status s = pager_.Allocate(offset); !s.ok()) {
                return s;
            }
        }
        for (std::size_t j = 0; j < nodes; ++j) {
            std::size_t from = j * n / nodes;
            std::size_t to = (j + 1) * n / nodes;
            Node in;
            in.keyLength = ref_.keyLength;
            in.offset = offsets[j];
            in.attributes = nodes == 1 ? node::kAttrRoot : 0;
            in.left = j == 0 ? kNoPage : offsets[j - 1];
            in.right = j + 1 == nodes ? kNoPage : offsets[j + 1];
            in.keys.assign(level.keys.begin() + static_cast<std::ptrdiff_t>(from * kl),
                           level.keys.begin() + static_cast<std::ptrdiff_t>(to * kl));
            in.recnos.assign(level.recnos.begin() + static_cast<std::ptrdiff_t>(from),
                             level.recnos.begin() + static_cast<std::ptrdiff_t>(to));
            in.children.assign(level.offsets.begin() + static_cast<std::ptrdiff_t>(from),
                               level.offsets.begin() + static_cast<std::ptrdiff_t>(to));
            if (Status s = WriteInterior(in); !s.ok()) {
                return s;
            }
            std::size_t last = to - 1;
            up.keys.insert(up.keys.end(),
                           level.keys.begin() + static_cast<std::ptrdiff_t>(last * kl),
                           level.keys.begin() + static_cast<std::ptrdiff_t>((last + 1) * kl));
            up.recnos.push_back(level.recnos[last]);
            up.offsets.push_back(offsets[j]);
        }
        level = std::move(up);
    }
    if (progress) {
        progress(count);
    }
    return SetRoot(level.offsets[0]);
}

}  // namespace xbase::cdx
