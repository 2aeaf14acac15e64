// The in-memory file system used by the engine's tests.
#include "platform/xbase/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace xbase {

struct MemoryFileSystem::Node {
    std::vector<char> data;
    struct Range {
        const void* owner;
        std::uint64_t offset;
        std::uint64_t length;
        LockKind kind;
    };
    std::vector<Range> locks;
};

bool MemoryFileSystem::Faults::Fail(bool grows) {
    ++writes;
    if (failFrom != 0 && writes >= failFrom) {
        errno = EIO;
        return true;
    }
    if (writes == failOnly) {
        errno = EIO;
        return true;
    }
    if (fullFrom != 0 && writes >= fullFrom && (grows || writes == fullFrom)) {
        errno = ENOSPC;
        return true;
    }
    return false;
}

namespace {

class MemoryFile final : public File {
  public:
    MemoryFile(std::shared_ptr<MemoryFileSystem::Node> node,
               std::shared_ptr<MemoryFileSystem::Faults> faults, bool writable)
        : node_(std::move(node)), faults_(std::move(faults)), writable_(writable) {}
    ~MemoryFile() override {
        std::erase_if(node_->locks, [this](const auto& r) { return r.owner == this; });
    }

    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got) override {
        got = 0;
        if (offset >= node_->data.size()) {
            return true;
        }
        got = static_cast<std::size_t>(std::min<std::uint64_t>(n, node_->data.size() - offset));
        std::memcpy(buffer, node_->data.data() + offset, got);
        return true;
    }
    bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t n) override {
        if (!writable_) {
            errno = EBADF;
            return false;
        }
        if (faults_->Fail(offset + n > node_->data.size())) {
            return false;
        }
        if (offset + n > node_->data.size()) {
            node_->data.resize(offset + n);
        }
        if (n != 0) {
            std::memcpy(node_->data.data() + offset, buffer, n);
        }
        return true;
    }
    bool Size(std::uint64_t& size) override {
        size = node_->data.size();
        return true;
    }
    bool Truncate(std::uint64_t size) override {
        if (!writable_ || faults_->Fail(size > node_->data.size())) {
            return false;
        }
        node_->data.resize(size);
        return true;
    }
    bool Sync() override {
        return !(faults_->failFrom != 0 && faults_->writes >= faults_->failFrom);
    }
    bool Lock(std::uint64_t offset, std::uint64_t length, LockKind kind, bool) override {
        for (const auto& r : node_->locks) {
            bool overlap = offset < r.offset + r.length && r.offset < offset + length;
            if (overlap && r.owner != this &&
                (kind == LockKind::kExclusive || r.kind == LockKind::kExclusive)) {
                return false;
            }
        }
        Unlock(offset, length);
        node_->locks.push_back({this, offset, length, kind});
        return true;
    }
    bool Unlock(std::uint64_t offset, std::uint64_t length) override {
        // Only whole ranges taken before are released; the engine always unlocks what it locked.
        std::erase_if(node_->locks, [&](const auto& r) {
            return r.owner == this && r.offset >= offset && r.offset + r.length <= offset + length;
        });
        return true;
    }

  private:
    std::shared_ptr<MemoryFileSystem::Node> node_;
    std::shared_ptr<MemoryFileSystem::Faults> faults_;
    bool writable_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() : faults_(std::make_shared<Faults>()) {}
MemoryFileSystem::~MemoryFileSystem() = default;

std::unique_ptr<File> MemoryFileSystem::Open(const std::string& path, OpenMode mode) {
    auto it = files_.find(path);
    if (mode == OpenMode::kCreate) {
        if (it != files_.end() || faults_->Fail()) {
            return nullptr;
        }
        it = files_.emplace(path, std::make_shared<Node>()).first;
    } else if (it == files_.end()) {
        return nullptr;
    }
    return std::make_unique<MemoryFile>(it->second, faults_, mode != OpenMode::kReadOnly);
}

bool MemoryFileSystem::Exists(const std::string& path) {
    return files_.count(path) != 0;
}

std::string MemoryFileSystem::FindIgnoringCase(const std::string& path) {
    if (Exists(path)) {
        return path;
    }
    std::size_t slash = path.find_last_of('/');
    std::string_view directory(path.data(), slash == std::string::npos ? 0 : slash + 1);
    for (const auto& [name, node] : files_) {
        if (std::string_view(name).substr(0, directory.size()) == directory &&
            name.find('/', directory.size()) == std::string::npos &&
            SameNameIgnoringCase(std::string_view(name).substr(directory.size()),
                                 std::string_view(path).substr(directory.size()))) {
            return name;
        }
    }
    return {};
}

bool MemoryFileSystem::Remove(const std::string& path) {
    return files_.erase(path) != 0;
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
    auto it = files_.find(from);
    if (it == files_.end() || faults_->Fail()) {
        return false;
    }
    auto node = it->second;
    files_.erase(it);
    files_[to] = std::move(node);
    return true;
}

bool MemoryFileSystem::SyncDirectory(const std::string&) {
    return true;
}

void MemoryFileSystem::FailFromWrite(std::uint64_t n) {
    faults_->failFrom = n == 0 ? 0 : faults_->writes + n;
    faults_->fullFrom = faults_->failOnly = 0;
}

void MemoryFileSystem::FillDiskAtWrite(std::uint64_t n) {
    faults_->fullFrom = n == 0 ? 0 : faults_->writes + n;
    faults_->failFrom = faults_->failOnly = 0;
}

void MemoryFileSystem::FailOneWrite(std::uint64_t n) {
    faults_->failOnly = n == 0 ? 0 : faults_->writes + n;
    faults_->failFrom = faults_->fullFrom = 0;
}

std::uint64_t MemoryFileSystem::WritesSoFar() const {
    return faults_->writes;
}

std::vector<char> MemoryFileSystem::Contents(const std::string& path) const {
    auto it = files_.find(path);
    return it == files_.end() ? std::vector<char>{} : it->second->data;
}

void MemoryFileSystem::SetContents(const std::string& path, std::vector<char> bytes) {
    auto node = std::make_shared<Node>();
    node->data = std::move(bytes);
    files_[path] = std::move(node);
}

}  // namespace xbase
