// Block text: where each word of a text goes when it is spread over a given width.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace report {

struct BlockPiece {
    std::size_t start = 0;  // into the text
    std::size_t length = 0;
    double x = 0;  // offset from the block's left edge
};

// The gaps are the runs of spaces between words (leading and trailing spaces are no gaps); a
// text without inner spaces has a gap between every two characters. The width the text lacks
// of `width` is shared equally among the gaps. A text with no gap is one piece at 0.
std::vector<BlockPiece> LayoutBlock(std::string_view text, double width,
                                    const std::function<double(std::string_view)>& measure);

}  // namespace report
