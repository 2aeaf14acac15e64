// The export file's new copy beside the target, and its replacement of the target; the
// targets an export may replace, and the tidying of copies a killed export left behind.
#include "report/export/export_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace report {

namespace {

constexpr std::size_t kFlushSize = 64 * 1024;
// The new copy's name: ours, the process that writes it, and mkstemp's letters. Short, so that
// a target whose own name is as long as a name may be can still be written.
constexpr char kTempPrefix[] = ".quillet-export.";
constexpr int kMaxLinks = 40;  // as the system's own limit on links in one path

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The permissions a file newly created at `path` would get, or those of the file there now.
mode_t ModeFor(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// What a target that is not a regular file is, for the message; null for a regular file.
const char* NotRegular(mode_t mode) {
    if (S_ISREG(mode)) {
        return nullptr;
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

// The file a path names once its symbolic links are followed (the path itself when it is no
// link); the new copy replaces that file, so the link stays and its target is written. False
// with errno set when the links go round or cannot be read.
bool FollowLinks(std::string& path) {
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return true;  // a missing file is made new where the last link points
        }
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) {
            return false;
        }
        const std::string link(target.data(), static_cast<std::size_t>(n));
        path = !link.empty() && link.front() == '/' ? link : FolderOf(path) + link;
    }
    errno = ELOOP;
    return false;
}

// A new copy of ours whose process is gone: a killed export's, never to be finished.
bool IsStaleCopy(const std::string& folder, const char* name) {
    const std::size_t prefix = sizeof kTempPrefix - 1;
    if (std::strncmp(name, kTempPrefix, prefix) != 0) {
        return false;
    }
    const char* digits = name + prefix;
    const char* end = digits + std::strlen(digits);
    pid_t pid = 0;
    const auto [rest, error] = std::from_chars(digits, end, pid);
    if (error != std::errc() || pid <= 0 || *rest != '.' || std::strlen(rest + 1) != 6) {
        return false;
    }
    if (::kill(pid, 0) == 0 || errno != ESRCH) {
        return false;
    }
    struct stat info {};
    const std::string path = folder + name;
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
}

void RemoveStaleCopies(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return;  // the new copy's own creation will say what is wrong with the folder
    }
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsStaleCopy(folder, entry->d_name)) {
            stale.push_back(folder + entry->d_name);
        }
    }
    ::closedir(dir);
    for (const std::string& path : stale) {
        ::unlink(path.c_str());
    }
}

}  // namespace

ExportFile::~ExportFile() {
    Discard();
}

void ExportFile::SetError(const std::string& what, int code) {
    if (error_.empty()) {
        error_ = what + " " + path_ + ": " + std::strerror(code);
    }
}

void ExportFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

bool ExportFile::Open(const std::string& path) {
    Discard();
    path_ = path;
    error_.clear();
    buffer_.clear();
    target_ = path;
    if (!FollowLinks(target_)) {
        SetError("Unable to create", errno);
        return false;
    }
    if (!CheckTarget()) {
        return false;
    }
    const std::string folder = FolderOf(target_);
    RemoveStaleCopies(folder);
    std::string pattern = folder + kTempPrefix + std::to_string(::getpid()) + ".XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    fd_ = ::mkstemp(temp.data());
    if (fd_ < 0) {
        SetError("Unable to create", errno);
        return false;
    }
    tempPath_ = temp.data();
    ::fchmod(fd_, ModeFor(target_));
    return true;
}

// Only a regular file (or none) is replaced: a FIFO, a device or a folder at the target would
// otherwise become a regular file, and the reader or the device behind it would be lost.
bool ExportFile::CheckTarget() {
    struct stat info {};
    if (::stat(target_.c_str(), &info) != 0) {
        return true;
    }
    if (const char* kind = NotRegular(info.st_mode)) {
        if (error_.empty()) {
            error_ = "Unable to replace " + path_ + ": it is " + kind + ", not a regular file";
        }
        return false;
    }
    return true;
}

void ExportFile::Write(std::string_view bytes) {
    if (Failed() || fd_ < 0) {
        return;
    }
    buffer_.append(bytes);
    if (buffer_.size() >= kFlushSize) {
        Flush();
    }
}

bool ExportFile::Flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetError("Unable to write", errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool ExportFile::Commit() {
    if (fd_ < 0 && !Failed()) {
        SetError("Unable to write", EBADF);
    }
    if (!Failed() && Flush()) {
        if (::fsync(fd_) != 0) {
            SetError("Unable to write", errno);
        } else if (::close(fd_) != 0) {
            fd_ = -1;
            SetError("Unable to write", errno);
        } else {
            fd_ = -1;
            // Checked again: what stands at the target may have changed while it was written.
            if (CheckTarget()) {
                if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
                    SetError("Unable to replace", errno);
                } else {
                    tempPath_.clear();
                }
            }
        }
    }
    Discard();
    return !Failed();
}

}  // namespace report
