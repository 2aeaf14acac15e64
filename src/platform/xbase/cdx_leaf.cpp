// Nodes of a compact index: unpacking leaf and interior pages with every count checked against
// the page, packing them back, and how many entries fit in one leaf.
#include <algorithm>
#include <cstring>

#include "platform/xbase/cdx_tree.h"

namespace xbase::cdx {

int CompareKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    return std::memcmp(a, b, n);
}

void Node::Insert(std::size_t at, const std::uint8_t* key, std::uint32_t recno,
                  std::uint32_t child) {
    keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(at * keyLength), key, key + keyLength);
    recnos.insert(recnos.begin() + static_cast<std::ptrdiff_t>(at), recno);
    if (!IsLeaf()) {
        children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), child);
    }
}

void Node::Erase(std::size_t at) {
    auto first = keys.begin() + static_cast<std::ptrdiff_t>(at * keyLength);
    keys.erase(first, first + keyLength);
    recnos.erase(recnos.begin() + static_cast<std::ptrdiff_t>(at));
    if (!IsLeaf()) {
        children.erase(children.begin() + static_cast<std::ptrdiff_t>(at));
    }
}

namespace {

// Bit widths a writer uses: duplicate and trailing counts get the smallest b with
// 2^b > key length; the record number gets the rest of a 3-byte entry, a byte more at a time
// until the largest record number of the node fits.
struct LeafLayout {
    int countBits = 0;
    int recBits = 0;
    int entryBytes = 0;
};

LeafLayout LayoutFor(std::uint16_t keyLength, std::uint32_t maxRecno) {
    LeafLayout layout;
    while ((1u << layout.countBits) <= keyLength) {
        ++layout.countBits;
    }
    layout.entryBytes = 3;
    layout.recBits = 24 - 2 * layout.countBits;
    while (layout.recBits < 32 &&
           std::uint64_t{maxRecno} > (std::uint64_t{1} << layout.recBits) - 1) {
        ++layout.entryBytes;
        layout.recBits += 8;
    }
    // Record numbers have 32 bits; with short keys the last byte added may hold spare bits.
    layout.recBits = std::min(layout.recBits, 32);
    return layout;
}

std::size_t Trail(const std::uint8_t* key, std::size_t keyLength, std::uint8_t fill) {
    std::size_t n = 0;
    while (n < keyLength && key[keyLength - 1 - n] == fill) {
        ++n;
    }
    return n;
}

std::size_t Dup(const std::uint8_t* key, const std::uint8_t* prev, std::size_t keyLength,
                std::size_t trail, std::size_t prevTrail) {
    std::size_t limit = keyLength - std::max(trail, prevTrail);
    std::size_t n = 0;
    while (n < limit && key[n] == prev[n]) {
        ++n;
    }
    return n;
}

}  // namespace

Status DecodeNode(const Page& page, std::uint32_t offset, std::uint16_t keyLength,
                  std::uint8_t fill, Node& out) {
    const std::uint8_t* p = page.data();
    out.offset = offset;
    out.attributes = GetLE16(p + node::kAttributes);
    out.left = GetLE32(p + node::kLeft);
    out.right = GetLE32(p + node::kRight);
    out.keyLength = keyLength;
    out.keys.clear();
    out.recnos.clear();
    out.children.clear();
    if ((out.attributes & ~node::kKnownAttributes) != 0) {
        return CDX_CORRUPT("unknown node attributes", offset);
    }
    std::size_t count = GetLE16(p + node::kKeyCount);

    if (!out.IsLeaf()) {
        if (count > InteriorCapacity(keyLength)) {
            return CDX_CORRUPT("interior node holds more keys than fit", offset);
        }
        out.keys.resize(count * keyLength);
        out.recnos.resize(count);
        out.children.resize(count);
        const std::size_t entry = keyLength + 8u;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = p + node::kHeaderBytes + i * entry;
            std::memcpy(out.keys.data() + i * keyLength, e, keyLength);
            out.recnos[i] = GetBE32(e + keyLength);
            out.children[i] = GetBE32(e + keyLength + 4);
        }
        return Status::Ok();
    }

    const unsigned recBits = p[leaf::kRecBits];
    const unsigned dupBits = p[leaf::kDupBits];
    const unsigned trailBits = p[leaf::kTrailBits];
    const unsigned entryBytes = p[leaf::kEntryBytes];
    const std::uint64_t recMask = GetLE32(p + leaf::kRecMask);
    const std::uint64_t dupMask = p[leaf::kDupMask];
    const std::uint64_t trailMask = p[leaf::kTrailMask];
    if (count > 0 && (entryBytes < 1 || entryBytes > 8 ||
                      recBits + dupBits + trailBits > 8 * entryBytes || recBits > 32)) {
        return CDX_CORRUPT("leaf bit widths do not fit its entries", offset);
    }
    const std::size_t entriesEnd = leaf::kEntries + count * entryBytes;
    if (entriesEnd > kPageSize) {
        return CDX_CORRUPT("leaf holds more entries than fit", offset);
    }
    out.keys.resize(count * keyLength);
    out.recnos.resize(count);
    std::vector<std::uint8_t> prev(keyLength, fill);
    std::size_t pos = kPageSize;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t v = 0;
        const std::uint8_t* e = p + leaf::kEntries + i * entryBytes;
        for (unsigned b = 0; b < entryBytes; ++b) {
            v |= std::uint64_t{e[b]} << (8 * b);
        }
        std::size_t dup = (v >> recBits) & dupMask;
        std::size_t trail = (v >> (recBits + dupBits)) & trailMask;
        if (dup + trail > keyLength) {
            return CDX_CORRUPT("leaf key longer than the key length", offset);
        }
        std::size_t take = keyLength - dup - trail;
        if (pos < entriesEnd + take) {
            return CDX_CORRUPT("leaf key bytes overlap its entries", offset);
        }
        pos -= take;
        std::uint8_t* key = out.keys.data() + i * keyLength;
        std::memcpy(key, prev.data(), dup);
        std::memcpy(key + dup, p + pos, take);
        std::memset(key + dup + take, fill, trail);
        std::memcpy(prev.data(), key, keyLength);
        out.recnos[i] = static_cast<std::uint32_t>(v & recMask);
    }
    return Status::Ok();
}

