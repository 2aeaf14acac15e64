// CopyHTML, CopyRTF and CopyText: the heading lines, one row (and its note) per task of the
// walk, and the closing lines of each format; CopyICalendar and CopyCsv through the exchange
// formats.
#include "report/export/writers.h"

#include <array>
#include <vector>

#include "report/export/export_file.h"
#include "report/export/note_lines.h"

namespace report {

std::string PadField(std::string_view text, std::size_t width) {
    std::string field(text.substr(0, width));
    field.resize(width, ' ');
    return field;
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string EscapeRtf(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (byte > 127) {
            out += "\\'";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// Runs the walk into a new file: the heading, `row` for each task, the closing lines. Notes are
// read only for a writer that copies them.
xbase::Status Export(const ExportJob& job, const std::string& fileName, bool withNotes,
                     const std::function<void(ExportFile&)>& heading,
                     const std::function<void(ExportFile&, const TaskRowTexts&)>& row,
                     const std::function<void(ExportFile&)>& closing) {
    ExportFile file;
    if (!file.Open(fileName)) {
        return {xbase::ErrorCode::kWriteFailed, file.ErrorText()};
    }
    heading(file);
    TaskWalk walk(job.table, job.engine, job.progress);
    walk.SetRecords(job.records);
    const bool walked = walk.Run(
        [&](const TaskRowTexts& task) {
            row(file, task);
            return !file.Failed();
        },
        withNotes);
    if (walk.Cancelled()) {
        return {xbase::ErrorCode::kCancelled, {}};
    }
    if (!walked) {
        return {xbase::ErrorCode::kReadFailed, walk.ErrorText()};
    }
    closing(file);
    if (!file.Commit()) {
        return {xbase::ErrorCode::kWriteFailed, file.ErrorText()};
    }
    return xbase::Status::Ok();
}

// The stored fields of the task the walk read.
store::TaskEntry EntryOf(const TaskRowTexts& task) {
    return {task.storedDate,     task.storedTime, task.description, task.keys,
            task.storedPriority, task.done == "Y", task.note};
}

std::array<const std::string*, 5> CellsOf(const TaskRowTexts& task) {
    return {&task.description, &task.date, &task.time, &task.priority, &task.done};
}

}  // namespace

xbase::Status CopyHTML(const ExportJob& job, const std::string& fileName, std::string_view title,
                       bool copyNotes, std::string_view color) {
    const std::string t = EscapeHtml(title);
    auto heading = [&](ExportFile& f) {
        f.Line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
        f.Line("<HTML>");
        f.Line("<HEAD>");
        f.Line("<TITLE>" + t + "</TITLE>");
        f.Line("</HEAD>");
        f.Line("<BODY BGCOLOR=#" + std::string(color) + ">");
        f.Line("<h1 ALIGN=\"CENTER\">" + t + "</h1>");
        f.Line("<hr>");
        f.Line("<TABLE BORDER WIDTH=100%>");
        f.Line("<TR>");
        f.Line("<TH>Task<TH>Date<TH>Time<TH>Priority<TH>Done?");
    };
    auto cell = [](ExportFile& f, std::string_view kind, const std::string& text) {
        f.Write(kind);
        f.Write(text.empty() ? std::string("</BR>") : EscapeHtml(text));
        f.Write("</TD>");
    };
    auto row = [&](ExportFile& f, const TaskRowTexts& task) {
        f.Line("<TR>");
        bool first = true;
        for (const std::string* text : CellsOf(task)) {
            cell(f, first ? "<TD WRAP>" : "<TD NOWRAP>", *text);
            first = false;
        }
        f.Line("</TR>");
        if (!copyNotes) {
            return;
        }
        const std::vector<std::string> lines = NoteLines(task.note, kHtmlNoteWidth, job.measure);
        if (lines.empty()) {
            return;
        }
        f.Line("<TR>");
        f.Write("<TD WRAP><FONT SIZE=-1><I><BLOCKQUOTE>");
        for (std::size_t i = 0; i < lines.size(); ++i) {
            f.Line((i == 0 ? "" : "<BR>") + EscapeHtml(lines[i]) + " ");
        }
        f.Write("</I><FONT SIZE=+1></BLOCKQUOTE></TD>");
        for (int i = 0; i < 3; ++i) {
            cell(f, "<TD NOWRAP>", {});
        }
        f.Line("</TR>");
    };
    auto closing = [](ExportFile& f) {
        f.Line("</TABLE>");
        f.Line("</BODY>");
        f.Line("</HTML>");
    };
    return Export(job, fileName, copyNotes, heading, row, closing);
}

xbase::Status CopyRTF(const ExportJob& job, const std::string& fileName, std::string_view title,
                      bool copyNotes) {
    static constexpr const char* kHeading[] = {
        "{\\rtf1\\ansi\\deff0\\deftab720",
        "{\\fonttbl{\\f0\\fnil\\charset0 Times New Roman;}}",
        "{\\colortbl",
        "\\red0\\green0\\blue0;\\red0\\green0\\blue0;\\red0\\green0\\blue255;",
        "\\red0\\green255\\blue255;\\red0\\green255\\blue0;\\red255\\green0\\blue255;",
        "\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red255\\green255\\blue255;",
        "\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red0\\green128\\blue0;",
        "\\red128\\green0\\blue128;\\red128\\green0\\blue0;\\red128\\green128\\blue0;",
        "\\red0\\green0\\blue0;}",
        "\\margl1440\\margr1440\\margt1440\\margb1440",
        "{\\qc\\plain\\f0\\fs28\\cf1\\b",
    };
    static constexpr const char* kCellEdges[] = {"5100", "6600", "7630", "8600", "9360"};
    static constexpr const char* kHeadings[] = {"Task", "Date", "Time", "Priority", "Done"};
    constexpr char kCell[] = "\\intbl \\sb40\\sl\\sa40 \\plain\\f0\\fs20\\cf1";

    auto heading = [&](ExportFile& f) {
        for (const char* line : kHeading) {
            f.Line(line);
        }
        f.Line(EscapeRtf(title));
        f.Line("\\par\\plain\\fs20\\ql\\par");
        f.Line("{\\pard\\trowd\\trgaph57\\trleft0");
        for (const char* edge : kCellEdges) {
            f.Line(std::string("\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\clbrdrl\\brdrs\\clbrdrr\\brdrs"
                               "\\brdrw0\\brdrcf0\\cellx") +
                   edge);
        }
        for (std::size_t i = 0; i < std::size(kHeadings); ++i) {
            f.Line(std::string(kCell) + "\\b " + kHeadings[i] +
                   (i + 1 == std::size(kHeadings) ? "\\cell\\row" : "\\cell"));
        }
    };
    auto row = [&](ExportFile& f, const TaskRowTexts& task) {
        const auto cells = CellsOf(task);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            f.Line(std::string(kCell) + " " + EscapeRtf(*cells[i]) +
                   (i + 1 == cells.size() ? "\\cell\\row" : "\\cell"));
        }
        if (!copyNotes) {
            return;
        }
        const std::vector<std::string> lines = NoteLines(task.note, kRtfNoteWidth, job.measure);
        if (lines.empty()) {
            return;
        }
        f.Line("\\intbl \\sb0\\sl\\sa0 \\plain\\f0\\fs16\\cf1\\i\\li180 ");
        for (std::size_t i = 0; i < lines.size(); ++i) {
            f.Line((i == 0 ? "" : "\\par ") + EscapeRtf(lines[i]) + " ");
        }
        f.Line("\\cell");
        f.Line(std::string(kCell) + "\\li0 \\cell");
        f.Line(std::string(kCell) + " \\cell");
        f.Line(std::string(kCell) + " \\cell\\row");
    };
    auto closing = [](ExportFile& f) { f.Line("}}}"); };
    return Export(job, fileName, copyNotes, heading, row, closing);
}

xbase::Status CopyText(const ExportJob& job, const std::string& fileName, std::string_view title,
                       bool copyNotes) {
    const int noteWidth = job.measure.TextWidth(kTextNoteWidthSample);
    auto heading = [&](ExportFile& f) {
        f.Line(title);
        f.Line("");
        f.Line("");
        f.Line(PadField("Task", 51) + PadField("Date", 12) + PadField("Time", 8) +
               PadField("Priority", 9) + PadField("Done", 4));
        f.Line(std::string(84, '='));
    };
    auto row = [&](ExportFile& f, const TaskRowTexts& task) {
        f.Line(PadField(task.description, 50) + PadField(task.date, 12) + PadField(task.time, 9) +
               PadField(task.priority, 9) + PadField(task.done, 4));
        if (!copyNotes) {
            return;
        }
        for (const std::string& line : NoteLines(task.note, noteWidth, job.measure)) {
            f.Line("   " + line);
        }
    };
    return Export(job, fileName, copyNotes, heading, row, [](ExportFile&) {});
}

xbase::Status CopyICalendar(const ExportJob& job, const std::string& fileName) {
    if (!job.uid) {
        return {xbase::ErrorCode::kBadArgument, "The tasks have no UIDs to be exported with"};
    }
    const exchange::UtcStamp stamp = exchange::UtcNow();
    auto heading = [](ExportFile& f) { f.Write(exchange::VcalendarBegin()); };
    auto row = [&](ExportFile& f, const TaskRowTexts& task) {
        const store::TaskEntry entry = EntryOf(task);
        f.Write(exchange::Vtodo(entry, job.uid(task.record, entry), stamp));
    };
    auto closing = [](ExportFile& f) { f.Write(exchange::VcalendarEnd()); };
    return Export(job, fileName, true, heading, row, closing);
}

xbase::Status CopyCsv(const ExportJob& job, const std::string& fileName) {
    auto heading = [](ExportFile& f) { f.Write(exchange::CsvHeaderLine()); };
    auto row = [](ExportFile& f, const TaskRowTexts& task) {
        f.Write(exchange::CsvRow(EntryOf(task)));
    };
    return Export(job, fileName, true, heading, row, [](ExportFile&) {});
}

xbase::Status CopyTasks(ExportFormat format, const ExportJob& job, const std::string& fileName,
                        std::string_view title, bool copyNotes, std::string_view color) {
    switch (format) {
        case ExportFormat::kHtml:
            return CopyHTML(job, fileName, title, copyNotes, color);
        case ExportFormat::kRtf:
            return CopyRTF(job, fileName, title, copyNotes);
        case ExportFormat::kICalendar:
            return CopyICalendar(job, fileName);
        case ExportFormat::kCsv:
            return CopyCsv(job, fileName);
        case ExportFormat::kText:
            break;
    }
    return CopyText(job, fileName, title, copyNotes);
}

}  // namespace report
