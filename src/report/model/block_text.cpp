// Block text: where each word of a text goes when it is spread over a given width.
#include "report/model/block_text.h"

namespace report {

std::vector<BlockPiece> LayoutBlock(std::string_view text, double width,
                                    const std::function<double(std::string_view)>& measure) {
    std::vector<BlockPiece> pieces;
    const bool hasInnerSpace = [&] {
        const auto first = text.find_first_not_of(' ');
        const auto last = text.find_last_not_of(' ');
        return first != std::string_view::npos &&
               text.substr(first, last - first + 1).find(' ') != std::string_view::npos;
    }();
    if (hasInnerSpace) {
        for (std::size_t i = 0; i < text.size();) {
            if (text[i] == ' ') {
                ++i;
                continue;
            }
            const auto end = std::min(text.find(' ', i), text.size());
            pieces.push_back({i, end - i, 0});
            i = end;
        }
    } else {
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] != ' ')
                pieces.push_back({i, 1, 0});
    }
    if (pieces.empty())
        return pieces;
    const auto gaps = static_cast<double>(pieces.size() - 1);
    const double extra = gaps > 0 ? (width - measure(text)) / gaps : 0;
    for (std::size_t k = 0; k < pieces.size(); ++k)
        pieces[k].x = measure(text.substr(0, pieces[k].start)) + static_cast<double>(k) * extra;
    return pieces;
}

}  // namespace report
