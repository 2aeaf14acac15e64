// Which pages of a run reach the output.
#include "report/model/page_selection.h"

#include <charconv>
#include <optional>

namespace report {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// A whole part of digits as a number; anything else is none.
std::optional<int> Number(std::string_view s) {
    s = Trim(s);
    int value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || value < 0)
        return std::nullopt;
    return value;
}

bool PartNames(std::string_view part, int page) {
    const auto dash = part.find('-');
    if (dash == std::string_view::npos)
        return Number(part) == page;
    const std::string_view from = Trim(part.substr(0, dash));
    const std::string_view to = Trim(part.substr(dash + 1));
    if (from.empty() && to.empty())
        return false;
    const std::optional<int> first = from.empty() ? std::optional<int>(1) : Number(from);
    const std::optional<int> last = to.empty() ? std::optional<int>(page) : Number(to);
    return first && last && *first <= page && page <= *last;
}

}  // namespace

bool PageSelected(std::string_view selection, int firstPage, int lastPage, int page) {
    if (Trim(selection).empty())
        return firstPage <= page && page <= lastPage;
    while (true) {
        const auto comma = selection.find(',');
        if (PartNames(selection.substr(0, comma), page))
            return true;
        if (comma == std::string_view::npos)
            return false;
        selection.remove_prefix(comma + 1);
    }
}

}  // namespace report
