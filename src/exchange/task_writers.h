// Tasks written out for other programs: an iCalendar file of to-dos and a CSV table, both
// UTF-8 with CR LF line ends, built from the task records as they are stored.
#pragma once

#include <string>
#include <string_view>

#include "store/task_record.h"

namespace exchange {

// A moment on the UTC clock, as DTSTAMP writes it.
struct UtcStamp {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The clock now, to the second.
UtcStamp UtcNow();

// The lines that open and close a calendar; every to-do goes between them.
std::string VcalendarBegin();
std::string VcalendarEnd();

// One task as a VTODO, each content line folded at 75 octets and ended by CR LF. The `uid`
// (UTF-8 text; it is escaped as written) is what lets other programs know the task again.
// `stamp` is the moment the file is written.
std::string Vtodo(const store::TaskEntry& task, std::string_view uid, const UtcStamp& stamp);

// The CSV table: its header row and one row per task, each ended by CR LF.
inline constexpr char kCsvHeader[] = "Description,Due date,Due time,Priority,Done,Key words,Note";
std::string CsvHeaderLine();
std::string CsvRow(const store::TaskEntry& task);

// The pieces of the formats that the readers undo; public so that tests can hold them to
// the other side.
// TEXT escaping of iCalendar: backslash, semicolon, comma, and every line break as "\n".
std::string EscapeIcalText(std::string_view utf8);
// One content line ("NAME;PARAM=x:value", without its end) folded: CR LF and a blank before
// the 75th octet of each line, never inside a UTF-8 sequence. The result ends with CR LF.
std::string FoldContentLine(std::string_view line);
// One CSV field, quoted when it holds a comma, a quote, a line break or an outer blank.
std::string CsvField(std::string_view utf8);

}  // namespace exchange
