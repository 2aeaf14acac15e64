// Where a report stream lives: in memory, in a file, or in a stream the caller owns. Recording
// writes and patches through this; the players read the whole stream through it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/xbase/corrupt.h"

namespace report {

using xbase::Status;

class ByteStream {
  public:
    virtual ~ByteStream() = default;
    // Writes at the position and moves it past what was written.
    virtual Status Write(std::span<const std::uint8_t> bytes) = 0;
    virtual Status Seek(std::int64_t position) = 0;
    virtual std::int64_t Position() const = 0;
    // Every byte from 0 to the end.
    virtual Status ReadAll(std::vector<std::uint8_t>& bytes) = 0;
    // Drops every byte and goes to 0.
    virtual Status Clear() = 0;
};

class MemoryStream : public ByteStream {
  public:
    Status Write(std::span<const std::uint8_t> bytes) override;
    Status Seek(std::int64_t position) override;
    std::int64_t Position() const override { return position_; }
    Status ReadAll(std::vector<std::uint8_t>& bytes) override;
    Status Clear() override;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    void Assign(std::vector<std::uint8_t> bytes);

  private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t position_ = 0;
};

class FileStream final : public ByteStream {
  public:
    // An emptied (or new) file for recording, or an existing one for reading.
    static Status Create(const std::string& path, std::unique_ptr<FileStream>& out);
    static Status OpenForReading(const std::string& path, std::unique_ptr<FileStream>& out);
    // A new file in the system's temporary folder whose name starts with `prefix`.
    static Status CreateTemporary(const std::string& prefix, std::unique_ptr<FileStream>& out);
    ~FileStream() override;

    Status Write(std::span<const std::uint8_t> bytes) override;
    Status Seek(std::int64_t position) override;
    std::int64_t Position() const override;
    Status ReadAll(std::vector<std::uint8_t>& bytes) override;
    Status Clear() override;
    Status Close();

    const std::string& path() const { return path_; }

  private:
    FileStream(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    std::FILE* file_;
    std::string path_;
};

// Saves bytes as the file `path`, replacing what was there.
Status SaveBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace report
