// One tag's B+tree: descent through interior nodes whose entries carry the greatest key of
// their child, insert with splits, remove with leaf merges and root collapse, sibling moves.
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/xbase/cdx_tree.h"

namespace xbase::cdx {

namespace {

int CompareEntry(const std::uint8_t* a, std::uint32_t ra, const std::uint8_t* b, std::uint32_t rb,
                 std::size_t kl) {
    int c = CompareKeys(a, b, kl);
    if (c != 0) {
        return c;
    }
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

std::size_t FirstNotBefore(const Node& n, const BeforeTarget& before) {
    std::size_t lo = 0;
    std::size_t hi = n.Count();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (before(n.Key(mid), n.recnos[mid])) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

}  // namespace

Status Tree::LoadNode(std::uint32_t offset, Node& node) {
    if (offset < kHeaderSize) {
        return CDX_CORRUPT("node pointer into the file header", offset);
    }
    Page page;
    if (Status s = pager_.Read(offset, page); !s.ok()) {
        return s;
    }
    return DecodeNode(page, offset, ref_.keyLength, ref_.fill, node);
}

Status Tree::SetRoot(std::uint32_t root) {
    Page header;
    if (Status s = pager_.Read(ref_.header, header); !s.ok()) {
        return s;
    }
    PutLE32(header.data() + hdr::kRoot, root);
    ref_.root = root;
    return pager_.Write(ref_.header, header);
}

Status Tree::SetSibling(std::uint32_t offset, bool left, std::uint32_t value) {
    if (offset == kNoPage) {
        return Status::Ok();
    }
    Page page;
    if (Status s = pager_.Read(offset, page); !s.ok()) {
        return s;
    }
    PutLE32(page.data() + (left ? node::kLeft : node::kRight), value);
    return pager_.Write(offset, page);
}

Status Tree::WriteLeaf(const Node& n) {
    Page page;
    EncodeLeaf(n, 0, n.Count(), ref_.fill, page);
    return pager_.Write(n.offset, page);
}

Status Tree::WriteInterior(const Node& n) {
    Page page;
    EncodeInterior(n, 0, n.Count(), page);
    return pager_.Write(n.offset, page);
}

Status Tree::CreateEmpty() {
    Node root;
    root.attributes = node::kAttrRoot | node::kAttrLeaf;
    root.keyLength = ref_.keyLength;
    if (Status s = pager_.Allocate(root.offset); !s.ok()) {
        return s;
    }
    if (Status s = WriteLeaf(root); !s.ok()) {
        return s;
    }
    return SetRoot(root.offset);
}

Status Tree::Descend(const BeforeTarget& before, std::vector<PathStep>& path, Node& leaf) {
    path.clear();
    std::uint32_t offset = ref_.root;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        Node n;
        if (Status s = LoadNode(offset, n); !s.ok()) {
            return s;
        }
        if (depth == 0 && (n.attributes & node::kAttrRoot) == 0) {
            return CDX_CORRUPT("root node without the root mark", offset);
        }
        if (n.IsLeaf()) {
            leaf = std::move(n);
            return Status::Ok();
        }
        if (n.Count() == 0) {
            return CDX_CORRUPT("empty interior node", offset);
        }
        std::size_t i = std::min(FirstNotBefore(n, before), n.Count() - 1);
        offset = n.children[i];
        path.push_back({std::move(n), i});
    }
    return CDX_CORRUPT("tree deeper than any index can be", offset);
}

// Splits into pieces that each fit a page. After an insert at the end of the node the old
// node stays full and the new one starts nearly empty, which suits keys that arrive in order;
// elsewhere the entries are shared evenly so that both halves have room to grow.
Status Tree::WriteSplit(Node& n, bool appendHeavy,
                        std::vector<std::pair<std::uint32_t, std::size_t>>& pieces) {
    pieces.clear();
    const std::size_t count = n.Count();
    if (n.IsLeaf()) {
        // Most writes fit: one packing pass settles it.
        Page page;
        if (EncodeLeaf(n, 0, count, ref_.fill, page)) {
            pieces.emplace_back(n.offset, count == 0 ? 0 : count - 1);
            return pager_.Write(n.offset, page);
        }
    }
    std::vector<std::size_t> starts;  // first index of each piece
    if (n.IsLeaf()) {
        if (LeafFitCount(n, 0, ref_.fill) == count) {
            starts.push_back(0);
        } else {
            if (!appendHeavy) {
                std::size_t firstFit = LeafFitCount(n, 0, ref_.fill);
                for (std::size_t d = 0; d < count && starts.empty(); ++d) {
                    for (std::size_t k : {count / 2 - std::min(d, count / 2), count / 2 + d}) {
                        if (k > 0 && k < count && k <= firstFit &&
                            LeafFitCount(n, k, ref_.fill) == count - k) {
                            starts = {0, k};
                            break;
                        }
                    }
                }
            }
            if (starts.empty()) {
                for (std::size_t at = 0; at < count;) {
                    std::size_t fit = LeafFitCount(n, at, ref_.fill);
                    if (fit == 0) {
                        return Status(ErrorCode::kBadArgument, "key does not fit a page");
                    }
                    starts.push_back(at);
                    at += fit;
                }
            }
        }
    } else {
        const std::size_t cap = InteriorCapacity(ref_.keyLength);
        if (count <= cap) {
            starts.push_back(0);
        } else if (appendHeavy) {
            for (std::size_t at = 0; at < count; at += cap) {
                starts.push_back(at);
            }
        } else {
            std::size_t m = (count + cap - 1) / cap;
            for (std::size_t j = 0; j < m; ++j) {
                starts.push_back(j * count / m);
            }
        }
    }

    std::vector<std::uint32_t> offsets(starts.size());
    offsets[0] = n.offset;
    for (std::size_t j = 1; j < starts.size(); ++j) {
        if (Status s = pager_.Allocate(offsets[j]); !s.ok()) {
            return s;
        }
    }
    const std::uint32_t oldLeft = n.left;
    const std::uint32_t oldRight = n.right;
    std::uint16_t attributes = n.attributes;
    if (starts.size() > 1) {
        attributes &= static_cast<std::uint16_t>(~node::kAttrRoot);
    }
    for (std::size_t j = 0; j < starts.size(); ++j) {
        std::size_t from = starts[j];
        std::size_t to = j + 1 < starts.size() ? starts[j + 1] : count;
        Node piece;
        piece.attributes = attributes;
        piece.left = j == 0 ? oldLeft : offsets[j - 1];
        piece.right = j + 1 < starts.size() ? offsets[j + 1] : oldRight;
        Page page;
        if (n.IsLeaf()) {
            n.attributes = attributes;
            n.left = piece.left;
            n.right = piece.right;
            EncodeLeaf(n, from, to - from, ref_.fill, page);
        } else {
            n.attributes = attributes;
            n.left = piece.left;
            n.right = piece.right;
            EncodeInterior(n, from, to - from, page);
        }
        if (Status s = pager_.Write(offsets[j], page); !s.ok()) {
            return s;
        }
        pieces.emplace_back(offsets[j], to - 1);
    }
    n.left = oldLeft;
    n.right = oldRight;
    if (starts.size() > 1) {
        if (Status s = SetSibling(oldRight, true, offsets.back()); !s.ok()) {
            return s;
        }
    }
    return Status::Ok();
}

// After a node below was rewritten as `pieces`, brings every ancestor up to date: entries
// for new pieces, and greatest keys that changed, up to the root (which may split in turn).
Status Tree::FixParents(std::vector<PathStep>& path, Node& child,
                        std::vector<std::pair<std::uint32_t, std::size_t>>& pieces,
                        bool appendHeavy) {
    const std::size_t kl = ref_.keyLength;
    Node* below = &child;
    for (std::size_t level = path.size(); level-- > 0;) {
        Node& parent = path[level].node;
        std::size_t ci = path[level].child;
        const std::uint8_t* maxKey = below->Key(pieces[0].second);
        std::uint32_t maxRec = below->recnos[pieces[0].second];
        if (pieces.size() == 1 && parent.children[ci] == pieces[0].first &&
            parent.recnos[ci] == maxRec && CompareKeys(parent.Key(ci), maxKey, kl) == 0) {
            return Status::Ok();
        }
        std::memcpy(parent.keys.data() + ci * kl, maxKey, kl);
        parent.recnos[ci] = maxRec;
        parent.children[ci] = pieces[0].first;
        for (std::size_t j = 1; j < pieces.size(); ++j) {
            parent.Insert(ci + j, below->Key(pieces[j].second), below->recnos[pieces[j].second],
                          pieces[j].first);
        }
        std::vector<std::pair<std::uint32_t, std::size_t>> up;
        if (Status s = WriteSplit(parent, appendHeavy, up); !s.ok()) {
            return s;
        }
        pieces = std::move(up);
        below = &parent;
    }
    if (pieces.size() == 1) {
        return Status::Ok();
    }
    Node root;
    root.attributes = node::kAttrRoot;
    root.keyLength = ref_.keyLength;
    for (std::size_t j = 0; j < pieces.size(); ++j) {
        root.Insert(j, below->Key(pieces[j].second), below->recnos[pieces[j].second],
                    pieces[j].first);
    }
    if (Status s = pager_.Allocate(root.offset); !s.ok()) {
        return s;
    }
    std::vector<std::pair<std::uint32_t, std::size_t>> top;
    if (root.Count() > InteriorCapacity(ref_.keyLength)) {
        // Several pieces at once overflow even a fresh root: build one more level.
        std::vector<PathStep> none;
        if (Status s = WriteSplit(root, appendHeavy, top); !s.ok()) {
            return s;
        }
        return FixParents(none, root, top, appendHeavy);
    }
    if (Status s = WriteInterior(root); !s.ok()) {
        return s;
    }
    return SetRoot(root.offset);
}

Status Tree::Insert(const std::uint8_t* key, std::uint32_t recno, bool unique, bool& inserted) {
    inserted = false;
    const std::size_t kl = ref_.keyLength;
    if (unique) {
        Position pos;
        BeforeTarget lowerKey = [&](const std::uint8_t* k, std::uint32_t) {
            return CompareKeys(k, key, kl) < 0;
        };
        if (Status s = Seek(lowerKey, pos); !s.ok()) {
            return s;
        }
        if (pos.valid && CompareKeys(pos.Key(), key, kl) == 0) {
            return Status::Ok();
        }
    }
    BeforeTarget before = [&](const std::uint8_t* k, std::uint32_t r) {
        return CompareEntry(k, r, key, recno, kl) < 0;
    };
    std::vector<PathStep> path;
    Node leaf;
    if (Status s = Descend(before, path, leaf); !s.ok()) {
        return s;
    }
    std::size_t i = FirstNotBefore(leaf, before);
    if (i < leaf.Count() && leaf.recnos[i] == recno && CompareKeys(leaf.Key(i), key, kl) == 0) {
        return Status::Ok();  // already there
    }
    leaf.Insert(i, key, recno, 0);
    // Keys arriving in order (appends, or a run of equal keys growing at its end) land at
    // the end of a leaf again and again: keep the full part full when splitting there.
    bool appendHeavy = i + 1 == leaf.Count();
    std::vector<std::pair<std::uint32_t, std::size_t>> pieces;
    if (Status s = WriteSplit(leaf, appendHeavy, pieces); !s.ok()) {
        return s;
    }
    inserted = true;
    return FixParents(path, leaf, pieces, appendHeavy);
}

Status Tree::CollapseRoot() {
    for (int guard = 0; guard < kMaxDepth; ++guard) {
        Node root;
        if (Status s = LoadNode(ref_.root, root); !s.ok()) {
            return s;
        }
        if (root.IsLeaf() || root.Count() != 1) {
            return Status::Ok();
        }
        Page page;
        std::uint32_t child = root.children[0];
        if (Status s = pager_.Read(child, page); !s.ok()) {
            return s;
        }
        PutLE16(page.data() + node::kAttributes,
                GetLE16(page.data() + node::kAttributes) | node::kAttrRoot);
        PutLE32(page.data() + node::kLeft, kNoPage);
        PutLE32(page.data() + node::kRight, kNoPage);
        if (Status s = pager_.Write(child, page); !s.ok()) {
            return s;
        }
        if (Status s = SetRoot(child); !s.ok()) {
            return s;
        }
        if (Status s = pager_.Free(root.offset); !s.ok()) {
            return s;
        }
    }
    return Status::Ok();
}

// Takes the entry for the emptied node out of its parent; a parent left empty goes too. The
// greatest keys above change when the entry was the last of its node.
Status Tree::RemoveFromParents(std::vector<PathStep>& path, Node& emptied) {
    const std::size_t kl = ref_.keyLength;
    if (Status s = SetSibling(emptied.left, false, emptied.right); !s.ok()) {
        return s;
    }
    if (Status s = SetSibling(emptied.right, true, emptied.left); !s.ok()) {
        return s;
    }
    if (Status s = pager_.Free(emptied.offset); !s.ok()) {
        return s;
    }
    for (std::size_t level = path.size(); level-- > 0;) {
        Node& parent = path[level].node;
        std::size_t ci = path[level].child;
        bool wasLast = ci + 1 == parent.Count();
        parent.Erase(ci);
        if (parent.Count() == 0) {
            if (level == 0) {
                Node root;
                root.offset = parent.offset;
                root.attributes = node::kAttrRoot | node::kAttrLeaf;
                root.keyLength = ref_.keyLength;
                return WriteLeaf(root);
            }
            if (Status s = SetSibling(parent.left, false, parent.right); !s.ok()) {
                return s;
            }
            if (Status s = SetSibling(parent.right, true, parent.left); !s.ok()) {
                return s;
            }
            if (Status s = pager_.Free(parent.offset); !s.ok()) {
                return s;
            }
            continue;
        }
        if (Status s = WriteInterior(parent); !s.ok()) {
            return s;
        }
        Node* below = &parent;
        for (std::size_t up = level; wasLast && up-- > 0;) {
            Node& anc = path[up].node;
            std::size_t ai = path[up].child;
            std::size_t last = below->Count() - 1;
            std::memcpy(anc.keys.data() + ai * kl, below->Key(last), kl);
            anc.recnos[ai] = below->recnos[last];
            if (Status s = WriteInterior(anc); !s.ok()) {
                return s;
            }
            wasLast = ai + 1 == anc.Count();
            below = &anc;
        }
        break;
    }
    return CollapseRoot();
}

// A leaf that shrank joins its right neighbour under the same parent (or its left one) when
// both fit in one page, so that removals do not leave a trail of nearly empty pages.
Status Tree::TryMerge(std::vector<PathStep>& path, Node& n) {
    if (path.empty()) {
        return Status::Ok();
    }
    Node& parent = path.back().node;
    std::size_t ci = path.back().child;
    for (int side = 0; side < 2; ++side) {
        bool right = side == 0;
        if (right ? ci + 1 >= parent.Count() : ci == 0) {
            continue;
        }
        std::size_t li = right ? ci : ci - 1;  // parent entries of the two nodes: li, li + 1
        Node other;
        if (Status s = LoadNode(parent.children[right ? ci + 1 : ci - 1], other); !s.ok()) {
            return s;
        }
        if (!other.IsLeaf()) {
            return CDX_CORRUPT("leaf and interior node on one level", other.offset);
        }
        Node& first = right ? n : other;
        Node& second = right ? other : n;
        if (first.right != second.offset) {
            continue;  // a sibling chain that disagrees with the parent: leave it alone
        }
        Node joined = first;
        joined.keys.insert(joined.keys.end(), second.keys.begin(), second.keys.end());
        joined.recnos.insert(joined.recnos.end(), second.recnos.begin(), second.recnos.end());
        if (LeafFitCount(joined, 0, ref_.fill) != joined.Count()) {
            continue;
        }
        joined.right = second.right;
        if (Status s = WriteLeaf(joined); !s.ok()) {
            return s;
        }
        if (Status s = SetSibling(second.right, true, joined.offset); !s.ok()) {
            return s;
        }
        if (Status s = pager_.Free(second.offset); !s.ok()) {
            return s;
        }
        parent.children[li + 1] = joined.offset;
        parent.Erase(li);
        if (Status s = WriteInterior(parent); !s.ok()) {
            return s;
        }
        return CollapseRoot();
    }
    return Status::Ok();
}

Status Tree::Remove(const std::uint8_t* key, std::uint32_t recno, bool& removed) {
    removed = false;
    const std::size_t kl = ref_.keyLength;
    BeforeTarget before = [&](const std::uint8_t* k, std::uint32_t r) {
        return CompareEntry(k, r, key, recno, kl) < 0;
    };
    std::vector<PathStep> path;
    Node leaf;
    if (Status s = Descend(before, path, leaf); !s.ok()) {
        return s;
    }
    std::size_t i = FirstNotBefore(leaf, before);
    if (i >= leaf.Count() || leaf.recnos[i] != recno || CompareKeys(leaf.Key(i), key, kl) != 0) {
        return Status::Ok();
    }
    removed = true;
    bool wasLast = i + 1 == leaf.Count();
    leaf.Erase(i);
    if (leaf.Count() == 0 && !path.empty()) {
        return RemoveFromParents(path, leaf);
    }
    std::vector<std::pair<std::uint32_t, std::size_t>> pieces;
    if (Status s = WriteSplit(leaf, false, pieces); !s.ok()) {
        return s;
    }
    if (leaf.Count() == 0) {
        return Status::Ok();  // the root leaf of an empty tag
    }
    if (wasLast || pieces.size() > 1) {
        if (Status s = FixParents(path, leaf, pieces, false); !s.ok()) {
            return s;
        }
        if (pieces.size() > 1) {
            return Status::Ok();
        }
    }
    return TryMerge(path, leaf);
}

Status Tree::Seek(const BeforeTarget& before, Position& pos) {
    std::vector<PathStep> path;
    pos.valid = false;
    if (Status s = Descend(before, path, pos.leaf); !s.ok()) {
        return s;
    }
    pos.index = FirstNotBefore(pos.leaf, before);
    if (pos.index < pos.leaf.Count()) {
        pos.valid = true;
        return Status::Ok();
    }
    // Only the last leaf has no entry at or after a target below the greatest key, but a
    // leaf emptied by another writer may sit on the way: continue along the level.
    if (pos.leaf.Count() == 0) {
        if (pos.leaf.right == kNoPage) {
            return Status::Ok();
        }
        Node next;
        for (int hops = 0; hops < kMaxDepth && pos.leaf.right != kNoPage; ++hops) {
            if (Status s = LoadNode(pos.leaf.right, next); !s.ok()) {
                return s;
            }
            pos.leaf = std::move(next);
            pos.index = FirstNotBefore(pos.leaf, before);
            if (pos.index < pos.leaf.Count()) {
                pos.valid = true;
                return Status::Ok();
            }
        }
        return Status::Ok();
    }
    pos.index = pos.leaf.Count() - 1;
    pos.valid = true;
    Status s = Next(pos);
    if (s.ok() && pos.valid && before(pos.Key(), pos.RecNo())) {
        return CDX_CORRUPT("interior keys disagree with their leaves", pos.leaf.offset);
    }
    return s;
}

Status Tree::First(Position& pos) {
    BeforeTarget none = [](const std::uint8_t*, std::uint32_t) { return false; };
    return Seek(none, pos);
}

Status Tree::Last(Position& pos) {
    pos.valid = false;
    std::uint32_t offset = ref_.root;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        Node n;
        if (Status s = LoadNode(offset, n); !s.ok()) {
            return s;
        }
        if (n.IsLeaf()) {
            pos.leaf = std::move(n);
            if (pos.leaf.Count() == 0) {
                pos.index = 0;
                pos.valid = false;
                if (pos.leaf.left == kNoPage) {
                    return Status::Ok();
                }
                pos.valid = true;  // step back over the empty leaf
                return Prior(pos);
            }
            pos.index = pos.leaf.Count() - 1;
            pos.valid = true;
            return Status::Ok();
        }
        if (n.Count() == 0) {
            return CDX_CORRUPT("empty interior node", offset);
        }
        offset = n.children.back();
    }
    return CDX_CORRUPT("tree deeper than any index can be", offset);
}

// Moves along the sibling chain. Each step must reach a strictly greater (or, backwards,
// smaller) entry, so a chain that loops or wanders is reported instead of followed forever.
Status Tree::Next(Position& pos) {
    if (!pos.valid) {
        return Status::Ok();
    }
    if (pos.index + 1 < pos.leaf.Count()) {
        ++pos.index;
        return Status::Ok();
    }
    const std::size_t kl = ref_.keyLength;
    std::vector<std::uint8_t> key;
    std::uint32_t recno = 0;
    bool haveKey = pos.leaf.Count() > 0;
    if (haveKey) {
        key.assign(pos.Key(), pos.Key() + kl);
        recno = pos.RecNo();
    }
    std::uint64_t limit = pager_.FileSize() / kPageSize + 1;
    std::uint32_t offset = pos.leaf.right;
    for (std::uint64_t hops = 0; offset != kNoPage; ++hops) {
        if (hops > limit) {
            return CDX_CORRUPT("sibling chain loops", offset);
        }
        Node n;
        if (Status s = LoadNode(offset, n); !s.ok()) {
            return s;
        }
        if (!n.IsLeaf()) {
            return CDX_CORRUPT("leaf sibling is not a leaf", offset);
        }
        if (n.Count() > 0) {
            if (haveKey && CompareEntry(n.Key(0), n.recnos[0], key.data(), recno, kl) <= 0) {
                return CDX_CORRUPT("sibling chain out of key order", offset);
            }
            pos.leaf = std::move(n);
            pos.index = 0;
            return Status::Ok();
        }
        offset = n.right;
    }
    pos.valid = false;
    return Status::Ok();
}

Status Tree::Prior(Position& pos) {
    if (!pos.valid) {
        return Status::Ok();
    }
    if (pos.index > 0 && pos.index <= pos.leaf.Count()) {
        --pos.index;
        return Status::Ok();
    }
    const std::size_t kl = ref_.keyLength;
    std::vector<std::uint8_t> key;
    std::uint32_t recno = 0;
    bool haveKey = pos.leaf.Count() > 0;
    if (haveKey) {
        key.assign(pos.Key(), pos.Key() + kl);
        recno = pos.RecNo();
    }
    std::uint64_t limit = pager_.FileSize() / kPageSize + 1;
    std::uint32_t offset = pos.leaf.left;
    for (std::uint64_t hops = 0; offset != kNoPage; ++hops) {
        if (hops > limit) {
            return CDX_CORRUPT("sibling chain loops", offset);
        }
        Node n;
        if (Status s = LoadNode(offset, n); !s.ok()) {
            return s;
        }
        if (!n.IsLeaf()) {
            return CDX_CORRUPT("leaf sibling is not a leaf", offset);
        }
        if (n.Count() > 0) {
            std::size_t last = n.Count() - 1;
            if (haveKey && CompareEntry(n.Key(last), n.recnos[last], key.data(), recno, kl) >= 0) {
                return CDX_CORRUPT("sibling chain out of key order", offset);
            }
            pos.leaf = std::move(n);
            pos.index = last;
            return Status::Ok();
        }
        offset = n.left;
    }
    pos.valid = false;
    return Status::Ok();
}

Status Tree::VisitNodes(const std::function<Status(const Node&, int depth)>& visit) {
    std::unordered_set<std::uint32_t> seen;
    const std::size_t kl = ref_.keyLength;
    // Depth-first with an explicit stack; each interior entry must be at least the greatest
    // key below it, or searches would miss keys.
    struct Frame {
        std::uint32_t offset;
        int depth;
        bool bounded;
        std::vector<std::uint8_t> bound;
        std::uint32_t boundRec;
    };
    std::vector<Frame> stack;
    stack.push_back({ref_.root, 0, false, {}, 0});
    int leafDepth = -1;
    while (!stack.empty()) {
        Frame f = std::move(stack.back());
        stack.pop_back();
        if (f.depth >= kMaxDepth) {
            return CDX_CORRUPT("tree deeper than any index can be", f.offset);
        }
        if (!seen.insert(f.offset).second) {
            return CDX_CORRUPT("page reached twice (a cycle or shared page)", f.offset);
        }
        Node n;
        if (Status s = LoadNode(f.offset, n); !s.ok()) {
            return s;
        }
        if ((f.depth == 0) != ((n.attributes & node::kAttrRoot) != 0)) {
            return CDX_CORRUPT("root mark on the wrong node", f.offset);
        }
        if (f.bounded && n.Count() > 0) {
            std::size_t last = n.Count() - 1;
            if (CompareEntry(n.Key(last), n.recnos[last], f.bound.data(), f.boundRec, kl) > 0) {
                return CDX_CORRUPT("node holds keys beyond its parent's entry", f.offset);
            }
        }
        if (n.IsLeaf()) {
            if (leafDepth >= 0 && leafDepth != f.depth) {
                return CDX_CORRUPT("leaves at different depths", f.offset);
            }
            leafDepth = f.depth;
        } else if (n.Count() == 0) {
            return CDX_CORRUPT("empty interior node", f.offset);
        }
        if (Status s = visit(n, f.depth); !s.ok()) {
            return s;
        }
        if (!n.IsLeaf()) {
            for (std::size_t i = n.Count(); i-- > 0;) {
                stack.push_back({n.children[i], f.depth + 1, true,
                                 std::vector<std::uint8_t>(n.Key(i), n.Key(i) + kl), n.recnos[i]});
            }
        }
    }
    return Status::Ok();
}

Status Tree::Walk(const std::function<bool(const std::uint8_t*, std::uint32_t)>& visit) {
    bool stopped = false;
    return VisitNodes([&](const Node& n, int) {
        if (n.IsLeaf()) {
            for (std::size_t i = 0; i < n.Count() && !stopped; ++i) {
                stopped = !visit(n.Key(i), n.recnos[i]);
            }
        }
        return Status::Ok();
    });
}

Status Tree::FreeAll() {
    std::vector<std::uint32_t> pages;
    if (ref_.root != kNoPage) {
        if (Status s = VisitNodes([&](const Node& n, int) {
                pages.push_back(n.offset);
                return Status::Ok();
            });
            !s.ok()) {
            return s;
        }
    }
    for (std::uint32_t page : pages) {
        if (Status s = pager_.Free(page); !s.ok()) {
            return s;
        }
    }
    ref_.root = kNoPage;
    return Status::Ok();
}

}  // namespace xbase::cdx
