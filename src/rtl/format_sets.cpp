// Switching the process-wide format settings between the internal and the user's notation.
#include "rtl/format_sets.h"

#include <optional>

#include "rtl/format_settings.h"

namespace {

std::optional<rtl::DateTimeFormatSet>& SavedUserFormats() {
    static std::optional<rtl::DateTimeFormatSet> saved;
    return saved;
}

void PutInForce(const rtl::DateTimeFormatSet& set) {
    rtl::FormatSettings settings = rtl::CurrentFormats();
    rtl::ApplyFormatSet(settings, set);
    rtl::SetCurrentFormats(settings);
}

}  // namespace

void SaveUserFormats() {
    SavedUserFormats() = rtl::TakeFormatSet(rtl::CurrentFormats());
}

void UseUserFormats() {
    if (!SavedUserFormats()) {
        SaveUserFormats();
    }
    PutInForce(*SavedUserFormats());
}

void UseInternalFormats() {
    PutInForce(rtl::InternalFormatSet());
}

std::string SavedUserShortDateFormat() {
    if (!SavedUserFormats()) {
        SaveUserFormats();
    }
    return SavedUserFormats()->shortDateFormat;
}

void SetSavedUserShortDateFormat(const std::string& pattern) {
    if (!SavedUserFormats()) {
        SaveUserFormats();
    }
    SavedUserFormats()->shortDateFormat = pattern;
}
