// The one result value of the engine, the store and the report writers (a code and words for
// a person), and the one located helper every corrupt-file path goes through (break on
// ReportCorrupt to catch them all).
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace xbase {

// What went wrong, for the engine, the store and the report writers. The numbers are kept
// stable: programs and tools show them.
enum class ErrorCode {
    kNone = 0,
    kOpenFailed = 11011,     // the file is missing, refused or locked by another
    kCorrupt = 11012,        // a table, memo or index file whose bytes do not hold together
    kNotTable = 11013,       // a file type this engine does not read
    kReadFailed = 11014,     // the operating system refused a read
    kWriteFailed = 11015,    // the operating system refused a write, or the disk is full
    kLockFailed = 10245,     // a lock is held by someone else beyond the lock timeout
    kNoArea = 9990,          // no table is open in the current work area
    kBadArgument = 11016,    // a field, value or number that does not fit
    kNumberTooLong = 10019,  // a number too wide for its field
    kBadExpression = 11017,  // an xBase expression that does not compile or evaluate
    kReadOnly = 11018,       // a write to a table opened read-only
    kNotSupported = 11019,   // a call the engine has no means for (indexes, for now)
    kCancelled = 11020,      // a long job the person stopped (never the engine's own)
};

class Status {
  public:
    Status() = default;
    Status(ErrorCode code, std::string message) : code_(code), message_(std::move(message)) {}
    static Status Ok() { return {}; }

    bool ok() const { return code_ == ErrorCode::kNone; }
    explicit operator bool() const { return ok(); }
    ErrorCode code() const { return code_; }
    const std::string& message() const { return message_; }

  private:
    ErrorCode code_ = ErrorCode::kNone;
    std::string message_;
};

// A write, sync or truncation the operating system refused, in its own words ("No space left
// on device"); call it right after the failed call, while errno still tells why.
Status WriteFailure(const std::string& path);

// Every corrupt-file path of the engine goes through here. `kind` names the kind of file
// ("file" for tables and memos, "index"), `what` the file or structure and what was wrong;
// the words end with where in the engine it was noticed.
Status ReportCorrupt(const char* sourceFile, int line, std::string_view kind,
                     std::string_view what);

#define XBASE_CORRUPT(what) ::xbase::ReportCorrupt(__FILE__, __LINE__, "file", (what))

}  // namespace xbase
