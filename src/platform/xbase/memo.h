// Memo files (FPT): reading a memo by block number, writing one at the end, and taking back
// what this handle appended. Private to the engine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/xbase/file_system.h"
#include "platform/xbase/status.h"

namespace xbase {

class MemoFile {
  public:
    // A new, empty memo file; `blockSize` is the byte size of a block (1 to 65535).
    static Status Create(FileSystem& fs, const std::string& path, std::uint32_t blockSize);
    // `shared` makes every append re-read the next free block under a lock first.
    static Status Open(FileSystem& fs, const std::string& path, bool writable, bool shared,
                       std::unique_ptr<MemoFile>& out);

    // Block 0 means "no memo" and reads as an empty text.
    Status Read(std::uint32_t block, std::string& out);
    // Stores `data` in new blocks after the end of the file and after `floor` (the block past
    // the last one any record points into), never over a note: a note is never rewritten in
    // place, so a failed save leaves the old one as it was. A failed write leaves the file as
    // it was.
    Status Write(std::string_view data, std::uint32_t floor, std::uint32_t& newBlock);
    Status Sync();

    // The block past the note at `block` as far as the file tells (its head's length, a
    // pointer past the end counting as one block, a length past the end as at most 16 MiB).
    std::uint32_t Extent(std::uint32_t block, std::uint64_t fileSize);
    // The file's length, for a later TakeBack.
    Status Length(std::uint64_t& length);
    // Cuts the file back to `length` (taken before this handle's appends) and restores the
    // next free block, when nobody appended after this handle's last note; else leaves the
    // notes as unused blocks.
    Status TakeBack(std::uint64_t length);

    std::uint32_t blockSize() const { return blockSize_; }
    const std::string& path() const { return path_; }

  private:
    MemoFile() = default;

    std::unique_ptr<File> file_;
    std::string path_;
    std::uint32_t blockSize_ = 64;
    std::uint32_t firstBlock_ = 8;
    std::uint32_t nextFree_ = 0;     // as last read or written
    std::uint64_t appendedEnd_ = 0;  // the file's end after this handle's last append
    bool writable_ = false;
    bool shared_ = false;
};

}  // namespace xbase
