// The file exports of the task set: an HTML page, an RTF document and a plain text file,
// written line by line with CR LF ends in Windows-1252, and the iCalendar and CSV files other
// programs read, in UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/task_writers.h"
#include "platform/xbase/status.h"
#include "report/export/task_walk.h"
#include "report/export/text_measure.h"

namespace report {

// The UID an iCalendar export gives the task of record `record` (its stored fields in `task`).
using TaskUid = std::function<std::string(std::int32_t record, const store::TaskEntry& task)>;

// What a writer is given besides the file name.
struct ExportJob {
    store::TTable& table;
    store::TEngineComponent& engine;
    const TextMeasure& measure;
    WalkProgress progress = {};
    // Walked in this order of records instead of the table's (all under the filter), when
    // the index cannot be trusted; null: the table's order.
    const std::vector<std::int32_t>* records = nullptr;
    // The iCalendar export's UIDs; the other formats do without.
    TaskUid uid = {};
};

// Each writer answers success, kCancelled when the progress cancelled it, or the first
// failure with its words (kWriteFailed for the file, kReadFailed for the table). A failed or
// cancelled export leaves any earlier file of that name as it was.

// The note widths: HTML and RTF in pixels, text as wide as this text in the dialog's font.
inline constexpr int kHtmlNoteWidth = 384;
inline constexpr int kRtfNoteWidth = 288;
inline constexpr char kTextNoteWidthSample[] = "1234567890123456789012345678901234";

// `color` is the page's background as six hex digits RRGGBB.
xbase::Status CopyHTML(const ExportJob& job, const std::string& fileName, std::string_view title,
                       bool copyNotes, std::string_view color);
xbase::Status CopyRTF(const ExportJob& job, const std::string& fileName, std::string_view title,
                      bool copyNotes);
xbase::Status CopyText(const ExportJob& job, const std::string& fileName, std::string_view title,
                       bool copyNotes);
// Every task with its note, in UTF-8; a title and a colour mean nothing to these files. The
// iCalendar export needs `job.uid`.
xbase::Status CopyICalendar(const ExportJob& job, const std::string& fileName);
xbase::Status CopyCsv(const ExportJob& job, const std::string& fileName);

// The writer of `format`, for callers that choose the format at run time; `color` serves HTML,
// the title and `copyNotes` only HTML, RTF and text.
enum class ExportFormat { kHtml, kRtf, kText, kICalendar, kCsv };
xbase::Status CopyTasks(ExportFormat format, const ExportJob& job, const std::string& fileName,
                        std::string_view title, bool copyNotes, std::string_view color);

// The text left-justified in exactly `width` characters: padded with blanks or cut.
std::string PadField(std::string_view text, std::size_t width);
// "&", "<" and ">" as HTML writes them.
std::string EscapeHtml(std::string_view text);
// "\", "{" and "}" escaped and bytes above 127 as \'hh, as RTF writes them.
std::string EscapeRtf(std::string_view text);

}  // namespace report
