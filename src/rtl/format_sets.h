// The two sets of date and time formats: the internal one the main window works in, and the
// user's own, saved at start-up and put in force only around dialogs that show dates.
#pragma once

#include <string>

// Copies the five date and time settings now in force (short date pattern, date and time
// separators, AM and PM strings) into the saved user formats.
void SaveUserFormats();

// Puts the saved user formats in force (the settings in force at start-up, when none were saved).
void UseUserFormats();

// Puts the internal formats in force: "mm/dd/yyyy", "/", ":", "AM", "PM".
void UseInternalFormats();

// The saved user short date pattern, and replacing it (the task editor shows numeric dates in
// the user's order while it is open). Before SaveUserFormats, the pattern in force.
std::string SavedUserShortDateFormat();
void SetSavedUserShortDateFormat(const std::string& pattern);
