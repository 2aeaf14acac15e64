// The program directory: the executable's folder, or the user's data folder for an installed copy.
#include "app/shell_utils.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "rtl/file_names.h"

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
    // Found whatever its letter case, as a settings file copied from another system is named.
    return GetProgramDir() + rtl::FindFileName(GetProgramDir(), "TODO.INI");
}

std::string GetHelpFileName() {
    return GetProgramDir() + rtl::FindFileName(GetProgramDir(), "QUILX.HLP");
}
