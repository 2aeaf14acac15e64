// An export file written whole or not at all: the bytes go to a new file beside the target,
// which replaces the target only once every byte is on disk.
#pragma once

#include <string>
#include <string_view>

namespace report {

class ExportFile {
  public:
    ExportFile() = default;
    ~ExportFile();  // a file never committed is removed, and the target stays as it was
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    // Starts the new file beside `path`. False, with the reason in ErrorText(), when it
    // cannot be made (no such folder, no permission).
    bool Open(const std::string& path);
    // Bytes as they are; "Line" adds CR LF. Once a write has failed, the rest do nothing.
    void Write(std::string_view bytes);
    void Line(std::string_view bytes) {
        Write(bytes);
        Write("\r\n");
    }
    // Flushes, syncs and puts the new file in the target's place. False, with the reason, when
    // any write failed or the file could not be finished; the target is then untouched.
    bool Commit();
    bool Failed() const { return !error_.empty(); }
    const std::string& ErrorText() const { return error_; }

  private:
    bool Flush();
    void SetError(const std::string& what, int code);
    void Discard();

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
    std::string error_;
};

}  // namespace report
