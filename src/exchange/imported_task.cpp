// Fitting foreign tasks into the task record, and the text decoding the readers share.
#include "exchange/imported_task.h"

#include "exchange/closest_ansi.h"
#include "rtl/ansi.h"

namespace exchange {

namespace {

constexpr char kKeyWordsLine[] = "Key words: ";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// Every line break (CR LF, LF or CR) as the memo stores it: CR LF.
std::string CrLfBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == '\r' || text[pos] == '\n') {
            out += "\r\n";
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
                ++pos;
            }
        } else {
            out += text[pos];
        }
    }
    return out;
}

// The code page's text of `utf8`, counting a change.
std::string Ansi(std::string_view utf8, bool& changed) {
    AnsiText ansi = ClosestAnsi(utf8);
    changed = changed || ansi.changed;
    return std::move(ansi.text);
}

void Join(std::string& text, std::string_view part, std::string_view separator) {
    if (part.empty()) {
        return;
    }
    if (!text.empty()) {
        text += separator;
    }
    text += part;
}

}  // namespace

std::string DecodeText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    // One stray byte in a UTF-8 file stays one "?"; only a file without a single UTF-8
    // sequence beyond ASCII, and with bytes above it, was written in the code page.
    bool sequences = false;
    bool strays = false;
    for (std::size_t pos = 0; pos < bytes.size() && !sequences;) {
        char32_t cp = 0;
        if (!rtl::NextCodePoint(bytes, pos, cp)) {
            strays = true;
        } else if (cp >= 0x80) {
            sequences = true;
        }
    }
    return strays && !sequences ? rtl::AnsiToUtf8(bytes) : std::string(bytes);
}

store::TaskEntry FitTask(const ForeignTask& task, int& changedTexts) {
    store::TaskEntry entry;
    entry.date = task.date;
    entry.time = task.time;
    entry.priority = PriorityLetter(task.priority);
    entry.done = task.done;

    bool summaryChanged = false;
    std::string summary = Ansi(task.summary, summaryChanged);
    for (char& c : summary) {
        if (c == '\r' || c == '\n') {
            c = ' ';  // the description is one line
        }
    }
    summary = TrimRight(std::move(summary));
    std::string noteHead;
    if (summary.size() > static_cast<std::size_t>(store::kDescriptWidth)) {
        noteHead = summary;
        summary = TrimRight(summary.substr(0, store::kDescriptWidth));
    }
    entry.descript = std::move(summary);

    // Each word as a key word of its own, as many whole words as the field holds; a first
    // word wider than the field is cut to fit, the rest of the words kept for the note.
    bool keysChanged = false;
    std::vector<std::string> words;
    for (const std::string& keyWord : task.keyWords) {
        const std::string ansi = Ansi(keyWord, keysChanged);
        std::size_t pos = 0;
        while (pos < ansi.size()) {
            while (pos < ansi.size() && IsBlank(ansi[pos])) {
                ++pos;
            }
            std::size_t end = pos;
            while (end < ansi.size() && !IsBlank(ansi[end])) {
                ++end;
            }
            if (end > pos) {
                words.push_back(ansi.substr(pos, end - pos));
            }
            pos = end;
        }
    }
    const auto width = static_cast<std::size_t>(store::kKeysWidth);
    std::string rest;
    for (const std::string& word : words) {
        const std::size_t needed = entry.keys.size() + (entry.keys.empty() ? 0 : 1) + word.size();
        if (rest.empty() && needed <= width) {
            Join(entry.keys, word, " ");
        } else {
            Join(rest, word, " ");
        }
    }
    if (entry.keys.empty() && !rest.empty()) {
        entry.keys = rest.substr(0, width);
    }

    bool noteChanged = false;
    std::string note = CrLfBreaks(Ansi(task.note, noteChanged));
    Join(entry.note, noteHead, "\r\n");
    Join(entry.note, note, "\r\n");
    if (!rest.empty()) {
        Join(entry.note, kKeyWordsLine + rest, "\r\n");
    }
    changedTexts += int{summaryChanged} + int{keysChanged} + int{noteChanged};
    return entry;
}

}  // namespace exchange
