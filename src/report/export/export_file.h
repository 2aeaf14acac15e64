// An export file written whole or not at all: the bytes go to a new file beside the target,
// which replaces the target only once every byte is on disk. Only a regular file is replaced
// (a symbolic link's target is); the new copy's short name says it is Quillet's and whose
// process writes it, so that the copies a killed export leaves are removed by the next.
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

    // Starts the new file beside `path` (beside the file a symbolic link there leads to), after
    // removing our copies whose export was killed. False, with the reason in ErrorText(), when
    // it cannot be made (no such folder, no permission) or `path` is no regular file.
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
    bool CheckTarget();
    void SetError(const std::string& what, int code);
    void Discard();

    std::string path_;    // as given, for the messages
    std::string target_;  // the file replaced: `path_` with its links followed
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
    std::string error_;
};

}  // namespace report
