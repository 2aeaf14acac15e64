// The operating system's file system behind the engine's file seam (POSIX calls).
// Byte-range locks are open-file-description locks, so two handles of one process exclude
// each other just as two processes do, and closing one handle never drops another's locks.
#include "platform/xbase/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace xbase {
namespace {

class PosixFile final : public File {
  public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got) override {
        got = 0;
        auto* out = static_cast<char*>(buffer);
        while (got < n) {
            ssize_t r = ::pread(fd_, out + got, n - got, static_cast<off_t>(offset + got));
            if (r < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            if (r == 0) {
                break;
            }
            got += static_cast<std::size_t>(r);
        }
        return true;
    }

    bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t n) override {
        const auto* in = static_cast<const char*>(buffer);
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            done += static_cast<std::size_t>(r);
        }
        return true;
    }

    bool Size(std::uint64_t& size) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            return false;
        }
        size = static_cast<std::uint64_t>(st.st_size);
        return true;
    }

    bool Truncate(std::uint64_t size) override {
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
    }

    bool Sync() override { return ::fdatasync(fd_) == 0; }

    bool Lock(std::uint64_t offset, std::uint64_t length, LockKind kind, bool wait) override {
        struct flock fl {};
        fl.l_type = kind == LockKind::kShared ? F_RDLCK : F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        for (;;) {
            if (::fcntl(fd_, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) {
                return true;
            }
            if (errno != EINTR) {
                return false;
            }
        }
    }

    bool Unlock(std::uint64_t offset, std::uint64_t length) override {
        struct flock fl {};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        return ::fcntl(fd_, F_OFD_SETLK, &fl) == 0;
    }

  private:
    int fd_;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case OpenMode::kReadOnly:
                flags |= O_RDONLY;
                break;
            case OpenMode::kReadWrite:
                flags |= O_RDWR;
                break;
            case OpenMode::kCreate:
                flags |= O_RDWR | O_CREAT | O_EXCL;
                break;
        }
        int fd;
        do {
            fd = ::open(path.c_str(), flags, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            return nullptr;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(fd);
    }

    bool Exists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0;
    }

    std::string FindIgnoringCase(const std::string& path) override {
        if (Exists(path)) {
            return path;
        }
        std::size_t slash = path.find_last_of('/');
        std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        std::string_view name = std::string_view(path).substr(slash + 1);
        DIR* dir = ::opendir(directory.c_str());
        if (dir == nullptr) {
            return {};
        }
        std::string found;
        while (const dirent* entry = ::readdir(dir)) {
            if (SameNameIgnoringCase(entry->d_name, name)) {
                found = path.substr(0, slash + 1) + entry->d_name;
                break;
            }
        }
        ::closedir(dir);
        return found;
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    bool Rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool SyncDirectory(const std::string& directory) override {
        int fd =
            ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        bool ok = ::fsync(fd) == 0;
        ::close(fd);
        return ok;
    }
};

}  // namespace

FileSystem& FileSystem::Default() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace xbase
