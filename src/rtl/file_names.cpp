// File names found whatever their letter case.
#include "rtl/file_names.h"

#include <filesystem>
#include <system_error>

#include "rtl/ansi.h"

namespace rtl {

std::string FindFileName(std::string_view directory, std::string_view name) {
    namespace fs = std::filesystem;
    const fs::path folder = directory.empty() ? fs::path(".") : fs::path(directory);
    std::error_code error;
    if (fs::exists(folder / fs::path(name), error)) {
        return std::string(name);
    }
    const std::string wanted = AnsiUpperCase(name);
    std::string found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (AnsiUpperCase(entry) == wanted && (found.empty() || entry < found)) {
            found = std::move(entry);
        }
    }
    return found.empty() ? std::string(name) : found;
}

}  // namespace rtl
