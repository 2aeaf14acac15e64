// File names found whatever their letter case.
#include "rtl/file_names.h"

#include <filesystem>
#include <system_error>

namespace rtl {
namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string FindFileName(std::string_view directory, std::string_view name) {
    namespace fs = std::filesystem;
    const fs::path folder = directory.empty() ? fs::path(".") : fs::path(directory);
    std::error_code error;
    if (fs::exists(folder / fs::path(name), error)) {
        return std::string(name);
    }
    std::string found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (SameLetters(entry, name) && (found.empty() || entry < found)) {
            found = std::move(entry);
        }
    }
    return found.empty() ? std::string(name) : found;
}

}  // namespace rtl
