// Memo files (FPT): reading a memo by block number, writing one in place or at the end.
// Private to the engine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/xbase/corrupt.h"
#include "platform/xbase/file_system.h"

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
    // Stores `data`: in the blocks of `oldBlock` when it fits there, else at the end.
    Status Write(std::uint32_t oldBlock, std::string_view data, std::uint32_t& newBlock);
    Status Sync();

    std::uint32_t blockSize() const { return blockSize_; }
    const std::string& path() const { return path_; }

  private:
    MemoFile() = default;
    Status ReadHead(std::uint32_t block, std::uint64_t fileSize, std::uint32_t& length);
    Status ReadNextFree(std::uint32_t& nextFree);

    std::unique_ptr<File> file_;
    std::string path_;
    std::uint32_t blockSize_ = 64;
    std::uint32_t firstBlock_ = 8;
    std::uint32_t nextFree_ = 0;  // as last read or written
    bool writable_ = false;
    bool shared_ = false;
};

}  // namespace xbase
