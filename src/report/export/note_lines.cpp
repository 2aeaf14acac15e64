// Word wrap of note text: a line breaks after the last blank that keeps it within the width,
// or inside a word too long for a line of its own; blanks never start a wrapped line.
#include "report/export/note_lines.h"

#include <algorithm>

#include "rtl/text.h"

namespace report {

namespace {

// Where the line that starts at `start` ends: after the last blank run before the first
// character that does not fit, or before that character when the line has no blank before it.
//
// A text grows no narrower as characters join it, so the first character that does not fit
// is found by search rather than by measuring every longer prefix in turn: first among the
// ends of the words, from a guess and then by halving, then, for a word too long for a line
// of its own, among its characters. Measuring is most of a report's time, and a line now
// takes three or four measures instead of one for each character.
std::size_t LineEnd(std::string_view text, std::size_t start, int width,
                    const TextMeasure& measure) {
    struct Word {
        std::size_t first;
        std::size_t last;
    };
    std::vector<Word> words;
    for (std::size_t i = start; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t first = i;
        while (i < text.size() && text[i] != ' ') {
            ++i;
        }
        words.push_back({first, i - 1});
    }
    if (words.empty()) {
        return text.size();
    }
    auto widthTo = [&](std::size_t last) {
        return measure.TextWidth(text.substr(start, last + 1 - start));
    };
    auto fits = [&](std::size_t last) { return widthTo(last) <= width; };
    const std::size_t length = words.back().last + 1 - start;
    const int whole = widthTo(words.back().last);
    if (whole <= width) {
        return text.size();
    }
    // The first word whose end does not fit lies in [low, high]. The guess is the word that
    // ends where the width would run out if every character were as wide as the average; it
    // and its neighbour usually settle it.
    std::size_t low = 0;
    std::size_t high = words.size() - 1;
    const std::size_t reach = start + length * static_cast<std::size_t>(std::max(width, 0)) /
                                          static_cast<std::size_t>(whole);
    std::size_t guess = 0;
    while (guess + 1 < high && words[guess + 1].last < reach) {
        ++guess;
    }
    if (fits(words[guess].last)) {
        low = guess + 1;
        if (low < high && !fits(words[low].last)) {
            high = low;
        } else if (low < high) {
            ++low;
        }
    } else {
        high = guess;
        if (guess > low && fits(words[guess - 1].last)) {
            low = guess;
        } else if (guess > low) {
            high = guess - 1;
        }
    }
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (fits(words[middle].last)) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    const Word& word = words[low];
    if (word.first > start) {
        return word.first;  // just after the blanks before it
    }
    // The line's first word does not fit: it breaks before its first character that does not.
    std::size_t first = word.first;
    std::size_t last = word.last;
    while (first < last) {
        const std::size_t middle = first + (last - first) / 2;
        if (fits(middle)) {
            first = middle + 1;
        } else {
            last = middle;
        }
    }
    return first == start ? start + 1 : first;  // a character too wide takes a line alone
}

// Appends the lines of one paragraph (text without line ends) wrapped at `width`.
void WrapParagraph(std::string_view text, int width, const TextMeasure& measure,
                   std::vector<std::string>& lines) {
    if (text.empty()) {
        lines.emplace_back();
        return;
    }
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = LineEnd(text, start, width, measure);
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
