// The export file's new copy beside the target, and its replacement of the target.
#include "report/export/export_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace report {

namespace {

constexpr std::size_t kFlushSize = 64 * 1024;

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
    std::string name = path.substr(FolderOf(path).size());
    std::string pattern = FolderOf(path) + "." + name + ".XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    fd_ = ::mkstemp(temp.data());
    if (fd_ < 0) {
        SetError("Unable to create", errno);
        return false;
    }
    tempPath_ = temp.data();
    ::fchmod(fd_, ModeFor(path));
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
            if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
                SetError("Unable to replace", errno);
            } else {
                tempPath_.clear();
            }
        }
    }
    Discard();
    return !Failed();
}

}  // namespace report
