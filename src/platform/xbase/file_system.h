// The engine's one road to the operating system: files, byte-range locks, renames.
// Tests substitute an in-memory file system, or one that fails on the Nth write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace xbase {

// Whether two names differ at most in the letter case of ASCII letters.
inline bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') {
            x = static_cast<char>(x - 'a' + 'A');
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

enum class OpenMode {
    kReadOnly,
    kReadWrite,
    kCreate,  // read-write; fails when the file exists
};

enum class LockKind { kShared, kExclusive };

// One open file. Every call reports failure through its result; none throws.
class File {
public:
    virtual ~File() = default;

    // Reads up to `n` bytes at `offset`; `got` receives how many were read (short at end of file).
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got) = 0;
    virtual bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t n) = 0;
    virtual bool Size(std::uint64_t& size) = 0;
    virtual bool Truncate(std::uint64_t size) = 0;
    // Makes every write so far durable.
    virtual bool Sync() = 0;

    // Advisory byte-range locks, seen by other processes; offsets beyond the end are legal.
    // With `wait` false a lock held by someone else fails at once.
    virtual bool Lock(std::uint64_t offset, std::uint64_t length, LockKind kind, bool wait) = 0;
    virtual bool Unlock(std::uint64_t offset, std::uint64_t length) = 0;

    // Bytes offset .. offset+n-1 through a read-only view of the file that always shows what
    // the file holds now, the writes of this and of other processes included, so that reads
    // need no system call; null when the file has no view or the bytes are not known to exist
    // (beyond the size last learned through Size, ReadAt or this handle's own writes). The
    // pointer may be read until the next call on this handle; reading through it faults when
    // another program shortened the file meanwhile, which ReadAt guards against: read through
    // ReadAt what another program could shorten.
    virtual const std::uint8_t* ViewAt(std::uint64_t offset, std::size_t n) {
        (void)offset;
        (void)n;
        return nullptr;
    }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // The existing file whose name differs from `path`'s last part at most in the letter case
    // of ASCII letters (the exact name first); empty when there is none. This default knows
    // only the exact name.
    virtual std::string FindIgnoringCase(const std::string& path) {
        return Exists(path) ? path : std::string();
    }
    virtual bool Remove(const std::string& path) = 0;
    // Replaces `to` atomically when it exists.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Makes the directory entries of `directory` (renames, creations) durable.
    virtual bool SyncDirectory(const std::string& directory) = 0;

    // The operating system's file system; lives for the whole process.
    static FileSystem& Default();
};

}  // namespace xbase
