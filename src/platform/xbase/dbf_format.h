// On-disk layout of the engine's tables (DBF), memo files (FPT) and lock bytes, as offset /
// size / meaning tables. Private to the engine.
#pragma once

#include <cstdint>

namespace xbase::dbf {

// Table header, 32 fixed bytes at offset 0 (integers little-endian):
//   off size meaning
//    0   1   file type: 0x03 no memo, 0xF5 with FPT memo, 0x30/0x31/0x32 the later
//            32-bit family (memo presence from the field types); others are refused
//    1   3   date of last update: year mod 100, month, day (read: yy < 80 -> 20yy else 19yy)
//    4   4   number of records, deleted ones included
//    8   2   header length = file offset of record 1 (always trusted, never computed)
//   10   2   record length, deletion flag included
//   12  16   reserved, zero
//   28   1   table flags: 0x01 structural compound index, 0x02 memo (later family), 0x04 DBC
//   29   1   code page mark (0x03 = Windows-1252, written on creation)
//   30   2   reserved
//   32 32*n  field descriptors, then 0x0D; the later family adds a 263-byte backlink
constexpr int kHeaderSize = 32;
constexpr int kOffType = 0;
constexpr int kOffUpdate = 1;
constexpr int kOffRecCount = 4;
constexpr int kOffHeaderLength = 8;
constexpr int kOffRecordLength = 10;
constexpr int kOffFlags = 28;
constexpr int kOffCodePage = 29;

constexpr std::uint8_t kTypeNoMemo = 0x03;
constexpr std::uint8_t kTypeFoxMemo = 0xF5;
constexpr std::uint8_t kTypeVfp = 0x30;
constexpr std::uint8_t kTypeVfpAuto = 0x31;
constexpr std::uint8_t kTypeVfpVar = 0x32;
constexpr std::uint8_t kTypeFoxBase = 0x02;
constexpr std::uint8_t kTypeFoxBase2 = 0xFB;

constexpr std::uint8_t kFlagStructuralIndex = 0x01;
constexpr std::uint8_t kFlagMemo = 0x02;
constexpr std::uint8_t kCodePage1252 = 0x03;

// Field descriptor, 32 bytes:
//   off size meaning
//    0  11   name, NUL-padded (at most 10 characters)
//   11   1   type letter
//   12   4   offset of the field in the record (recomputed on read; a stored 0 is common)
//   16   1   width
//   17   1   decimals
//   18   1   flags (0x01 system, 0x02 nullable, 0x04 binary)
//   19  13   autoincrement data and reserved bytes
constexpr int kFieldSize = 32;
constexpr int kFieldOffName = 0;
constexpr int kFieldNameMax = 10;
constexpr int kFieldOffType = 11;
constexpr int kFieldOffOffset = 12;
constexpr int kFieldOffWidth = 16;
constexpr int kFieldOffDecimals = 17;
constexpr int kFieldOffFlags = 18;
constexpr char kHeaderTerminator = 0x0D;
constexpr int kBacklinkSize = 263;

// Records follow the header, record n (from 1) at header + (n-1) * length. Byte 0 of a record
// is ' ' for a live record, '*' for a deleted one. One 0x1A ends the file.
constexpr char kLive = ' ';
constexpr char kDeleted = '*';
constexpr char kEndOfFile = 0x1A;

constexpr int kMaxFields = 255;
constexpr int kMaxRecordLength = 65500;
constexpr std::uint32_t kMaxRecords = 0x7FFFFFFF;

// Memo file header, 512 bytes at offset 0 (integers big-endian):
//   off size meaning
//    0   4   next free block
//    4   2   unused
//    6   2   block size in bytes
//    8 504   unused
// A memo starts on a block boundary (offset = block * block size) with an 8-byte head:
//    0   4   block type (1 = text, 0 = picture/binary, 2 = object)
//    4   4   data length, the head excluded
constexpr int kMemoHeaderSize = 512;
constexpr int kMemoOffNextFree = 0;
constexpr int kMemoOffBlockSize = 6;
constexpr int kMemoBlockHead = 8;
constexpr std::uint32_t kMemoTypeText = 1;

// Advisory byte-range locks on the table file, at offsets where no data of a table within
// the 2 GB limit lives, so that locked records stay readable:
//   0x7FFFFFFF       1 byte   open lock: shared by every open, exclusive for an exclusive open
//   0x7FFFFFFE       1 byte   header lock: taken to append or to rewrite the header
//   0x7FFFFFFE - n   1 byte   lock of record n
constexpr std::uint64_t kOpenLockByte = 0x7FFFFFFFull;
constexpr std::uint64_t kHeaderLockByte = 0x7FFFFFFEull;
inline std::uint64_t RecordLockByte(std::uint32_t recNo) {
    return kHeaderLockByte - recNo;
}

}  // namespace xbase::dbf
