// INI files as lists of lines: finding a section's key, replacing or adding it, and saving the
// result through a temporary file that replaces the old one.
#include "platform/ini/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

namespace ini {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        content.append(buffer, n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        return std::nullopt;
    }
    return content;
}

// Lines without their CR LF or LF.
std::vector<std::string> SplitLines(std::string_view content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        auto end = content.find('\n', start);
        if (end == std::string_view::npos) {
            end = content.size();
        }
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// The name of a section header line ("[name]"), or nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') {
        return std::nullopt;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    line = Trim(line);
    return !line.empty() && line.front() == ';';
}

// Where a section's lines lie: its header and the line after its last line.
struct SectionSpan {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionSpan> FindSection(const std::vector<std::string>& lines,
                                       std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !SameName(*name, section)) {
            continue;
        }
        SectionSpan span{i, i + 1};
        while (span.end < lines.size() && !SectionName(lines[span.end])) {
            ++span.end;
        }
        return span;
    }
    return std::nullopt;
}

// The line of `key` within the section, and where its value starts on that line.
struct KeyLine {
    std::size_t line = 0;
    std::size_t valueStart = 0;
};

std::optional<KeyLine> FindKey(const std::vector<std::string>& lines, SectionSpan span,
                               std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const std::string_view line = lines[i];
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || IsComment(line)) {
            continue;
        }
        if (SameName(Trim(line.substr(0, eq)), key)) {
            return KeyLine{i, eq + 1};
        }
    }
    return std::nullopt;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidName(std::string_view name, bool isKey) {
    if (Trim(name).empty() || HasLineBreak(name)) {
        return false;
    }
    return isKey ? name.find('=') == std::string_view::npos
                 : name.find(']') == std::string_view::npos;
}

// Writes `content` beside `path` and renames it over `path`, so readers see the old file or the
// new one, never a mix.
bool ReplaceFile(const std::string& path, const std::string& content) {
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    }
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> Lookup(const std::string& file, std::string_view section,
                                  std::string_view key) {
    const auto content = ReadFile(file);
    if (!content) {
        return std::nullopt;
    }
    const auto lines = SplitLines(*content);
    const auto span = FindSection(lines, section);
    if (!span) {
        return std::nullopt;
    }
    const auto found = FindKey(lines, *span, key);
    if (!found) {
        return std::nullopt;
    }
    const std::string_view line = lines[found->line];
    std::string_view value = Unquote(Trim(line.substr(found->valueStart)));
    return std::string(value.substr(0, kMaxValueLength));
}

std::optional<int> ParseInteger(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Hexadecimal covers the full 32 bits, so 0xFFFFFFFF reads as -1.
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (base == 16) {
        if (negative || magnitude > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    }
    const std::int64_t limit = negative
                                   ? -static_cast<std::int64_t>(std::numeric_limits<int>::min())
                                   : std::numeric_limits<int>::max();
    if (magnitude > static_cast<std::uint64_t>(limit)) {
        return std::nullopt;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

std::string ReadString(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view defaultValue) {
    auto value = Lookup(file, section, key);
    return value ? std::move(*value) : std::string(defaultValue.substr(0, kMaxValueLength));
}

int ReadInteger(const std::string& file, std::string_view section, std::string_view key,
                int defaultValue) {
    const auto value = Lookup(file, section, key);
    if (!value) {
        return defaultValue;
    }
    return ParseInteger(*value).value_or(defaultValue);
}

bool ReadBool(const std::string& file, std::string_view section, std::string_view key,
              bool defaultValue) {
    return ReadInteger(file, section, key, defaultValue ? 1 : 0) != 0;
}

bool WriteString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    if (!ValidName(section, false) || !ValidName(key, true)) {
        return false;
    }
    if (HasLineBreak(value)) {
        return false;
    }
    std::vector<std::string> lines;
    if (auto content = ReadFile(file)) {
        lines = SplitLines(*content);
    } else if (::access(file.c_str(), F_OK) == 0) {
        return false;  // there, but unreadable: never overwrite what we cannot keep
    }

    std::string entry = std::string(key) + "=" + std::string(value);
    if (const auto span = FindSection(lines, section)) {
        if (const auto found = FindKey(lines, *span, key)) {
            lines[found->line] = std::move(entry);
        } else {
            // After the section's last non-blank line, so a blank separator line stays below it.
            std::size_t at = span->end;
            while (at > span->header + 1 && Trim(lines[at - 1]).empty()) {
                --at;
            }
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
        }
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::move(entry));
    }

    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += kLineEnd;
    }
    return ReplaceFile(file, out);
}

bool WriteInteger(const std::string& file, std::string_view section, std::string_view key,
                         int value) {
    return WriteString(file, section, key, std::to_string(value));
}

bool WriteBool(const std::string& file, std::string_view section, std::string_view key,
                      bool value) {
    return WriteString(file, section, key, value ? "1" : "0");
}

}  // namespace ini
