// Profile strings: reading and writing key=value settings in the sections of an INI file.
// Each call opens the file for its own use; nothing is cached between calls.
#pragma once

#include <string>
#include <string_view>

namespace ini {

// The longest value a read gives; longer stored values are cut to this many characters.
inline constexpr std::size_t kMaxValueLength = 1024;

// The value of `key` in `section`, without surrounding blanks or one pair of enclosing quotes.
// Section and key names match without regard to case. A missing file, section or key gives
// `defaultValue`.
std::string ReadString(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view defaultValue);

// The value read as an integer: decimal, or hexadecimal after "0x"/"0X". A value that is not an
// integer (empty, trailing characters, out of range) gives `defaultValue`.
int ReadInteger(const std::string& file, std::string_view section, std::string_view key,
                int defaultValue);

// Any non-zero integer is true.
bool ReadBool(const std::string& file, std::string_view section, std::string_view key,
              bool defaultValue);

// Sets `key` in `section` to `value`, creating the file, the section and the key as needed and
// keeping every other line. The new file replaces the old one whole, so a crash leaves either.
// False, with the file as it was, for a section or key that is empty or cannot be stored on
// one line, a value with a line break, or a file that could not be read or replaced (missing
// folder, no permission, full disk). Callers only ask whether the setting was kept.
bool WriteString(const std::string& file, std::string_view section, std::string_view key,
                 std::string_view value);

// Writes the integer in decimal.
bool WriteInteger(const std::string& file, std::string_view section, std::string_view key,
                  int value);

// Writes "1" or "0".
bool WriteBool(const std::string& file, std::string_view section, std::string_view key,
               bool value);

}  // namespace ini