bool LeafPacker::TryAdd(const std::uint8_t* key, std::uint32_t recno) {
    std::size_t trail = Trail(key, keyLength_, fill_);
    std::size_t dup = prev_ == nullptr ? 0 : Dup(key, prev_, keyLength_, trail, prevTrail_);
    std::uint32_t newMax = std::max(maxRecno_, recno);
    LeafLayout layout = LayoutFor(keyLength_, newMax);
    std::size_t take = keyLength_ - dup - trail;
    if ((count_ + 1) * layout.entryBytes + takes_ + take > leaf::kSpace) {
        return false;
    }
    maxRecno_ = newMax;
    takes_ += take;
    prevTrail_ = trail;
    prev_ = key;
    ++count_;
    return true;
}

std::size_t LeafFitCount(const Node& node, std::size_t from, std::uint8_t fill) {
    LeafPacker packer(node.keyLength, fill);
    for (std::size_t i = from; i < node.Count(); ++i) {
        if (!packer.TryAdd(node.Key(i), node.recnos[i])) {
            break;
        }
    }
    return packer.Count();
}

bool EncodeLeaf(const Node& node, std::size_t from, std::size_t count, std::uint8_t fill,
                Page& out) {
    out.fill(0);
    std::uint8_t* p = out.data();
    const std::size_t kl = node.keyLength;
    std::uint32_t maxRecno = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        maxRecno = std::max(maxRecno, node.recnos[i]);
    }
    LeafLayout layout = LayoutFor(node.keyLength, maxRecno);
    const unsigned cb = static_cast<unsigned>(layout.countBits);
    const unsigned rb = static_cast<unsigned>(layout.recBits);
    PutLE16(p + node::kAttributes, node.attributes);
    PutLE16(p + node::kKeyCount, static_cast<std::uint16_t>(count));
    PutLE32(p + node::kLeft, node.left);
    PutLE32(p + node::kRight, node.right);
    PutLE32(p + leaf::kRecMask,
            static_cast<std::uint32_t>((std::uint64_t{1} << layout.recBits) - 1));
    p[leaf::kDupMask] = static_cast<std::uint8_t>((1u << cb) - 1);
    p[leaf::kTrailMask] = static_cast<std::uint8_t>((1u << cb) - 1);
    p[leaf::kRecBits] = static_cast<std::uint8_t>(rb);
    p[leaf::kDupBits] = static_cast<std::uint8_t>(cb);
    p[leaf::kTrailBits] = static_cast<std::uint8_t>(cb);
    p[leaf::kEntryBytes] = static_cast<std::uint8_t>(layout.entryBytes);

    std::size_t pos = kPageSize;
    std::size_t prevTrail = 0;
    const std::size_t entriesEnd = leaf::kEntries + count * layout.entryBytes;
    if (entriesEnd > kPageSize) {
        return false;
    }
    for (std::size_t i = from; i < from + count; ++i) {
        const std::uint8_t* key = node.Key(i);
        std::size_t trail = Trail(key, kl, fill);
        std::size_t dup = i == from ? 0 : Dup(key, node.Key(i - 1), kl, trail, prevTrail);
        std::size_t take = kl - dup - trail;
        if (pos < entriesEnd + take) {
            return false;
        }
        pos -= take;
        std::memcpy(p + pos, key + dup, take);
        std::uint64_t v = std::uint64_t{node.recnos[i]} | (std::uint64_t{dup} << rb) |
                          (std::uint64_t{trail} << (rb + cb));
        std::uint8_t* e = p + leaf::kEntries + (i - from) * layout.entryBytes;
        for (int b = 0; b < layout.entryBytes; ++b) {
            e[b] = static_cast<std::uint8_t>(v >> (8 * b));
        }
        prevTrail = trail;
    }
    PutLE16(p + leaf::kFree, static_cast<std::uint16_t>(pos - entriesEnd));
    return true;
}

void EncodeInterior(const Node& node, std::size_t from, std::size_t count, Page& out) {
    out.fill(0);
    std::uint8_t* p = out.data();
    PutLE16(p + node::kAttributes, node.attributes);
    PutLE16(p + node::kKeyCount, static_cast<std::uint16_t>(count));
    PutLE32(p + node::kLeft, node.left);
    PutLE32(p + node::kRight, node.right);
    const std::size_t kl = node.keyLength;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* e = p + node::kHeaderBytes + i * (kl + 8);
        std::memcpy(e, node.Key(from + i), kl);
        PutBE32(e + kl, node.recnos[from + i]);
        PutBE32(e + kl + 4, node.children[from + i]);
    }
}

}  // namespace xbase::cdx
