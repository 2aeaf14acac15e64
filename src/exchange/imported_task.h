// One task as another program's file gives it, fitted into a task record: Windows-1252 text,
// the widths of the description and the key words, and notes with CR LF line breaks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/task_notation.h"
#include "store/task_record.h"

namespace exchange {

// The fields of one task read from a file: texts in UTF-8, date and time already in the
// stored notation (or empty).
struct ForeignTask {
    std::string summary;
    std::string note;
    std::vector<std::string> keyWords;  // each may hold several words
    std::string date;
    std::string time;
    Priority priority = Priority::kNone;
    bool done = false;
};

// The task record of `task`. A description longer than the field is cut, and the whole of it
// heads the note; key words beyond the field's width go to a line "Key words: ..." at the
// note's end. Adds to `changedTexts` one for each text whose characters the code page could
// not all keep.
store::TaskEntry FitTask(const ForeignTask& task, int& changedTexts);

// `bytes` as UTF-8 text without a byte-order mark. A file with bytes above ASCII of which none
// forms a UTF-8 sequence is read as Windows-1252, the code page older programs wrote.
std::string DecodeText(std::string_view bytes);

}  // namespace exchange
