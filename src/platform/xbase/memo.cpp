// Memo files (FPT): bounds-checked reads, appends at the next free block, rewrites in place.
#include "platform/xbase/memo.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/xbase/byte_order.h"
#include "platform/xbase/dbf_format.h"

namespace xbase {
namespace {

constexpr std::uint64_t kMemoLockByte = 0x7FFFFFFEull;

std::uint32_t FirstBlock(std::uint32_t blockSize) {
    return (dbf::kMemoHeaderSize + blockSize - 1) / blockSize;
}

}  // namespace

Status MemoFile::Create(FileSystem& fs, const std::string& path, std::uint32_t blockSize) {
    if (blockSize == 0 || blockSize > 0xFFFF) {
        return {ErrorCode::kBadArgument, "memo block size out of range"};
    }
    fs.Remove(path);
    auto file = fs.Open(path, OpenMode::kCreate);
    if (!file) {
        return {ErrorCode::kOpenFailed, "cannot create " + path};
    }
    std::vector<char> header(dbf::kMemoHeaderSize, 0);
    PutBE32(header.data() + dbf::kMemoOffNextFree, FirstBlock(blockSize));
    PutBE16(header.data() + dbf::kMemoOffBlockSize, static_cast<std::uint16_t>(blockSize));
    if (!file->WriteAt(0, header.data(), header.size())) {
        return {ErrorCode::kWriteFailed, "cannot write " + path};
    }
    return Status::Ok();
}

Status MemoFile::Open(FileSystem& fs, const std::string& path, bool writable, bool shared,
                      std::unique_ptr<MemoFile>& out) {
    std::unique_ptr<MemoFile> memo(new MemoFile());
    memo->file_ = fs.Open(path, writable ? OpenMode::kReadWrite : OpenMode::kReadOnly);
    if (!memo->file_) {
        return {ErrorCode::kOpenFailed, "cannot open memo file " + path};
    }
    memo->path_ = path;
    memo->writable_ = writable;
    memo->shared_ = shared;
    unsigned char header[8];
    std::size_t got = 0;
    if (!memo->file_->ReadAt(0, header, sizeof header, got)) {
        return {ErrorCode::kReadFailed, "cannot read " + path};
    }
    if (got < sizeof header) {
        return XBASE_CORRUPT(path + ": memo header is short");
    }
    std::uint32_t blockSize = GetBE16(header + dbf::kMemoOffBlockSize);
    if (blockSize == 0) {
        return XBASE_CORRUPT(path + ": memo block size is 0");
    }
    memo->blockSize_ = blockSize;
    memo->firstBlock_ = FirstBlock(blockSize);
    memo->nextFree_ = GetBE32(header + dbf::kMemoOffNextFree);
    out = std::move(memo);
    return Status::Ok();
}

Status MemoFile::ReadHead(std::uint32_t block, std::uint64_t fileSize, std::uint32_t& length) {
    if (block < firstBlock_) {
        return XBASE_CORRUPT(path_ + ": memo pointer " + std::to_string(block) +
                             " lies in the header");
    }
    std::uint64_t offset = std::uint64_t{block} * blockSize_;
    if (offset + dbf::kMemoBlockHead > fileSize) {
        return XBASE_CORRUPT(path_ + ": memo pointer " + std::to_string(block) +
                             " beyond the end of the file");
    }
    unsigned char head[dbf::kMemoBlockHead];
    std::size_t got = 0;
    if (!file_->ReadAt(offset, head, sizeof head, got) || got != sizeof head) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    length = GetBE32(head + 4);
    if (length > fileSize - offset - dbf::kMemoBlockHead) {
        return XBASE_CORRUPT(path_ + ": memo at block " + std::to_string(block) +
                             " runs beyond the end of the file");
    }
    return Status::Ok();
}

Status MemoFile::Read(std::uint32_t block, std::string& out) {
    out.clear();
    if (block == 0) {
        return Status::Ok();
    }
    if (block < firstBlock_) {
        return XBASE_CORRUPT(path_ + ": memo pointer " + std::to_string(block) +
                             " lies in the header");
    }
    // Most memos are short: one read of the head and the first bytes serves them; only a
    // longer one asks for the file size, so that no length is trusted beyond the file.
    constexpr std::size_t kFirstRead = 1024;
    char first[kFirstRead];
    std::size_t got = 0;
    std::uint64_t offset = std::uint64_t{block} * blockSize_;
    if (!file_->ReadAt(offset, first, sizeof first, got)) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    if (got < dbf::kMemoBlockHead) {
        return XBASE_CORRUPT(path_ + ": memo pointer " + std::to_string(block) +
                             " beyond the end of the file");
    }
    std::uint32_t length = GetBE32(first + 4);
    if (length <= got - dbf::kMemoBlockHead) {
        out.assign(first + dbf::kMemoBlockHead, length);
        return Status::Ok();
    }
    if (got == sizeof first) {
        std::uint64_t fileSize = 0;
        if (!file_->Size(fileSize)) {
            return {ErrorCode::kReadFailed, "cannot read " + path_};
        }
        if (length <= fileSize - offset - dbf::kMemoBlockHead) {
            out.resize(length);
            std::uint64_t rest = offset + dbf::kMemoBlockHead;
            if (!file_->ReadAt(rest, out.data(), length, got) || got != length) {
                out.clear();
                return {ErrorCode::kReadFailed, "cannot read " + path_};
            }
            return Status::Ok();
        }
    }
    return XBASE_CORRUPT(path_ + ": memo at block " + std::to_string(block) +
                         " runs beyond the end of the file");
}

Status MemoFile::ReadNextFree(std::uint32_t& nextFree) {
    unsigned char header[4];
    std::size_t got = 0;
    if (!file_->ReadAt(0, header, sizeof header, got) || got != sizeof header) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    nextFree = GetBE32(header);
    return Status::Ok();
}

Status MemoFile::Write(std::uint32_t oldBlock, std::string_view data, std::uint32_t& newBlock) {
    if (!writable_) {
        return {ErrorCode::kReadOnly, path_ + " is open read-only"};
    }
    newBlock = 0;
    if (data.empty()) {
        return Status::Ok();  // an empty memo is stored as no memo
    }
    if (data.size() > 0x7FFFFFFFu - dbf::kMemoBlockHead) {
        return {ErrorCode::kBadArgument, "memo too long"};
    }
    std::uint64_t blocksNeeded =
        (std::uint64_t{dbf::kMemoBlockHead} + data.size() + blockSize_ - 1) / blockSize_;
    std::vector<char> bytes(dbf::kMemoBlockHead + data.size());
    PutBE32(bytes.data(), dbf::kMemoTypeText);
    PutBE32(bytes.data() + 4, static_cast<std::uint32_t>(data.size()));
    std::memcpy(bytes.data() + dbf::kMemoBlockHead, data.data(), data.size());

    std::uint64_t fileSize = 0;
    if (!file_->Size(fileSize)) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    if (oldBlock != 0) {
        std::uint32_t oldLength = 0;
        if (ReadHead(oldBlock, fileSize, oldLength)) {
            std::uint64_t oldBlocks =
                (std::uint64_t{dbf::kMemoBlockHead} + oldLength + blockSize_ - 1) / blockSize_;
            if (blocksNeeded <= oldBlocks) {
                if (!file_->WriteAt(std::uint64_t{oldBlock} * blockSize_, bytes.data(),
                                    bytes.size())) {
                    return {ErrorCode::kWriteFailed, "cannot write " + path_};
                }
                newBlock = oldBlock;
                return Status::Ok();
            }
        }
    }

    // Appends: data first, then the header's next free block, so that a crash in between
    // leaves only unused blocks behind.
    bool locked = false;
    if (shared_) {
        if (!file_->Lock(kMemoLockByte, 1, LockKind::kExclusive, true)) {
            return {ErrorCode::kLockFailed, "cannot lock " + path_};
        }
        locked = true;
        if (Status s = ReadNextFree(nextFree_); !s) {
            file_->Unlock(kMemoLockByte, 1);
            return s;
        }
        if (!file_->Size(fileSize)) {  // others may have appended before we got the lock
            file_->Unlock(kMemoLockByte, 1);
            return {ErrorCode::kReadFailed, "cannot read " + path_};
        }
    }
    // New memos go after the last byte of the file. The header's next free block normally
    // says the same; one behind the end (another writer's file, padding) would overwrite
    // memos, and one far beyond it (a damaged header) would grow the file by gigabytes.
    std::uint64_t endBlock = (fileSize + blockSize_ - 1) / blockSize_;
    std::uint32_t block =
        static_cast<std::uint32_t>(std::max<std::uint64_t>(endBlock, firstBlock_));
    Status result = Status::Ok();
    if (std::uint64_t{block} + blocksNeeded > 0xFFFFFFFFull) {
        result = {ErrorCode::kWriteFailed, path_ + " is full"};
    } else if (!file_->WriteAt(std::uint64_t{block} * blockSize_, bytes.data(), bytes.size())) {
        result = {ErrorCode::kWriteFailed, "cannot write " + path_};
    } else {
        unsigned char next[4];
        std::uint32_t nextFree = static_cast<std::uint32_t>(block + blocksNeeded);
        PutBE32(next, nextFree);
        // The last block is padded so that the file always ends on a block boundary.
        std::uint64_t end = std::uint64_t{nextFree} * blockSize_;
        std::uint64_t written = std::uint64_t{block} * blockSize_ + bytes.size();
        if (end > written) {
            std::vector<char> pad(static_cast<std::size_t>(end - written), 0);
            if (!file_->WriteAt(written, pad.data(), pad.size())) {
                result = {ErrorCode::kWriteFailed, "cannot write " + path_};
            }
        }
        if (result && !file_->WriteAt(dbf::kMemoOffNextFree, next, sizeof next)) {
            result = {ErrorCode::kWriteFailed, "cannot write " + path_};
        }
        if (result) {
            nextFree_ = nextFree;
            newBlock = block;
        }
    }
    if (locked) {
        file_->Unlock(kMemoLockByte, 1);
    }
    return result;
}

Status MemoFile::Sync() {
    if (writable_ && !file_->Sync()) {
        return {ErrorCode::kWriteFailed, "cannot sync " + path_};
    }
    return Status::Ok();
}

}  // namespace xbase
