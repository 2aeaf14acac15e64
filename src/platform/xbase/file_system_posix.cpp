// The operating system's file system behind the engine's file seam (POSIX calls).
// Byte-range locks are open-file-description locks, so two handles of one process exclude
// each other just as two processes do, and closing one handle never drops another's locks.
#include "platform/xbase/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace xbase {
namespace {

// A mapping read past the end of its file raises SIGBUS: that happens when another program
// shortened the file meanwhile. Copies out of mappings run under a guard that turns the signal
// into a failed copy; a SIGBUS outside the guard goes to the disposition there was before.
thread_local sigjmp_buf* volatile tGuard = nullptr;  // volatile: set around a memcpy
struct sigaction gPreviousBusAction;

void OnBusError(int, siginfo_t*, void*) {
    if (tGuard != nullptr) {
        siglongjmp(*tGuard, 1);
    }
    ::sigaction(SIGBUS, &gPreviousBusAction, nullptr);  // the fault repeats under it
}

void GuardBusErrors() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &gPreviousBusAction);
    });
}

// False when the bytes were no longer in the file.
bool GuardedCopy(void* to, const void* from, std::size_t n) {
    sigjmp_buf here;
    if (sigsetjmp(here, 0) != 0) {
        tGuard = nullptr;
        return false;
    }
    tGuard = &here;
    std::memcpy(to, from, n);
    tGuard = nullptr;
    return true;
}

// Reads go through a shared read-only mapping of the whole file when they lie below the size
// known to exist: the mapping shows the page cache itself, so a read sees every write made
// on this machine before it, exactly as pread would, without entering the kernel. Reads past
// the known size, and files on network or user-space file systems (whose mappings may lag
// behind other machines' writes), use pread.
class PosixFile final : public File {
  public:
    PosixFile(int fd, std::uint64_t size, bool mappable) : fd_(fd), known_(size) {
        if (mappable) {
            void* view = ::mmap(nullptr, kViewBytes, PROT_READ, MAP_SHARED | MAP_NORESERVE, fd, 0);
            if (view != MAP_FAILED) {
                GuardBusErrors();
                view_ = static_cast<const std::uint8_t*>(view);
            }
        }
    }
    ~PosixFile() override {
        if (view_ != nullptr) {
            ::munmap(const_cast<std::uint8_t*>(view_), kViewBytes);
        }
        ::close(fd_);
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got) override {
        if (const std::uint8_t* bytes = ViewAt(offset, n)) {
            if (GuardedCopy(buffer, bytes, n)) {
                got = n;
                return true;
            }
            known_ = 0;  // shortened by another: read what is left the slow way
        }
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
        Grown(offset + got);
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
        Grown(offset + n);
        return true;
    }

    bool Size(std::uint64_t& size) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            return false;
        }
        size = static_cast<std::uint64_t>(st.st_size);
        known_ = size;  // also learns of a file another process shortened
        return true;
    }

    bool Truncate(std::uint64_t size) override {
        known_ = std::min(known_, size);
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

    const std::uint8_t* ViewAt(std::uint64_t offset, std::size_t n) override {
        if (view_ == nullptr || offset > known_ || n > known_ - offset || offset + n > kViewBytes) {
            return nullptr;
        }
        return view_ + offset;
    }

  private:
    // The mapping covers what any table, memo or index file of the engine can address.
    static constexpr std::uint64_t kViewBytes = std::uint64_t{1} << 32;

    void Grown(std::uint64_t end) { known_ = std::max(known_, end); }

    int fd_;
    std::uint64_t known_;  // bytes known to exist, readable through the view
    const std::uint8_t* view_ = nullptr;
};

// Whether the file lies on a file system whose page cache is the only copy of its data on
// this machine (not a network or user-space one), so that a mapping sees every write.
bool LocalFileSystem(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x65735546:  // FUSE
        case 0x01021997:  // 9P
        case 0x564C:      // NCP
        case 0x73757245:  // Coda
        case 0x5346414F:  // AFS
        case 0x6B414653:  // kAFS
        case 0x00C36400:  // Ceph
        case 0x47504653:  // GPFS
        case 0x0BD00BD0:  // Lustre
            return false;
        default:
            return true;
    }
}

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
        return std::make_unique<PosixFile>(fd, static_cast<std::uint64_t>(st.st_size),
                                           LocalFileSystem(fd));
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
