// The compound index's page cache and its file-wide free-page list.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/xbase/cdx_tree.h"

namespace xbase::cdx {

std::string AtOffset(const char* what, std::uint64_t fileOffset) {
    char buffer[192];
    std::snprintf(buffer, sizeof buffer, "%s at offset 0x%llX", what,
                  static_cast<unsigned long long>(fileOffset));
    return buffer;
}

namespace {
// Called right after the failed call, so that errno still holds the system's words. `code`
// says whether a read or a write failed.
Status IoError(ErrorCode code, const char* what, std::uint64_t offset) {
    const char* why = errno != 0 ? std::strerror(errno) : "refused";
    char buffer[192];
    std::snprintf(buffer, sizeof buffer, "index file %s failed at offset 0x%llX: %s", what,
                  static_cast<unsigned long long>(offset), why);
    return Status(code, buffer);
}
}  // namespace

Status Pager::Open() {
    if (!file_.Size(fileSize_)) {
        return IoError(ErrorCode::kReadFailed, "size", 0);
    }
    return Status::Ok();
}

Pager::Slot* Pager::Lookup(std::uint32_t offset) {
    auto it = cache_.find(offset);
    if (it == cache_.end()) {
        return nullptr;
    }
    lru_.splice(lru_.begin(), lru_, it->second.lru);
    return &it->second;
}

Status Pager::ReadFromFile(std::uint32_t offset, Page& out) {
    std::size_t got = 0;
    if (!file_.ReadAt(offset, out.data(), kPageSize, got)) {
        return IoError(ErrorCode::kReadFailed, "read", offset);
    }
    if (got != kPageSize) {
        return CDX_CORRUPT("page beyond the end of the file", offset);
    }
    return Status::Ok();
}

Status Pager::Evict() {
    while (cache_.size() >= kCacheLimit && !lru_.empty()) {
        std::uint32_t victim = lru_.back();
        auto it = cache_.find(victim);
        if (it->second.dirty) {
            if (Status s = SetMark(true); !s.ok()) {
                return s;
            }
            errno = 0;
            if (!file_.WriteAt(victim, it->second.page.data(), kPageSize)) {
                return IoError(ErrorCode::kWriteFailed, "write", victim);
            }
            --dirtyCount_;
        }
        lru_.pop_back();
        cache_.erase(it);
    }
    return Status::Ok();
}

Status Pager::Read(std::uint32_t offset, Page& out) {
    if (offset % kPageSize != 0 || offset == kNoPage ||
        static_cast<std::uint64_t>(offset) + kPageSize > fileSize_) {
        return CDX_CORRUPT("page pointer outside the file", offset);
    }
    if (Slot* slot = Lookup(offset)) {
        out = slot->page;
        return Status::Ok();
    }
    if (Status s = ReadFromFile(offset, out); !s.ok()) {
        return s;
    }
    if (Status s = Evict(); !s.ok()) {
        return s;
    }
    lru_.push_front(offset);
    Slot& slot = cache_[offset];
    slot.page = out;
    slot.lru = lru_.begin();
    return Status::Ok();
}

Status Pager::Journal(std::uint32_t offset, const Page* clean) {
    if (!journaling_) {
        journaling_ = true;
        journal_.clear();
        journalComplete_ = file_.Size(journalSize_);
    }
    if (offset >= journalSize_ || journal_.count(offset) != 0) {
        return Status::Ok();
    }
    Page before;
    if (clean == nullptr) {
        if (Status s = ReadFromFile(offset, before); !s.ok()) {
            return s;
        }
        clean = &before;
    }
    journal_.emplace(offset, *clean);
    return Status::Ok();
}

Status Pager::Write(std::uint32_t offset, const Page& page) {
    if (offset % kPageSize != 0 || static_cast<std::uint64_t>(offset) + kPageSize > fileSize_) {
        return CDX_CORRUPT("write outside the file", offset);
    }
    if (Slot* slot = Lookup(offset)) {
        if (!slot->dirty) {
            if (Status s = Journal(offset, &slot->page); !s.ok()) {
                return s;
            }
        }
        slot->page = page;
        if (!slot->dirty) {
            slot->dirty = true;
            ++dirtyCount_;
        }
        return Status::Ok();
    }
    if (Status s = Journal(offset, nullptr); !s.ok()) {
        return s;
    }
    if (Status s = Evict(); !s.ok()) {
        return s;
    }
    lru_.push_front(offset);
    Slot& slot = cache_[offset];
    slot.page = page;
    slot.dirty = true;
    slot.lru = lru_.begin();
    ++dirtyCount_;
    return Status::Ok();
}

Status Pager::AllocateAtEnd(std::uint32_t count, std::uint32_t& offset) {
    std::uint64_t end = (fileSize_ + kPageSize - 1) / kPageSize * kPageSize;
    if (end + std::uint64_t{count} * kPageSize >= kIndexLockOffset) {
        return Status(ErrorCode::kWriteFailed, "index file would exceed its size limit");
    }
    offset = static_cast<std::uint32_t>(end);
    fileSize_ = end + std::uint64_t{count} * kPageSize;
    Page zero{};
    for (std::uint32_t i = 0; i < count; ++i) {
        if (Status s = Write(offset + i * kPageSize, zero); !s.ok()) {
            return s;
        }
    }
    return Status::Ok();
}

// A page on the free list carries the next free page in its first four bytes and zeros after
// them. A list entry that does not look like that (another writer's stale list, a damaged
// file) is dropped rather than trusted: handing out a page still in use would corrupt a tag.
Status Pager::Allocate(std::uint32_t& offset) {
    Page header;
    if (Status s = Read(0, header); !s.ok()) {
        return s;
    }
    std::uint32_t head = GetLE32(header.data() + hdr::kFreeList);
    if (head != kNoPage && head != 0) {
        Page freed;
        bool usable = head % kPageSize == 0 && head >= kHeaderSize &&
                      std::uint64_t{head} + kPageSize <= fileSize_ && Read(head, freed).ok() &&
                      std::all_of(freed.begin() + 4, freed.end(), [](auto b) { return b == 0; });
        std::uint32_t next = usable ? GetLE32(freed.data()) : kNoPage;
        PutLE32(header.data() + hdr::kFreeList, next == 0 ? kNoPage : next);
        if (Status s = Write(0, header); !s.ok()) {
            return s;
        }
        if (usable) {
            offset = head;
            Page zero{};
            return Write(offset, zero);
        }
    }
    return AllocateAtEnd(1, offset);
}

Status Pager::Free(std::uint32_t offset) {
    Page header;
    if (Status s = Read(0, header); !s.ok()) {
        return s;
    }
    Page freed{};
    std::uint32_t head = GetLE32(header.data() + hdr::kFreeList);
    PutLE32(freed.data(), head == 0 ? kNoPage : head);
    if (Status s = Write(offset, freed); !s.ok()) {
        return s;
    }
    PutLE32(header.data() + hdr::kFreeList, offset);
    return Write(0, header);
}

Status Pager::Flush(bool bump) {
    if (bump) {
        Page header;
        if (Status s = Read(0, header); !s.ok()) {
            return s;
        }
        PutBE32(header.data() + hdr::kCounter, GetBE32(header.data() + hdr::kCounter) + 1);
        if (Status s = Write(0, header); !s.ok()) {
            return s;
        }
    }
    if (dirtyCount_ == 0) {
        return marked_ ? SetMark(false) : Status::Ok();
    }
    if (Status s = SetMark(true); !s.ok()) {
        return s;
    }
    // In offset order, so that the file grows front to back and the header goes first.
    std::vector<std::uint32_t> dirty;
    dirty.reserve(dirtyCount_);
    for (auto& [offset, slot] : cache_) {
        if (slot.dirty) {
            dirty.push_back(offset);
        }
    }
    std::sort(dirty.begin(), dirty.end());
    for (std::uint32_t offset : dirty) {
        Slot& slot = cache_[offset];
        errno = 0;
        if (!file_.WriteAt(offset, slot.page.data(), kPageSize)) {
            return IoError(ErrorCode::kWriteFailed, "write", offset);
        }
        slot.dirty = false;
        --dirtyCount_;
    }
    return SetMark(false);
}

Status Pager::SetMark(bool on) {
    if (marked_ == on || (!on && (keepMark_ || holdMark_))) {
        return Status::Ok();
    }
    std::uint8_t byte = on ? 1 : 0;
    errno = 0;
    if (!file_.WriteAt(hdr::kInProgress, &byte, 1)) {
        return IoError(ErrorCode::kWriteFailed, "write", hdr::kInProgress);
    }
    if (Slot* slot = Lookup(0)) {
        slot->page[hdr::kInProgress] = byte;
    }
    marked_ = on;
    if (!on) {
        journaling_ = false;
        journal_.clear();
    }
    return Status::Ok();
}

Status Pager::Rollback() {
    DropCache();
    if (!journaling_) {
        return Status::Ok();
    }
    if (!marked_) {  // nothing reached the file
        journaling_ = false;
        journal_.clear();
        return Status::Ok();
    }
    if (!journalComplete_) {
        return Status(ErrorCode::kWriteFailed, "the index change cannot be taken back");
    }
    // The change counter only ever grows: the header goes back with the counter the file
    // has now, once more bumped, so that every reader drops what it read of the change.
    std::uint8_t now[4] = {};
    std::size_t got = 0;
    if (!file_.ReadAt(hdr::kCounter, now, sizeof now, got) || got != sizeof now) {
        return IoError(ErrorCode::kReadFailed, "read", hdr::kCounter);
    }
    for (auto& [offset, image] : journal_) {
        if (offset == 0) {
            PutBE32(image.data() + hdr::kCounter, GetBE32(now) + 1);
            image[hdr::kInProgress] = 1;  // cleared last, by SetMark
        }
        errno = 0;
        if (!file_.WriteAt(offset, image.data(), kPageSize)) {
            return IoError(ErrorCode::kWriteFailed, "write", offset);
        }
    }
    std::uint64_t size = 0;
    errno = 0;
    if (!file_.Size(size) || (size > journalSize_ && !file_.Truncate(journalSize_))) {
        return IoError(ErrorCode::kWriteFailed, "truncate", journalSize_);
    }
    fileSize_ = journalSize_;
    if (Status s = SetMark(false); !s.ok()) {
        return s;
    }
    journaling_ = false;
    journal_.clear();
    return Status::Ok();
}

Status Pager::SetCounter(std::uint32_t counter) {
    std::uint8_t bytes[4];
    PutBE32(bytes, counter);
    errno = 0;
    if (!file_.WriteAt(hdr::kCounter, bytes, sizeof bytes)) {
        return IoError(ErrorCode::kWriteFailed, "write", hdr::kCounter);
    }
    if (Slot* slot = Lookup(0)) {
        std::memcpy(slot->page.data() + hdr::kCounter, bytes, sizeof bytes);
    }
    return Status::Ok();
}

void Pager::DropCache() {
    cache_.clear();
    lru_.clear();
    dirtyCount_ = 0;
}

Status Pager::WriteDirect(std::uint32_t offset, const std::uint8_t* data, std::size_t n) {
    for (std::size_t done = 0; done < n; done += kPageSize) {
        auto page = static_cast<std::uint32_t>(offset + done);
        Slot* slot = Lookup(page);
        if (Status s = Journal(page, slot && !slot->dirty ? &slot->page : nullptr); !s.ok()) {
            return s;
        }
    }
    if (Status s = SetMark(true); !s.ok()) {
        return s;
    }
    for (std::size_t done = 0; done < n; done += kPageSize) {
        auto it = cache_.find(static_cast<std::uint32_t>(offset + done));
        if (it != cache_.end()) {
            if (it->second.dirty) {
                --dirtyCount_;
            }
            lru_.erase(it->second.lru);
            cache_.erase(it);
        }
    }
    errno = 0;
    if (!file_.WriteAt(offset, data, n)) {
        return IoError(ErrorCode::kWriteFailed, "write", offset);
    }
    fileSize_ = std::max<std::uint64_t>(fileSize_, std::uint64_t{offset} + n);
    return Status::Ok();
}

}  // namespace xbase::cdx
