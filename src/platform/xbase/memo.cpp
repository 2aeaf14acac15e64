// Memo files (FPT): bounds-checked reads, appends after the end, taking back own appends.
#include "platform/xbase/memo.h"

#include <algorithm>
#include <cerrno>
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
        return WriteFailure(path);
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

std::uint32_t MemoFile::Extent(std::uint32_t block, std::uint64_t fileSize) {
    constexpr std::uint64_t kLongest = 16u << 20;
    std::uint64_t offset = std::uint64_t{block} * blockSize_;
    unsigned char head[dbf::kMemoBlockHead];
    std::size_t got = 0;
    std::uint64_t bytes = dbf::kMemoBlockHead;
    if (offset + sizeof head <= fileSize && file_->ReadAt(offset, head, sizeof head, got) &&
        got == sizeof head) {
        bytes += std::min<std::uint64_t>(GetBE32(head + 4), kLongest);
    }
    std::uint64_t end = block + (bytes + blockSize_ - 1) / blockSize_;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(end, 0xFFFFFFFFull));
}

Status MemoFile::Write(std::string_view data, std::uint32_t floor, std::uint32_t& newBlock) {
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
    // The note with its head, padded to whole blocks so that the file ends on a boundary.
    std::vector<char> bytes(static_cast<std::size_t>(blocksNeeded * blockSize_), 0);
    PutBE32(bytes.data(), dbf::kMemoTypeText);
    PutBE32(bytes.data() + 4, static_cast<std::uint32_t>(data.size()));
    std::memcpy(bytes.data() + dbf::kMemoBlockHead, data.data(), data.size());

    bool locked = false;
    if (shared_) {
        if (!file_->Lock(kMemoLockByte, 1, LockKind::kExclusive, true)) {
            return {ErrorCode::kLockFailed, "cannot lock " + path_};
        }
        locked = true;
    }
    // Under the lock, so that others' appends are seen. New notes go after the last byte of
    // the file and after every block a record points into: the header's next free block is
    // kept right but never trusted (one behind the end would overwrite notes, one far beyond
    // it would grow the file by gigabytes), and a file cut short or records pointing past its
    // end must not have new notes written where old pointers lead.
    std::uint64_t fileSize = 0;
    Status result = Status::Ok();
    if (!file_->Size(fileSize)) {
        result = {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    std::uint64_t endBlock = (fileSize + blockSize_ - 1) / blockSize_;
    std::uint64_t block = std::max<std::uint64_t>({endBlock, firstBlock_, floor});
    if (result && block + blocksNeeded > 0xFFFFFFFFull) {
        result = {ErrorCode::kWriteFailed, path_ + " is full"};
    }
    if (result) {
        // Data first, then the header's next free block, so that a crash in between leaves
        // only unused blocks behind; a refused write is taken back at once.
        unsigned char next[4];
        unsigned char oldNext[4];
        std::size_t got = 0;
        auto nextFree = static_cast<std::uint32_t>(block + blocksNeeded);
        PutBE32(next, nextFree);
        errno = 0;
        if (!file_->ReadAt(dbf::kMemoOffNextFree, oldNext, sizeof oldNext, got) ||
            got != sizeof oldNext) {
            result = {ErrorCode::kReadFailed, "cannot read " + path_};
        } else if (!file_->WriteAt(block * blockSize_, bytes.data(), bytes.size()) ||
                   !file_->WriteAt(dbf::kMemoOffNextFree, next, sizeof next)) {
            result = WriteFailure(path_);
            file_->WriteAt(dbf::kMemoOffNextFree, oldNext, sizeof oldNext);
            file_->Truncate(fileSize);
        } else {
            nextFree_ = nextFree;
            appendedEnd_ = std::uint64_t{nextFree} * blockSize_;
            newBlock = static_cast<std::uint32_t>(block);
        }
    }
    if (locked) {
        file_->Unlock(kMemoLockByte, 1);
    }
    return result;
}

Status MemoFile::Length(std::uint64_t& length) {
    if (!file_->Size(length)) {
        return {ErrorCode::kReadFailed, "cannot read " + path_};
    }
    return Status::Ok();
}

Status MemoFile::TakeBack(std::uint64_t length) {
    if (!writable_ || appendedEnd_ <= length) {
        return Status::Ok();
    }
    if (shared_ && !file_->Lock(kMemoLockByte, 1, LockKind::kExclusive, true)) {
        return {ErrorCode::kLockFailed, "cannot lock " + path_};
    }
    std::uint64_t now = 0;
    Status result = Length(now);
    if (result && now == appendedEnd_) {
        unsigned char next[4];
        PutBE32(next, static_cast<std::uint32_t>((length + blockSize_ - 1) / blockSize_));
        errno = 0;
        if (!file_->WriteAt(dbf::kMemoOffNextFree, next, sizeof next) ||
            !file_->Truncate(length)) {
            result = WriteFailure(path_);
        } else {
            appendedEnd_ = length;
            nextFree_ = GetBE32(next);
        }
    }
    if (shared_) {
        file_->Unlock(kMemoLockByte, 1);
    }
    return result;
}

Status MemoFile::Sync() {
    if (writable_ && !file_->Sync()) {
        return WriteFailure(path_);
    }
    return Status::Ok();
}

}  // namespace xbase
