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

// The share/quillet/ folder of an installed copy (bin/../share/quillet/), or empty for a copy
// run from its build or any other folder.
std::string InstalledShareDir(const std::string& executableDir) {
    if (executableDir.empty()) {
        return {};
    }
    const std::filesystem::path share =
        std::filesystem::path(executableDir) / ".." / "share" / "quillet";
    std::error_code error;
    if (!std::filesystem::is_directory(share, error)) {
        return {};
    }
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(share, error);
    return WithSlash((error ? share.lexically_normal() : canonical).string());
}

}  // namespace

ProgramFolder ChooseProgramDir(const std::string& executableDir, const std::string& dataHome,
                               const std::string& home) {
    // One spelling of the folder, with or without a trailing slash, for the messages below.
    const std::string exeDir = executableDir.size() > 1 && executableDir.back() == '/'
                                   ? executableDir.substr(0, executableDir.size() - 1)
                                   : executableDir;
    const std::string shareDir = InstalledShareDir(exeDir);
    // An installed copy keeps the person's files where the desktop keeps user data, even when
    // it could write beside itself (as root, say): the program's folder is the system's.
    const bool installed = !shareDir.empty();
    std::string cannotWrite = "Quillet cannot keep its tasks: the program's folder is not known";
    if (installed) {
        cannotWrite = "Quillet cannot keep its tasks: it is installed in " + WithSlash(exeDir) +
                      " and keeps them in the user's data folder";
    } else if (!exeDir.empty()) {
        const std::string problem = WhyNotWritable(exeDir);
        if (problem.empty()) {
            return {WithSlash(exeDir), WithSlash(exeDir), {}, {}};
        }
        cannotWrite = "Quillet cannot keep its tasks: the program's folder " + WithSlash(exeDir) +
                      " cannot be written (" + problem + ")";
    }
    std::string base = dataHome;
    if (base.empty() || base.front() != '/') {  // a relative XDG_DATA_HOME is to be ignored
        if (home.empty()) {
            return {{},
                    {},
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
        return {{}, {}, {}, cannotWrite + ", nor can " + dir + " (" + problem + ")."};
    }
    ProgramFolder chosen{dir, installed ? shareDir : dir, {}, {}};
    if (!exeDir.empty() && !installed) {
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
    const std::string& dir = ChosenProgramFolder().helpDir;
    return dir + rtl::FindFileName(dir, "QUILX.HLP");
}

std::string HelpFileFor(const std::string& programDir) {
    if (programDir == GetProgramDir()) {
        return GetHelpFileName();
    }
    return programDir + rtl::FindFileName(programDir, "QUILX.HLP");
}

}  // namespace store
