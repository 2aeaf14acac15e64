// The task editor's rules without its window: a stored task's date and time as the editor
// shows them and back, the checks of a typed date or time, and the key word that must fit KEYS.
// Every text is Windows-1252 and read or written in the date and time formats in force.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rtl/date_time.h"

namespace store {

// DATE and TIME as the editor shows them: the short date and the short time in force; empty
// for a stored text that names no real date or time. Stored texts are read in the internal
// notation, whatever notation is in force.
std::string EditorDateOf(std::string_view storedDate);
std::string EditorTimeOf(std::string_view storedTime);

// The editor's date and time texts as DATE ("yyyymmdd") and TIME ("hh:nn", 24-hour): read in
// the notation in force, or failing that in the internal one; empty for a text neither reads.
std::string StoredDateOfEditor(std::string_view text);
std::string StoredTimeOfEditor(std::string_view text);

// The check made when the date or time field is left: the typed text, in capitals, read in
// the notation in force (a date without its year in `today`'s year) and written again as the
// short date or short time. An empty text passes as it is; nullopt refuses the text.
std::optional<std::string> CheckedEditorDate(std::string_view typed, rtl::TDateTime today);
std::optional<std::string> CheckedEditorTime(std::string_view typed);
// What the editor says when it refuses a date or a time, with an example of the notation.
std::string DateRefusalText(rtl::TDateTime today);
std::string TimeRefusalText(rtl::TDateTime now);

// KEYS with a word from the key word menu added after a blank (alone, when KEYS is empty);
// nullopt when the result would not fit the field, which would cut it to a different word.
std::optional<std::string> KeysWithWord(std::string_view keys, std::string_view word);

}  // namespace store
