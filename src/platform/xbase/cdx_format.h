// On-disk layout of a compound index file (pages, headers, interior and leaf nodes), its byte
// order helpers and the one place where index corruption is reported. Private to the engine.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/xbase/byte_order.h"
#include "platform/xbase/cdx.h"

namespace xbase::cdx {

// The file is a run of 512-byte pages. Every pointer is a byte offset from the start of the
// file (a multiple of 512); 0xFFFFFFFF means "none". Offset 0 holds the tag directory's
// header, which is a tag header like every other (1024 bytes: a header page, then a page of
// expression text). The directory is itself a compact index whose keys are tag names and
// whose "record numbers" are the offsets of the tags' headers.
inline constexpr std::uint32_t kPageSize = 512;
inline constexpr std::uint32_t kHeaderSize = 1024;
inline constexpr std::uint32_t kNoPage = 0xFFFFFFFFu;
inline constexpr std::uint16_t kMaxKeyLength = 240;
inline constexpr std::size_t kMaxTagName = 10;
// Writers bump this byte-range lock while reading or changing pages (the .cdx, not the .dbf).
inline constexpr std::uint64_t kIndexLockOffset = 0x7FFFFFFEu;

using Page = std::array<std::uint8_t, kPageSize>;

// Tag header (the directory's at offset 0, each tag's at its own offset):
//   off  size  type    meaning
//     0     4  u32 LE  offset of the root node
//     4     4  u32 LE  first free page; only the file header's value is used (file-wide list)
//     8     4  u32 BE  change counter: bumped by every writer, so readers drop cached pages
//    12     2  u16 LE  key length in bytes (10 for the directory)
//    14     1  bits    options (kOpt*)
//    15     1  u8      signature, written as 1
//    16   484  -       reserved, zero
//   500     1  u8      directory header only: 1 while a change to the file is being written,
//                      0 once all its pages are (see below)
//   501     1  -       reserved, zero
//   502     2  u16 LE  0 ascending, 1 descending
//   504     2  u16 LE  start of the FOR text in the pool
//   506     2  u16 LE  FOR text length including its NUL (1 = no FOR)
//   508     2  u16 LE  start of the key text in the pool (0)
//   510     2  u16 LE  key text length including its NUL
//   512   512  ASCII   pool: key text, NUL, FOR text, NUL, zeros
namespace hdr {
inline constexpr std::size_t kRoot = 0;
inline constexpr std::size_t kFreeList = 4;
inline constexpr std::size_t kCounter = 8;
inline constexpr std::size_t kKeyLength = 12;
inline constexpr std::size_t kOptions = 14;
inline constexpr std::size_t kSignature = 15;
// The in-progress mark. It lives in the directory header's reserved bytes, which readers of
// the format skip and other writers leave zero: the directory's keys are tag names, so no
// collation data is kept there, and a byte just before the order field is far from the
// start of the reserved run, where some writers keep theirs in tag headers. Another
// program therefore reads a marked file as it is, and one that rewrites the header page
// merely clears the mark.
inline constexpr std::size_t kInProgress = 500;
inline constexpr std::size_t kOrder = 502;
inline constexpr std::size_t kForStart = 504;
inline constexpr std::size_t kForLength = 506;
inline constexpr std::size_t kKeyStart = 508;
inline constexpr std::size_t kKeyTextLength = 510;
inline constexpr std::size_t kPool = 512;
inline constexpr std::size_t kPoolSize = 512;
}  // namespace hdr

inline constexpr std::uint8_t kOptUnique = 0x01;
inline constexpr std::uint8_t kOptHasFor = 0x08;
inline constexpr std::uint8_t kOptCompact = 0x20;
inline constexpr std::uint8_t kOptCompound = 0x40;
inline constexpr std::uint8_t kOptStructure = 0x80;  // set in the directory's header only
// Bits other writers set that change nothing in what the engine reads: 0x02 and 0x04 (kept
// as found, never written). 0x10 is left refused: it may mean a page layout of its own.
inline constexpr std::uint8_t kOptIgnorable = 0x02 | 0x04;
inline constexpr std::uint8_t kKnownOptions =
    kOptUnique | kOptHasFor | kOptCompact | kOptCompound | kOptStructure | kOptIgnorable;

// Node header, the first 12 bytes of every interior and leaf node:
//   off  size  type    meaning
//     0     2  u16 LE  attributes: sum of 1 = root, 2 = leaf (0 = interior, 3 = lone leaf),
//                      4 = set by another writer on its tags' leaves
//     2     2  u16 LE  number of keys
//     4     4  u32 LE  left sibling on the same level, or none
//     8     4  u32 LE  right sibling on the same level, or none
namespace node {
inline constexpr std::size_t kAttributes = 0;
inline constexpr std::size_t kKeyCount = 2;
inline constexpr std::size_t kLeft = 4;
inline constexpr std::size_t kRight = 8;
inline constexpr std::size_t kHeaderBytes = 12;
inline constexpr std::uint16_t kAttrRoot = 1;
inline constexpr std::uint16_t kAttrLeaf = 2;
// Another writer of the family sets 0x04 on the leaves of its tags (not on its directory's);
// the nodes read the same with it or without, so it is accepted and kept as found.
inline constexpr std::uint16_t kAttrForeign = 4;
inline constexpr std::uint16_t kKnownAttributes = kAttrRoot | kAttrLeaf | kAttrForeign;
}  // namespace node

// Interior node: from offset 12, fixed entries of keylen + 8 bytes, at most 500 / (keylen + 8):
//   off in entry  size    type    meaning
//              0  keylen  bytes   greatest key of the child's subtree, full length
//         keylen       4  u32 BE  record number belonging to that key
//       keylen+4       4  u32 BE  offset of the child node
inline constexpr std::size_t kInteriorSpace = 500;
inline std::size_t InteriorCapacity(std::uint16_t keyLength) {
    return kInteriorSpace / (keyLength + 8u);
}

// Leaf node:
//   off  size  type    meaning
//     0    12  -       node header (attribute has the leaf bit)
//    12     2  u16 LE  free bytes left
//    14     4  u32 LE  record-number mask
//    18     1  u8      duplicate-count mask
//    19     1  u8      trailing-count mask
//    20     1  u8      bits for the record number (R)
//    21     1  u8      bits for the duplicate count (D)
//    22     1  u8      bits for the trailing count (T)
//    23     1  u8      bytes per packed entry (E)
//    24   n*E  -       packed entries, in key order; each an E-byte LE integer v with
//                      recno = v & recmask, dup = (v >> R) & dupmask, trail = (v >> (R+D)) &
//                      trailmask
//     ...      -       free space (zero)
//   ...511     -       key bytes, packed from the end of the node backwards: of each key only
//                      the bytes after the `dup` shared with the previous key and before the
//                      `trail` fill bytes are stored
namespace leaf {
inline constexpr std::size_t kFree = 12;
inline constexpr std::size_t kRecMask = 14;
inline constexpr std::size_t kDupMask = 18;
inline constexpr std::size_t kTrailMask = 19;
inline constexpr std::size_t kRecBits = 20;
inline constexpr std::size_t kDupBits = 21;
inline constexpr std::size_t kTrailBits = 22;
inline constexpr std::size_t kEntryBytes = 23;
inline constexpr std::size_t kEntries = 24;
inline constexpr std::size_t kSpace = kPageSize - kEntries;  // 488
}  // namespace leaf

// Byte order comes from the engine's one coding module.
using xbase::GetBE32;
using xbase::GetLE16;
using xbase::GetLE32;
using xbase::PutBE32;
using xbase::PutLE16;
using xbase::PutLE32;

// What was wrong with an index and where in its file, for the engine's corruption report.
std::string AtOffset(const char* what, std::uint64_t fileOffset);
#define CDX_CORRUPT(what, offset) \
    ::xbase::ReportCorrupt(__FILE__, __LINE__, "index", ::xbase::cdx::AtOffset((what), (offset)))

}  // namespace xbase::cdx
