// An in-memory file system for tests: files live in a map, byte-range locks are kept per
// handle like the operating system's, and writes can be made to fail from the Nth one on.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/xbase/file_system.h"

namespace xbase {

class MemoryFileSystem final : public FileSystem {
  public:
    struct Node;

    MemoryFileSystem();
    ~MemoryFileSystem() override;

    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool Exists(const std::string& path) override;
    std::string FindIgnoringCase(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool SyncDirectory(const std::string& directory) override;

    // Write number `n` (counted from this call, 1 = the next write) and every later one fail,
    // as do truncations and syncs: the process as good as died there. 0 disarms.
    void FailFromWrite(std::uint64_t n);
    // The disk fills at write `n`: it fails with ENOSPC, and so does every later write that
    // would make a file longer; writes within a file and truncations still succeed.
    void FillDiskAtWrite(std::uint64_t n);
    // Write `n` alone fails, with EIO.
    void FailOneWrite(std::uint64_t n);
    std::uint64_t WritesSoFar() const;
    // The bytes of a file (empty when it does not exist), and a way to plant one.
    std::vector<char> Contents(const std::string& path) const;
    void SetContents(const std::string& path, std::vector<char> bytes);

    struct Faults {
        std::uint64_t writes = 0;
        std::uint64_t failFrom = 0;  // 0 = never
        std::uint64_t fullFrom = 0;
        std::uint64_t failOnly = 0;
        // Counts a write (or truncation) and tells whether it fails, setting errno.
        bool Fail(bool grows = true);
    };

  private:
    std::map<std::string, std::shared_ptr<Node>> files_;
    std::shared_ptr<Faults> faults_;
};

}  // namespace xbase
