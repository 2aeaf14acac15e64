// Widths of Windows-1252 text in a Qt font.
#include "report/measure/font_measure.h"

#include <QString>

#include "rtl/ansi.h"

namespace report {

int FontTextMeasure::TextWidth(std::string_view text) const {
    return metrics_.horizontalAdvance(QString::fromStdString(rtl::AnsiToUtf8(text)));
}

}  // namespace report
