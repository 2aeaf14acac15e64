// Memory and file streams for report streams.
#include "report/model/byte_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace report {

namespace {

Status Failed(xbase::ErrorCode code, const std::string& path) {
    return {code, path + ": " + std::strerror(errno)};
}

}  // namespace

Status MemoryStream::Write(std::span<const std::uint8_t> bytes) {
    const auto end = static_cast<std::size_t>(position_) + bytes.size();
    if (end > bytes_.size())
        bytes_.resize(end);
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + position_);
    position_ = static_cast<std::int64_t>(end);
    return Status::Ok();
}

Status MemoryStream::Seek(std::int64_t position) {
    if (position < 0 || position > static_cast<std::int64_t>(bytes_.size()))
        return {xbase::ErrorCode::kBadArgument, "seek outside the memory stream"};
    position_ = position;
    return Status::Ok();
}

Status MemoryStream::ReadAll(std::vector<std::uint8_t>& bytes) {
    bytes = bytes_;
    return Status::Ok();
}

Status MemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
    return Status::Ok();
}

void MemoryStream::Assign(std::vector<std::uint8_t> bytes) {
    bytes_ = std::move(bytes);
    position_ = 0;
}

Status FileStream::Create(const std::string& path, std::unique_ptr<FileStream>& out) {
    std::FILE* f = std::fopen(path.c_str(), "w+b");
    if (!f)
        return Failed(xbase::ErrorCode::kOpenFailed, path);
    out.reset(new FileStream(f, path));
    return Status::Ok();
}

Status FileStream::OpenForReading(const std::string& path, std::unique_ptr<FileStream>& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return Failed(xbase::ErrorCode::kOpenFailed, path);
    out.reset(new FileStream(f, path));
    return Status::Ok();
}

Status FileStream::CreateTemporary(const std::string& prefix, std::unique_ptr<FileStream>& out) {
    std::error_code ec;
    const auto folder = std::filesystem::temp_directory_path(ec);
    std::string name =
        ((ec ? std::filesystem::path("/tmp") : folder) / (prefix + "XXXXXX")).string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return Failed(xbase::ErrorCode::kOpenFailed, name);
    std::FILE* f = ::fdopen(fd, "w+b");
    if (!f) {
        ::close(fd);
        return Failed(xbase::ErrorCode::kOpenFailed, name);
    }
    out.reset(new FileStream(f, name));
    return Status::Ok();
}

FileStream::~FileStream() {
    if (file_)
        std::fclose(file_);
}

Status FileStream::Write(std::span<const std::uint8_t> bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        return xbase::WriteFailure(path_);
    return Status::Ok();
}

Status FileStream::Seek(std::int64_t position) {
    if (std::fflush(file_) != 0 || std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0)
        return xbase::WriteFailure(path_);
    return Status::Ok();
}

std::int64_t FileStream::Position() const {
    return std::ftell(file_);
}

Status FileStream::ReadAll(std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0)
        return Failed(xbase::ErrorCode::kReadFailed, path_);
    std::uint8_t block[65536];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file_);
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block)
            break;
    }
    if (std::ferror(file_))
        return Failed(xbase::ErrorCode::kReadFailed, path_);
    return Status::Ok();
}

Status FileStream::Clear() {
    if (std::fflush(file_) != 0 || ::ftruncate(::fileno(file_), 0) != 0 ||
        std::fseek(file_, 0, SEEK_SET) != 0)
        return xbase::WriteFailure(path_);
    return Status::Ok();
}

Status FileStream::Close() {
    std::FILE* f = file_;
    file_ = nullptr;
    if (f && std::fclose(f) != 0)
        return xbase::WriteFailure(path_);
    return Status::Ok();
}

Status SaveBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::unique_ptr<FileStream> file;
    if (Status s = FileStream::Create(path, file); !s)
        return s;
    if (Status s = file->Write(bytes); !s)
        return s;
    return file->Close();
}

}  // namespace report
