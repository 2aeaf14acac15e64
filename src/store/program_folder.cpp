// Choosing the folder of the program's files, once per run.
#include "store/program_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "rtl/file_names.h"

namespace store {

namespace {

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

// Empty when `dir` is a folder this process can write in, else the system's words for why not.
std::string WhyNotWritable(const std::string& dir) {
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error)) {
        return error ? error.message() : "Not a directory";
    }
    if (::access(dir.c_str(), W_OK) != 0) {
        return std::generic_category().message(errno);
    }
    return {};
}

// The folder as a person would write it: the home folder as "~".
std::string Shortened(const std::string& dir, const std::string& home) {
    const std::string homeDir = WithSlash(home);
    if (home.empty() || home == "/" || dir.rfind(homeDir, 0) != 0) {
        return dir;
    }
    return "~/" + dir.substr(homeDir.size());
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

ProgramFolder ChooseProgramDir(const std::string& executableDir, const std::string& dataHome,
                               const std::string& home) {
    std::string cannotWrite = "Quillet cannot keep its tasks: the program's folder is not known";
    if (!executableDir.empty()) {
        const std::string problem = WhyNotWritable(executableDir);
        if (problem.empty()) {
            return {WithSlash(executableDir), {}, {}};
        }
        cannotWrite = "Quillet cannot keep its tasks: the program's folder " +
                      WithSlash(executableDir) + " cannot be written (" + problem + ")";
    }
    std::string base = dataHome;
    if (base.empty() || base.front() != '/') {  // a relative XDG_DATA_HOME is to be ignored
        if (home.empty()) {
            return {{},
                    {},
                    cannotWrite +
                        ", and there is no home folder to keep them in "
                        "(HOME is not set)."};
        }
        base = WithSlash(home) + ".local/share";
    }
    const std::string dir = WithSlash(WithSlash(base) + "quillet");
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (const std::string problem = WhyNotWritable(dir); !problem.empty()) {
        return {{}, {}, cannotWrite + ", nor can " + dir + " (" + problem + ")."};
    }
    ProgramFolder chosen{dir, {}, {}};
    if (!executableDir.empty()) {
        std::string shown = Shortened(dir, home);
        shown.pop_back();
        chosen.notice = "Tasks are kept in " + shown + ": the program's folder cannot be written";
    }
    return chosen;
}

const ProgramFolder& ChosenProgramFolder() {
    // The answer cannot change while the program runs, and the fallback folder is created once.
    static const ProgramFolder chosen =
        ChooseProgramDir(ExecutableDir(), EnvOrEmpty("XDG_DATA_HOME"), EnvOrEmpty("HOME"));
    return chosen;
}

std::string GetProgramDir() {
    return ChosenProgramFolder().dir;
}

std::string GetIniFileName() {
    // Found whatever its letter case, as a settings file copied from another system is named.
    return GetProgramDir() + rtl::FindFileName(GetProgramDir(), "TODO.INI");
}

std::string GetHelpFileName() {
    return GetProgramDir() + rtl::FindFileName(GetProgramDir(), "QUILX.HLP");
}

}  // namespace store
