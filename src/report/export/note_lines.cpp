// Word wrap of note text: a line breaks after the last blank that keeps it within the width,
// or inside a word too long for a line of its own; blanks never start a wrapped line.
#include "report/export/note_lines.h"

#include "rtl/text.h"

namespace report {

namespace {

// Appends the lines of one paragraph (text without line ends) wrapped at `width`.
void WrapParagraph(std::string_view text, int width, const TextMeasure& measure,
                   std::vector<std::string>& lines) {
    if (text.empty()) {
        lines.emplace_back();
        return;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        // The longest run from `start` that fits; blanks may hang past the edge.
        std::size_t end = start;
        std::size_t lastBreak = std::string_view::npos;  // just after the last blank run
        while (end < text.size()) {
            if (text[end] == ' ') {
                while (end < text.size() && text[end] == ' ') {
                    ++end;
                }
                lastBreak = end;
                continue;
            }
            if (measure.TextWidth(text.substr(start, end + 1 - start)) > width) {
                break;
            }
            ++end;
        }
        if (end < text.size()) {
            if (lastBreak != std::string_view::npos) {
                end = lastBreak;
            } else if (end == start) {
                end = start + 1;  // not even one character fits: it takes a line alone
            }
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end;
    }
}

}  // namespace

std::vector<std::string> NoteLines(std::string_view note, int width, const TextMeasure& measure) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        std::size_t end = note.find_first_of("\r\n", start);
        WrapParagraph(note.substr(start, end == std::string_view::npos ? end : end - start), width,
                      measure, lines);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + (note.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    if (lines.size() == 1 && rtl::TrimSpaces(lines.front()).empty()) {
        lines.clear();
    }
    for (std::string& line : lines) {
        line = rtl::TrimTrailingSpaces(line);
    }
    return lines;
}

}  // namespace report
