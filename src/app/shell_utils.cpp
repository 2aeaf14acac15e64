// The program directory, blank trimming, text splitting and note padding.
#include "app/shell_utils.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

bool IsWritableDir(const std::string& dir) {
    std::error_code error;
    return std::filesystem::is_directory(dir, error) && ::access(dir.c_str(), W_OK) == 0;
}

std::string ExecutableDir() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

namespace shell_detail {

std::string ChooseProgramDir(const std::string& executableDir, const std::string& dataHome,
                             const std::string& home) {
    if (!executableDir.empty() && IsWritableDir(executableDir)) {
        return WithSlash(executableDir);
    }
    std::string base = dataHome;
    if (base.empty() || base.front() != '/') {  // a relative XDG_DATA_HOME is to be ignored
        if (home.empty()) {
            return {};
        }
        base = WithSlash(home) + ".local/share";
    }
    const std::string dir = WithSlash(base) + "quillet";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return IsWritableDir(dir) ? WithSlash(dir) : std::string();
}

}  // namespace shell_detail

std::string GetProgramDir() {
    // The answer cannot change while the program runs, and the fallback folder is created once.
    static const std::string dir = shell_detail::ChooseProgramDir(
        ExecutableDir(), EnvOrEmpty("XDG_DATA_HOME"), EnvOrEmpty("HOME"));
    return dir;
}

std::string GetIniFileName() {
    return GetProgramDir() + "TODO.INI";
}

std::string TrimLeadingSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string TrimTrailingSpaces(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string TrimSpaces(std::string_view text) {
    return TrimLeadingSpaces(TrimTrailingSpaces(text));
}

void SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& list) {
    if (delimiter.empty()) {
        list.emplace_back(text);
        return;
    }
    for (;;) {
        const auto at = text.find(delimiter);
        if (at == std::string_view::npos) {
            list.emplace_back(text);
            return;
        }
        list.emplace_back(text.substr(0, at));
        text.remove_prefix(at + delimiter.size());
    }
}

std::string PadMemoText(std::string_view text) {
    std::string padded(text);
    if (padded.empty() || padded.size() % 4 != 0) {
        return padded;
    }
    // A memo control does not count the empty line after a final line break, so the last line
    // ends before that break.
    std::size_t end = padded.size();
    if (padded.size() >= 2 && padded.ends_with("\r\n")) {
        end -= 2;
    }
    padded.insert(end, 1, ' ');
    return padded;
}
