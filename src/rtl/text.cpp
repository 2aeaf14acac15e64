// Blank trimming, text splitting and note padding.
#include "rtl/text.h"

namespace rtl {

std::string TrimLeadingSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string TrimTrailingSpaces(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string TrimSpaces(std::string_view text) {
    return TrimLeadingSpaces(TrimTrailingSpaces(text));
}

void SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& list) {
    if (delimiter.empty()) {
        list.emplace_back(text);
        return;
    }
    for (;;) {
        const auto at = text.find(delimiter);
        if (at == std::string_view::npos) {
            list.emplace_back(text);
            return;
        }
        list.emplace_back(text.substr(0, at));
        text.remove_prefix(at + delimiter.size());
    }
}

std::string PadMemoText(std::string_view text) {
    std::string padded(text);
    if (padded.empty() || padded.size() % 4 != 0) {
        return padded;
    }
    // A memo control does not count the empty line after a final line break, so the last line
    // ends before that break.
    std::size_t end = padded.size();
    if (padded.size() >= 2 && padded.ends_with("\r\n")) {
        end -= 2;
    }
    padded.insert(end, 1, ' ');
    return padded;
}

}  // namespace rtl
